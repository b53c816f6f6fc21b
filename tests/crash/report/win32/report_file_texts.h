// The reports that the report-file writer appends, and the test that reads them back.
#pragma once

#include <cstdio>
#include <string>

namespace roadsum::testing {

// A report of writer `tag`, number `index`, long enough that torn writes would show.
inline std::string writer_report(unsigned tag, int index) {
    char crc[64];
    std::snprintf(crc, sizeof crc, "$%04X%04X, $%04X%04X, $00000000", tag, index, tag, index);
    std::string text = "date/time        : 2024-03-07, 09:05:04, 42ms\r\n"
                       "executable       : report_file_writer.exe\r\n"
                       "version          : 1.0.0.0\r\n"
                       "callstack crc    : " + std::string(crc) + "\r\n"
                       "exception number : " + std::to_string(index + 1) + "\r\n"
                       "exception class  : EWriterTest\r\n"
                       "exception message: writer " + std::to_string(tag) + " report " + std::to_string(index) + "\r\n"
                       "\r\n"
                       "main thread ($1A4):\r\n";
    for (int line = 0; line < 8; ++line)
        text += "0044f3a2 +01c report_file_writer.exe ReportFileWriter " + std::to_string(100 + line) + " +" +
                std::to_string(line) + " TWriter.Step" + std::to_string(line) + "\r\n";
    text += "\r\ncpu registers:\r\neax = 00000000";
    return text;
}

}  // namespace roadsum::testing
