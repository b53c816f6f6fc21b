// The layout of a printed report: the printable area inside the margins, each report line
// word-wrapped to its width, and the lines cut into pages.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace roadsum {

// What the printer tells of its page, in device units.
struct PrinterPage {
    int dpi_x = 600, dpi_y = 600;
    int physical_width = 0, physical_height = 0;  // the whole sheet
    int offset_x = 0, offset_y = 0;               // where the printable part starts
    int printable_width = 0, printable_height = 0;
};

struct PrintRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    friend bool operator==(const PrintRect&, const PrintRect&) = default;
};

// Margins of 1 cm at top and bottom, 2 cm at the left and 1 cm at the right of the sheet, in
// the coordinates of the printable part (so less the printer's physical offsets), kept inside it.
PrintRect print_area(const PrinterPage& page);

// The width of a text in device units.
using TextWidth = std::function<int(std::string_view)>;

// Each line of the report wrapped at blanks to `width` (a word wider than that is cut where it
// must); an empty line stays one blank line. Tabs count as blanks.
std::vector<std::string> wrap_report_lines(std::string_view text, int width, const TextWidth& measure);

// Lines into pages of `lines_per_page` (at least one line a page).
std::vector<std::vector<std::string>> paginate(const std::vector<std::string>& lines, int lines_per_page);

}  // namespace roadsum
