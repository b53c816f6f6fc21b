// Appends reports to one report file, as a program that fails again and again would; two of
// these run at once in the tests. Usage: report_file_writer FILE COUNT TAG [same]
// Each report differs (its checksums hold the tag and its number) unless "same" is given.
// The exit code is the number of reports that were not saved.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "crash/report/report_file_win32.h"
#include "report_file_texts.h"

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: report_file_writer FILE COUNT TAG [same]\n");
        return 100;
    }
    const int count = std::atoi(argv[2]);
    const unsigned tag = static_cast<unsigned>(std::strtoul(argv[3], nullptr, 16));
    const bool same = argc > 4 && std::string(argv[4]) == "same";
    roadsum::ReportFileRules rules;  // append, merge repetitions of the crashing thread, no limit
    int failed = 0;
    for (int i = 0; i < count; ++i)
        if (!roadsum::SaveReportFile(argv[1], roadsum::testing::writer_report(tag, same ? 0 : i), rules)) ++failed;
    return failed;
}
