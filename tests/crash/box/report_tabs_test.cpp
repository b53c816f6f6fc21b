#include "crash/box/report_tabs.h"

#include <gtest/gtest.h>

namespace roadsum {
namespace {

std::vector<std::string> captions(const std::vector<TReportTab>& tabs) {
    std::vector<std::string> out;
    for (const TReportTab& t : tabs) out.push_back(t.Caption);
    return out;
}

// Applies edits the way the window does, to check that they reach the wanted set.
std::vector<std::string> apply_edits(std::vector<std::string> shown, const std::vector<TTabEdit>& edits) {
    for (const TTabEdit& e : edits) {
        if (e.Insert)
            shown.insert(shown.begin() + e.Index, e.Caption);
        else
            shown.erase(shown.begin() + e.Index);
    }
    return shown;
}

TEST(ReportTabs, TabsFollowTheSectionsAsTheReportCompletes) {
    const std::string pending = ">> will be calculated soon";
    std::vector<std::vector<NamedField>> stages = {
        {},
        {{"main thread ($1A4)", ">> stack will be calculated soon"}},
        {{"main thread ($1A4)", "00401000 Roadsum.exe main"}, {"modules", pending}, {"cpu registers", pending}},
        {{"main thread ($1A4)", "00401000 Roadsum.exe main"}, {"thread $2C8", "x"}, {"modules", "m"},
         {"processes", "p"}, {"cpu registers", "eax = 0"}, {"stack dump", "d"}, {"disassembling", "a"}},
    };
    const std::vector<std::vector<std::string>> expected = {
        {"general"},
        {"general", "call stack"},
        {"general", "call stack", "modules", "cpu regs"},
        {"general", "call stacks", "modules", "processes", "cpu regs", "stack dump", "disasm"},
    };
    std::vector<std::string> shown;
    for (std::size_t i = 0; i < stages.size(); ++i) {
        const std::vector<std::string> wanted = captions(ReportTabs(stages[i]));
        EXPECT_EQ(wanted, expected[i]) << i;
        shown = apply_edits(shown, TabEdits(shown, wanted));
        EXPECT_EQ(shown, wanted) << i;
    }
    // Tabs that go are deleted where they stand; the ones that stay are not touched.
    EXPECT_EQ(TabEdits({"general", "call stack", "modules", "cpu regs"}, {"general", "call stack", "cpu regs"}),
              (std::vector<TTabEdit>{{false, 2, "modules"}}));
    EXPECT_EQ(TabEdits({"general", "cpu regs"}, {"general", "modules", "cpu regs"}),
              (std::vector<TTabEdit>{{true, 1, "modules"}}));
    EXPECT_EQ(ReportTabs(stages[3])[1].Sections, (std::vector<std::string>{"main thread ($1A4)", "thread $2C8"}));
}

TEST(ReportTabs, ViewsSplitTheSectionsIntoTheirColumns) {
    const std::vector<NamedField> header = {{"date/time", "2026-12-08, 16:44:07, 12ms"}, {"exception class", "EConvertError"}};
    const std::vector<NamedField> sections = {
        {"main thread ($1A4):",
         "0044f3a2 +01c Roadsum.exe RoadsumFrm 112 +4 TRoadsumFrm.PricelistBtnClick\r\n"
         "00401000 +000 Roadsum.exe app                main"},
        {"modules", "00400000 Roadsum.exe  1.0.0.0    C:\\Program Files\\Roadsum\r\n"
                    "7c800000 kernel32.dll 5.1.2600.0 C:\\Windows\\system32"},
        {"cpu registers", "eax = 0012FF00\r\nebx = 00000001"},
        {"stack dump", "0012ff00  3c 00 41 42 00 00 00 00 - 00 00 00 00 00 00 00 00  <.AB............"},
        {"disassembling", "0044f3a0   mov     eax, [ebp-4]   ; Roadsum.exe\r\n0044f3a2 ; ----------\r\n"
                          "0044f3a2 > call    StrToFloat"},
        {"hardware", "+ Display\tone\r\n  - Wine display"},
        {"processes", ">> will be calculated soon"},
    };
    const auto tabs = ReportTabs(sections);
    auto view = [&](const char* caption) {
        for (const TReportTab& t : tabs)
            if (t.Caption == caption) return TabView(t, header, sections);
        ADD_FAILURE() << caption;
        return TTabView{};
    };
    using Rows = std::vector<TListRow>;
    const TTabView general = view("general");
    EXPECT_EQ(general.Columns, ParseColumns({"description", "value"}));
    EXPECT_EQ(general.Rows, (Rows{{{"date/time", "2026-12-08, 16:44:07, 12ms"}}, {{"exception class", "EConvertError"}}}));

    const TTabView stack = view("call stack");
    EXPECT_EQ(stack.Columns, (std::vector<TListColumn>{{"address", true}, {" rel.", true}, {"module", false},
                                                       {"unit", false}, {" line", false}, {" rel.", false}, {"function", false}}));
    EXPECT_EQ(stack.Rows, (Rows{{{"", "", "", "", "", "", "main thread ($1A4):"}, true},
                                {{"0044f3a2", "+01c", "Roadsum.exe", "RoadsumFrm", "112", "+4", "TRoadsumFrm.PricelistBtnClick"}},
                                {{"00401000", "+000", "Roadsum.exe", "app", "", "", "main"}}}));

    EXPECT_EQ(view("modules").Rows, (Rows{{{"00400000", "Roadsum.exe", "1.0.0.0", "C:\\Program Files\\Roadsum"}},
                                         {{"7c800000", "kernel32.dll", "5.1.2600.0", "C:\\Windows\\system32"}}}));
    EXPECT_EQ(view("cpu regs").Rows, (Rows{{{"eax", "0012FF00"}}, {{"ebx", "00000001"}}}));
    EXPECT_EQ(view("stack dump").Rows,
              (Rows{{{"0012ff00", "3c 00 41 42 00 00 00 00 - 00 00 00 00 00 00 00 00", "<.AB............"}}}));
    EXPECT_EQ(view("disasm").Rows, (Rows{{{"0044f3a0", "mov     eax, [ebp-4]", "Roadsum.exe"}},
                                        {{"0044f3a2", "", ""}, true},
                                        {{"0044f3a2", "> call    StrToFloat", ""}}}));
    const TTabView other = view("hardware");
    EXPECT_EQ(other.Columns.size(), 2u);
    EXPECT_EQ(other.Rows, (Rows{{{"+ Display", "one"}}, {{"  - Wine display", ""}}}));
    // A placeholder shows as plain text until its section is done.
    const TTabView waiting = view("processes");
    EXPECT_TRUE(waiting.PlainText);
    EXPECT_EQ(waiting.Text, ">> will be calculated soon");
}

}  // namespace
}  // namespace roadsum
