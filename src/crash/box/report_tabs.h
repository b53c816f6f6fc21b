// The details of the exception box: which tabs the report's sections make, how the shown tab
// set is brought in line with them, and what each tab's list view shows.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "crash/settings/report_fields.h"

namespace roadsum {

enum class TTabKind { General, CallStacks, Modules, Processes, CpuRegisters, StackDump, Disassembling, Other };

struct TReportTab {
    std::string Caption;
    TTabKind Kind = TTabKind::Other;
    std::vector<std::string> Sections;  // titles of the report sections it shows

    friend bool operator==(const TReportTab&, const TReportTab&) = default;
};

// "general", then "call stack" ("call stacks" for more than one thread section), then one
// tab per further section in report order ("cpu regs" and "disasm" for the long titles).
std::vector<TReportTab> ReportTabs(const std::vector<NamedField>& sections);

// One change of the shown tab set: delete the tab at Index, or insert Caption there.
struct TTabEdit {
    bool Insert = false;
    int Index = 0;
    std::string Caption;

    friend bool operator==(const TTabEdit&, const TTabEdit&) = default;
};
// The edits that turn `shown` into `wanted`: tabs no longer wanted go, new ones come in at
// their place, tabs in both stay (so the selection stays where it was).
std::vector<TTabEdit> TabEdits(const std::vector<std::string>& shown, const std::vector<std::string>& wanted);

struct TListColumn {
    std::string Caption;
    bool RightAligned = false;

    friend bool operator==(const TListColumn&, const TListColumn&) = default;
};
// Column captions where a leading "^" marks a right-aligned column.
std::vector<TListColumn> ParseColumns(const std::vector<std::string_view>& captions);

struct TListRow {
    std::vector<std::string> Cells;
    bool Heading = false;  // a thread's title in the call-stack view

    friend bool operator==(const TListRow&, const TListRow&) = default;
};

struct TTabView {
    bool PlainText = false;  // a placeholder remains: the text as it is
    std::string Text;
    std::vector<TListColumn> Columns;
    std::vector<TListRow> Rows;
};

// A section that its completion has not reached yet.
bool IsPlaceholder(std::string_view text);

// What the tab shows, from the report's header fields and sections.
TTabView TabView(const TReportTab& tab, const std::vector<NamedField>& header, const std::vector<NamedField>& sections);

// Lines padded into columns (each column's values padded with blanks): a column starts where
// every line has a blank (or has ended) just before and some line has text. At most
// `max_columns`; what lies beyond goes into the last one. Cells are trimmed.
std::vector<std::vector<std::string>> SplitAlignedColumns(const std::vector<std::string>& lines, std::size_t max_columns);

std::vector<std::string> SplitLines(std::string_view text);

}  // namespace roadsum
