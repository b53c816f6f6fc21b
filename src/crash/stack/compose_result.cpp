// Phase 7: the printed lines with their aligned columns, the delivered entries, the exception
// function and the call-stack checksums.
#include <algorithm>
#include <cstdio>

#include "crash/stack/callstack_crc.h"
#include "crash/stack/stack_tracer_impl.h"

namespace roadsum {

namespace {

std::string hex_digits(std::uint32_t value, std::size_t width) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%0*x", static_cast<int>(width), value);
    return buffer;
}

std::string pad_right(const std::string& text, std::size_t width) {
    return text.size() >= width ? text : text + std::string(width - text.size(), ' ');
}

std::string pad_left(const std::string& text, std::size_t width) {
    return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}

bool has_relative_address(const TInternalStackItem& item) {
    return item.FunctionStart != 0 && item.FunctionStart < item.FinalAddress;
}

}  // namespace

std::string StackTracer::ComposeResult() {
    std::vector<const TInternalStackItem*> shown;
    for (std::size_t i = items_.size(); i-- > 0;) {
        const TInternalStackItem& item = items_[i];
        if (item.Hidden) continue;
        if (item.Top || (i == 0 && options_.CreatorAddress) ||
            (!item.FunctionName.empty() && (!options_.HideUglyItems || item.Line > 0)))
            shown.push_back(&item);
    }
    const auto line_text = [&](const TInternalStackItem& item) -> std::string {
        if (options_.ShowRelLines && item.AbsLine > 0) return "+" + std::to_string(item.Line);
        return item.Line > 0 ? std::to_string(item.Line) : std::string();
    };

    // Column widths over every item that prints, repeated addresses included.
    bool relative = false, absolute = false, lines = false;
    std::size_t relative_digits = 0, module_width = 0, unit_width = 0, absolute_width = 0, line_width = 0;
    for (const TInternalStackItem* item : shown) {
        if (options_.ShowRelAddrs && has_relative_address(*item)) {
            relative = true;
            relative_digits = std::max(relative_digits, hex_digits(item->FinalAddress - item->FunctionStart, 1).size());
        }
        module_width = std::max(module_width, item->ModuleName.size());
        unit_width = std::max(unit_width, item->UnitName.size());
        if (item->AbsLine > 0) {
            absolute = true;
            absolute_width = std::max(absolute_width, std::to_string(item->AbsLine).size());
        }
        if (item->AbsLine > 0 || item->Line > 0) {
            lines = true;
            line_width = std::max(line_width, line_text(*item).size());
        }
    }
    // The relative column is as wide as its widest value with its sign: "+01c" for 1c.
    ++relative_digits;

    std::string result;
    CallstackCrc crc;
    bool has_line = false, found_function = false, found_with_line = false;
    std::uint32_t printed_before = 0;
    bool any_printed = false;
    for (const TInternalStackItem* item : shown) {
        if (any_printed && item->FinalAddress == printed_before) continue;
        std::string line = hex_digits(item->FinalAddress, 8) + " ";
        if (relative)
            line += "+" + hex_digits(has_relative_address(*item) ? item->FinalAddress - item->FunctionStart : 0, relative_digits) + " ";
        line += pad_right(item->ModuleName, module_width + 1);
        line += pad_right(item->UnitName, unit_width + 1);
        if (absolute) line += pad_left(item->AbsLine > 0 ? std::to_string(item->AbsLine) : std::string(), absolute_width) + " ";
        if (lines) line += pad_left(line_text(*item), line_width) + " ";
        line += item->FunctionName;
        if (any_printed) result += "\r\n";
        result += line;
        any_printed = true;
        printed_before = item->FinalAddress;

        if (options_.StackTrace) {
            TStackItem out;
            out.Address = item->FinalAddress;
            out.FunctionOffset = has_relative_address(*item) ? item->FinalAddress - item->FunctionStart : 0;
            out.Module = item->ModuleName;
            out.Unit = item->UnitName;
            out.AbsoluteLine = item->AbsLine;
            out.DisplayLine = item->AbsLine > 0 || item->Line > 0 ? item->Line : 0;
            out.Function = item->FunctionName;
            options_.StackTrace->push_back(std::move(out));
        }
        if (item->FunctionStart && !found_with_line && (item->AbsLine > 0 || !found_function)) {
            if (options_.ExceptionFunction) *options_.ExceptionFunction = item->FunctionStart;
            if (options_.ExceptionFunctionAddress) *options_.ExceptionFunctionAddress = item->FinalAddress;
            found_function = true;
            found_with_line = item->AbsLine > 0;
        }
        crc.AddLine(item->FinalAddress, item->FunctionStart, item->ModuleName, item->UnitName, item->FunctionName);
        has_line = has_line || item->Line > 0;
    }
    if (options_.Crc1 && options_.Crc2 && options_.HasLineInfo) {
        *options_.Crc1 = crc.Crc1;
        *options_.Crc2 = crc.Crc2;
        *options_.HasLineInfo = has_line;
    }
    return result;
}

}  // namespace roadsum
