// The report file: where an automatic save puts it, and how a new report goes in (overwrite,
// append, a repetition merged with its count, the oldest reports dropped at the size limit),
// also into files that are no report file at all.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "crash/report/report_file_merge.h"
#include "crash/report/report_file_path.h"

namespace roadsum {
namespace {

TEST(ReportFilePath, RelativeNamesLieBesideTheProgram) {
    const char* exe = "C:\\Program Files\\Roadsum\\Roadsum.exe";
    const std::pair<const char*, const char*> cases[] = {
        {"bugreport.txt", "C:\\Program Files\\Roadsum\\bugreport.txt"},
        {"b", "C:\\Program Files\\Roadsum\\b"},  // shorter than three characters
        {"logs\\bugreport.txt", "C:\\Program Files\\Roadsum\\logs\\bugreport.txt"},
        {"..\\logs\\.\\bugreport.txt", "C:\\Program Files\\logs\\bugreport.txt"},
        {"\\reports\\bug.txt", "C:\\reports\\bug.txt"},
        {"D:\\reports\\..\\..\\bug.txt", "D:\\bug.txt"},  // never above the root
        {"D:/reports/./x/../bug.txt", "D:\\reports\\bug.txt"},
        {"\\\\server\\share\\reports\\..\\bug.txt", "\\\\server\\share\\bug.txt"},
        {"C:\\a\\\\b.txt", "C:\\a\\b.txt"},
    };
    for (const auto& [name, path] : cases) EXPECT_EQ(absolute_report_path(name, exe), path) << name;
    EXPECT_EQ(absolute_report_path("\\bug.txt", "\\\\server\\apps\\Roadsum.exe"), "\\\\server\\apps\\bug.txt");
}

struct ReportSpec {
    std::string crc = "$11111111, $22222222, $33333333";
    std::string version = "1.0.0.0";
    std::string exception_class = "EConvertError";  // empty for a freeze
    std::string message = "'x' is not a valid integer value";
    std::string exec_time = "2024-02-29 07:03";
    std::string time = "2024-03-07, 09:05:04, 42ms";
};

std::string report_text(const ReportSpec& r) {
    std::string text = "date/time          : " + r.time + "\r\n"
                       "executable         : Roadsum.exe\r\n"
                       "exec. date/time    : " + r.exec_time + "\r\n";
    if (!r.version.empty()) text += "version            : " + r.version + "\r\n";
    text += "callstack crc      : " + r.crc + "\r\n"
            "exception number   : 1\r\n";
    if (!r.exception_class.empty()) text += "exception class    : " + r.exception_class + "\r\n";
    text += "exception message  : " + r.message + "\r\n"
            "\r\n"
            "main thread ($1A4):\r\n"
            "0044f3a2 +01c Roadsum.exe RoadsumFrm 112 +4 TRoadsumFrm.PricelistBtnClick\r\n"
            "\r\n"
            "cpu registers:\r\n"
            "eax = 00000000";
    return text;
}

// The file after the report went in, carried out in place on one buffer as on a mapping.
std::string put(const std::string& file, const std::string& report, const ReportFileRules& rules,
                std::uint64_t* count = nullptr) {
    const ReportFileMerge plan = plan_report_merge(file, report, rules);
    std::vector<std::uint8_t> buffer(file.begin(), file.end());
    buffer.resize(std::max(file.size(), plan.NewSize));
    apply_report_merge(buffer.data(), file.size(), plan);
    if (count) *count = plan.Count;
    return std::string(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(plan.NewSize));
}

std::size_t occurrences(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1)) ++n;
    return n;
}

// Each report's first line; "exec. date/time" does not count.
const std::string kReportStart = "date/time          : ";

std::string with_count(const std::string& report, int count) {
    std::string text = report;
    const std::size_t crc_end = text.find("\r\n", text.find("callstack crc"));
    text.insert(crc_end, "\r\ncount              : " + std::to_string(count));
    return text;
}

TEST(ReportFileMerge, AnEmptyFileGetsTheReportWithoutASearch) {
    const std::string report = report_text({});
    const ReportFileMerge plan = plan_report_merge("", report, {});
    EXPECT_TRUE(plan.Removed.empty());
    EXPECT_EQ(plan.Count, 1u);
    EXPECT_EQ(put("", report, {}), report + "\r\n\r\n");
}

TEST(ReportFileMerge, WithoutAppendingTheReportReplacesTheFile) {
    ReportFileRules overwrite;
    overwrite.Append = false;
    const std::string report = report_text({});
    EXPECT_EQ(put("old reports\r\n" + report + "\r\n\r\n", report, overwrite), report + "\r\n\r\n");
}

TEST(ReportFileMerge, ARepeatedReportIsCountedAndKeptOnce) {
    ReportSpec first, second, third;
    second.time = "2024-03-08, 10:00:00, 1ms";
    third.time = "2024-03-09, 11:00:00, 2ms";
    const std::string other = report_text({.crc = "$99999999, $22222222, $33333333"});
    std::string file = put("", other, {});
    file = put(file, report_text(first), {});
    std::uint64_t count = 0;
    file = put(file, report_text(second), {}, &count);
    EXPECT_EQ(count, 2u);
    EXPECT_EQ(file, other + "\r\n\r\n" + with_count(report_text(second), 2) + "\r\n\r\n");
    file = put(file, report_text(third), {}, &count);
    EXPECT_EQ(count, 3u);
    EXPECT_EQ(file, other + "\r\n\r\n" + with_count(report_text(third), 3) + "\r\n\r\n");

    // The earlier copy at the start of the file: the rest moves down over it.
    file = put(file, other, {}, &count);
    EXPECT_EQ(count, 2u);
    EXPECT_EQ(file, with_count(report_text(third), 3) + "\r\n\r\n" + with_count(other, 2) + "\r\n\r\n");
}

TEST(ReportFileMerge, EqualChecksumsButAnotherVersionAreTwoReports) {
    std::string file = put("", report_text({.version = "1.0.0.0"}), {});
    file = put(file, report_text({.version = "1.0.0.1"}), {});
    EXPECT_EQ(occurrences(file, kReportStart), 2u);
    EXPECT_EQ(occurrences(file, "count"), 0u);
    // Without a version the file's time decides.
    file = put("", report_text({.version = "", .exec_time = "2024-02-29 07:03"}), {});
    EXPECT_EQ(occurrences(put(file, report_text({.version = "", .exec_time = "2024-03-01 08:00"}), {}), kReportStart), 2u);
    EXPECT_EQ(occurrences(put(file, report_text({.version = ""}), {}), kReportStart), 1u);
}

TEST(ReportFileMerge, WhatMakesADuplicateByDefinition) {
    const std::string in_file = "$11111111, $22222222, $33333333";
    struct Case {
        DuplicateDefinition definition;
        const char* crc;
        bool merged;
    };
    const Case cases[] = {
        {DuplicateDefinition::CrashLocation, "$11111111, $AAAAAAAA, $BBBBBBBB", true},
        {DuplicateDefinition::CrashLocation, "$11111112, $22222222, $33333333", false},
        {DuplicateDefinition::CrashingThread, "$11111111, $22222222, $BBBBBBBB", true},
        {DuplicateDefinition::CrashingThread, "$11111111, $AAAAAAAA, $33333333", false},
        {DuplicateDefinition::AllThreads, "$11111111, $22222222, $33333333", true},
        {DuplicateDefinition::AllThreads, "$11111111, $22222222, $33333334", false},
        {DuplicateDefinition::None, "$11111111, $22222222, $33333333", false},
    };
    for (const Case& c : cases) {
        ReportFileRules exceptions, freezes;
        exceptions.Exceptions = c.definition;
        exceptions.Freezes = DuplicateDefinition::None;
        freezes.Freezes = c.definition;
        freezes.Exceptions = DuplicateDefinition::None;
        const std::string file = put("", report_text({.crc = in_file}), {});
        EXPECT_EQ(occurrences(put(file, report_text({.crc = c.crc}), exceptions), kReportStart) == 1, c.merged)
            << c.crc << " definition " << static_cast<int>(c.definition);
        const std::string frozen = put("", report_text({.crc = in_file, .exception_class = ""}), {});
        EXPECT_EQ(occurrences(put(frozen, report_text({.crc = c.crc, .exception_class = ""}), freezes), kReportStart) == 1,
                  c.merged)
            << "freeze " << c.crc;
    }
    // A report not complete yet has no key.
    const std::string file = put("", report_text({.crc = "will be calculated soon"}), {});
    EXPECT_EQ(occurrences(put(file, report_text({.crc = "will be calculated soon"}), {}), kReportStart), 2u);
}

TEST(ReportFileMerge, TheSearchGoesBackPastReportsOfAnotherOrigin) {
    const std::string ours = report_text({});
    std::string theirs = report_text({});
    theirs.replace(theirs.find("Roadsum.exe"), 11, "Other.exe");
    std::string quoting = report_text({.crc = "$44444444, $22222222, $33333333"});
    quoting.replace(quoting.find("'x' is"), 6, "see : $11111111, $22222222, $33333333 in");  // the key in a message
    std::string file = put(put(put("", ours, {}), theirs, {}), quoting, {});
    std::uint64_t count = 0;
    file = put(file, ours, {}, &count);
    EXPECT_EQ(count, 2u);
    EXPECT_EQ(file, theirs + "\r\n\r\n" + quoting + "\r\n\r\n" + with_count(ours, 2) + "\r\n\r\n");
}

TEST(ReportFileMerge, TheSizeLimitDropsTheOldestWholeReports) {
    // About 120000 bytes of reports of differing lengths.
    std::string file;
    std::vector<std::size_t> starts;
    for (int i = 0; file.size() < 120000; ++i) {
        starts.push_back(file.size());
        ReportSpec r;
        r.crc = "$" + std::to_string(10000000 + i) + ", $22222222, $33333333";
        r.message = std::string(static_cast<std::size_t>(200 + i * 37 % 700), 'm');
        file += report_text(r) + "\r\n\r\n";
    }
    ReportFileRules rules;
    rules.SizeLimit = 100000;
    const std::string report = report_text({.crc = "$00000001, $00000002, $00000003"});
    const std::string after = put(file, report, rules);
    const std::string kept = after.substr(0, after.size() - report.size() - 4);
    EXPECT_LT(kept.size(), 75000u);
    // The cut lies at a report's start, and it is the earliest such start.
    const auto cut = std::find(starts.begin(), starts.end(), file.size() - kept.size());
    ASSERT_NE(cut, starts.end());
    EXPECT_GE(file.size() - *(cut - 1), 75000u);
    EXPECT_EQ(file.substr(*cut), kept);

    // Under the limit nothing goes; without a limit neither.
    EXPECT_EQ(put(kept, report, rules), kept + report + "\r\n\r\n");
    rules.SizeLimit = 0;
    EXPECT_EQ(put(file, report, rules).size(), file.size() + report.size() + 4);
}

TEST(ReportFileMerge, ADuplicateAndTheLimitTogether) {
    std::string file;
    const std::string dup = report_text({});
    for (int i = 0; i < 40; ++i) {
        if (i == 30) file += dup + "\r\n\r\n";
        file += report_text({.crc = "$" + std::to_string(20000000 + i) + ", $22222222, $33333333"}) + "\r\n\r\n";
    }
    ReportFileRules rules;
    rules.SizeLimit = static_cast<std::int64_t>(file.size() / 2);
    std::uint64_t count = 0;
    const std::string after = put(file, dup, rules, &count);
    EXPECT_EQ(count, 2u);
    EXPECT_EQ(occurrences(after, "$11111111"), 1u);
    const std::string written = with_count(dup, 2) + "\r\n\r\n";
    ASSERT_GT(after.size(), written.size());
    EXPECT_EQ(after.substr(after.size() - written.size()), written);
    EXPECT_LT(after.size() - written.size(), static_cast<std::size_t>(rules.SizeLimit - rules.SizeLimit / 4));
    EXPECT_EQ(after.rfind("date/time", 0), 0u);
}

TEST(ReportFileMerge, FilesThatAreNoReportFileKeepTheirContent) {
    std::mt19937 random(24);
    std::string noise(150000, '\0');
    for (char& c : noise) c = static_cast<char>(random());
    const std::string key_lines = std::string(5000, 'x') + ": $11111111, $22222222, $33333333";
    const std::string inputs[] = {
        noise,
        "just a note without any report\r\nsecond line",
        std::string(200000, 'a'),                            // one giant line
        "date/time : one\rline\rafter\rline\rcallstack crc : x",  // CR without LF
        key_lines + key_lines,                                 // the key, but no report around it
        "date/time",
    };
    ReportFileRules rules;
    rules.SizeLimit = 100000;
    const std::string report = report_text({});
    for (const std::string& old : inputs) {
        const std::string after = put(old, report, rules);
        ASSERT_EQ(after.substr(0, old.size()), old) << old.substr(0, 40);
        const std::string added = after.substr(old.size());
        const bool needs_break = old.back() != '\n' && old.back() != '\r';
        EXPECT_EQ(added, (needs_break ? "\r\n" : "") + report + "\r\n\r\n");
        // The report it now holds is found again.
        std::uint64_t count = 0;
        const std::string again = put(after, report, {}, &count);
        EXPECT_EQ(count, 2u);
        EXPECT_EQ(again.substr(0, old.size()), old);
    }
}

}  // namespace
}  // namespace roadsum
