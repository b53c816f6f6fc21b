// The report as one text: the header lines with their labels padded to the longest, then each
// section after a blank line under its title. The text is shown, saved, sent and printed alike.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "crash/settings/report_fields.h"

namespace roadsum {

// Line breaks become blanks and runs of blanks become one: a value on a single header line.
std::string single_line_text(std::string_view text);

// Header: label padded with blanks to the longest label, ": ", the content on one line. Each
// section: a blank line, the title (":" appended unless it has one), then its lines without
// trailing blanks, a line left empty written as ".". CR LF between lines, none at the end.
std::string assemble_report_text(const std::vector<NamedField>& header, const std::vector<NamedField>& sections);

// The assembled text of two lists, made again only when one of them changed since. A text made
// while a list changed is handed out but not kept.
class ReportTextCache {
public:
    std::string Text(const INXFields& header, const INXFields& sections);

private:
    std::mutex lock_;
    bool valid_ = false;
    std::uint64_t modification_ = 0;
    std::string text_;
};

}  // namespace roadsum
