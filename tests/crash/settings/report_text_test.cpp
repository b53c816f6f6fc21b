// The report as one text: header lines padded to the longest label, sections under their
// titles with "." for empty lines, and the text kept until either list changes.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "crash/settings/report_text.h"

namespace roadsum {
namespace {

TEST(ReportText, HeaderPaddingSectionTitlesAndEmptyLines) {
    const std::vector<NamedField> header = {{"date/time", "2024-03-07"}, {"exception message", "two\r\nlines   here"}};
    const std::vector<NamedField> sections = {
        {"main thread ($1A4):", "00401000 +0 Roadsum.exe   \r\n   \r\n\nlast"},
        {"cpu registers", "eax = 00000000\rebx = 00000001"},
    };
    EXPECT_EQ(assemble_report_text(header, sections),
              "date/time        : 2024-03-07\r\n"
              "exception message: two lines here\r\n"
              "\r\n"
              "main thread ($1A4):\r\n"
              "00401000 +0 Roadsum.exe\r\n"
              ".\r\n"
              ".\r\n"
              "last\r\n"
              "\r\n"
              "cpu registers:\r\n"
              "eax = 00000000\r\n"
              "ebx = 00000001");
}

TEST(ReportText, ValuesOnOneLine) { EXPECT_EQ(single_line_text("a\r\n\r\nb  \n c\r"), "a b c "); }

TEST(ReportText, TheCacheFollowsEveryChangeOfEitherList) {
    TReportFields header, sections;
    ReportTextCache cache;
    header.Add("date/time", "now");
    sections.Add("modules", ">> will be calculated soon");
    const std::string first = cache.Text(header, sections);
    EXPECT_EQ(first, "date/time: now\r\n\r\nmodules:\r\n>> will be calculated soon");
    EXPECT_EQ(cache.Text(header, sections), first);
    sections.Add("modules", "00400000 Roadsum.exe");
    EXPECT_EQ(cache.Text(header, sections), "date/time: now\r\n\r\nmodules:\r\n00400000 Roadsum.exe");
    header.Add("count", "2");
    EXPECT_NE(cache.Text(header, sections).find("count    : 2"), std::string::npos);

    // Readers while a writer changes the lists never keep a text that is behind.
    std::thread writer([&] {
        for (int i = 0; i < 2000; ++i) sections.Add("modules", std::to_string(i));
    });
    for (int i = 0; i < 2000; ++i) cache.Text(header, sections);
    writer.join();
    EXPECT_EQ(cache.Text(header, sections), assemble_report_text(header.Items(), sections.Items()));
}

}  // namespace
}  // namespace roadsum
