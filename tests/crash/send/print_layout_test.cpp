#include "crash/send/print_layout.h"

#include <gtest/gtest.h>

namespace roadsum {
namespace {

// Every character 10 units wide, as in a fixed-pitch font.
int fixed_width(std::string_view text) { return static_cast<int>(text.size()) * 10; }

TEST(PrintLayout, WordWrapAtBlanks) {
    const std::vector<std::string> lines = wrap_report_lines(
        "date/time : 2024-03-07\r\n\r\nthe quick brown fox jumps\r\nabcdefghijklmnop\tq\r\n", 100, fixed_width);
    EXPECT_EQ(lines, (std::vector<std::string>{"date/time", ":", "2024-03-07", " ", "the quick", "brown fox",
                                               "jumps", "abcdefghij", "klmnop q"}));
    EXPECT_EQ(wrap_report_lines("", 100, fixed_width), std::vector<std::string>{" "});
    // Narrower than one character still moves on, one character a line.
    EXPECT_EQ(wrap_report_lines("abc", 5, fixed_width), (std::vector<std::string>{"a", "b", "c"}));
}

TEST(PrintLayout, PagesAndMargins) {
    std::vector<std::string> lines;
    for (int i = 0; i < 7; ++i) lines.push_back(std::to_string(i));
    const auto pages = paginate(lines, 3);
    ASSERT_EQ(pages.size(), 3u);
    EXPECT_EQ(pages[2], std::vector<std::string>{"6"});
    EXPECT_EQ(paginate(lines, 0).size(), 7u);

    // A4 at 600 dpi with the usual quarter-inch unprintable rim.
    PrinterPage a4{600, 600, 4960, 7016, 150, 150, 4660, 6716};
    EXPECT_EQ(print_area(a4), (PrintRect{472 - 150, 236 - 150, 4960 - 236 - 150, 7016 - 236 - 150}));
    // A rim wider than the margin: the area starts at the printable part's edge.
    PrinterPage wide{600, 600, 4960, 7016, 600, 300, 3760, 6416};
    EXPECT_EQ(print_area(wide), (PrintRect{0, 0, 3760, 6416}));
}

}  // namespace
}  // namespace roadsum
