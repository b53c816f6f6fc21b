// A readable text form of a component stream, so that resources are kept as sources and a
// stream can be looked at. One object:
//
//   # a comment runs to the end of the line
//   object noxExcept: TNoxExcept
//     Enabled = true                   booleans: true, false
//     FreezeTimeout = 60000            integers: the smallest of 8, 16, 32 bits that holds them
//     TitleBar = "%appname%"           texts: 1 length byte up to 255 bytes, 32-bit length beyond
//     Long = "first line\r\n" +        "+" joins pieces of one text
//            "second line"
//     Kind = alClient                  an identifier value
//     object Child: TChild             nested objects, any depth
//     end
//   end
//
// Forms that pick another value type: int8(N), int16(N), int32(N), lstring("..."),
// wstring("..."), utf8("..."), ident("..."). Escapes in texts: \" \\ \r \n \t, \xHH for a byte,
// and in wstring \uHHHH for a UTF-16 unit. Other bytes of the file are taken as they are
// (UTF-8 text in wstring and utf8 values). Names that are not plain identifiers are quoted.
// An object header may start with "inherited" or "inline" instead of "object", and may end with
// "[N]" (its child position) and "flags(N)" (the raw prefix flags).
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

#include "crash/settings/component_stream.h"

namespace roadsum {

class StreamTextError : public std::runtime_error {
public:
    StreamTextError(int line, int column, const std::string& message);
    int line() const { return line_; }
    int column() const { return column_; }

private:
    int line_;
    int column_;
};

// The text form of an object; reading it back gives the same object with the same value types.
std::string component_stream_to_text(const StreamObject& root);

// Reads the text form; throws StreamTextError (with line and column) on a mistake.
StreamObject component_stream_from_text(std::string_view text);

}  // namespace roadsum
