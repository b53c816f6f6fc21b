#include "crash/settings/component_stream_text.h"

#include <array>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <limits>

#include "crash/common/text_lists.h"
#include "crash/settings/ansi_code_page.h"

namespace roadsum {

StreamTextError::StreamTextError(int line, int column, const std::string& message)
    : std::runtime_error("line " + std::to_string(line) + ", column " + std::to_string(column) + ": " + message),
      line_(line),
      column_(column) {}

namespace {

bool is_name_start(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool is_name_char(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.'; }

bool is_plain_name(std::string_view s) {
    if (s.empty() || !is_name_start(s[0])) return false;
    for (char c : s)
        if (!is_name_char(c)) return false;
    return true;
}

// ---- writing ----

class TextWriter {
public:
    void object(const StreamObject& o, int depth) {
        indent(depth);
        std::uint8_t plain_flags = o.flags & ~kObjectChild;
        out_ += plain_flags == kObjectInherited ? "inherited " : plain_flags == kObjectInline ? "inline " : "object ";
        name(o.name);
        out_ += ": ";
        name(o.class_name);
        if (o.flags & kObjectChild) out_ += " [" + std::to_string(o.child_position) + "]";
        if (plain_flags != 0 && plain_flags != kObjectInherited && plain_flags != kObjectInline)
            out_ += " flags(" + std::to_string(o.flags) + ")";
        out_ += '\n';
        for (const StreamProperty& p : o.properties) {
            indent(depth + 1);
            name(p.name);
            out_ += " = ";
            value(p.value, depth + 2);
            out_ += '\n';
        }
        for (const StreamObject& child : o.children) object(child, depth + 1);
        indent(depth);
        out_ += "end\n";
    }

    std::string take() { return std::move(out_); }

private:
    void indent(int depth) { out_.append(static_cast<std::size_t>(depth) * 2, ' '); }

    // Names that could read as a keyword of the format are quoted.
    void name(const std::string& n) {
        if (is_plain_name(n) && n != "end" && n != "object" && n != "inherited" && n != "inline")
            out_ += n;
        else
            quoted(n, false, -1);
    }

    void escape(char16_t c, bool wide) {
        switch (c) {
            case '"': out_ += "\\\""; return;
            case '\\': out_ += "\\\\"; return;
            case '\r': out_ += "\\r"; return;
            case '\n': out_ += "\\n"; return;
            case '\t': out_ += "\\t"; return;
            default: break;
        }
        if (c >= 0x20 && c < 0x7F) {
            out_ += static_cast<char>(c);
            return;
        }
        char buffer[8];
        std::snprintf(buffer, sizeof buffer, wide ? "\\u%04X" : "\\x%02X", static_cast<unsigned>(c));
        out_ += buffer;
    }

    // Texts with line breaks are split after each break, one piece a line (not names: a
    // continuation depth below 0 keeps the text in one piece).
    template <class Text>
    void quoted(const Text& text, bool wide, int continuation_depth) {
        out_ += '"';
        for (std::size_t i = 0; i < text.size(); ++i) {
            auto c = static_cast<char16_t>(wide ? text[i] : static_cast<unsigned char>(text[i]));
            escape(c, wide);
            if (c == '\n' && i + 1 < text.size() && continuation_depth >= 0) {
                out_ += "\" +\n";
                indent(continuation_depth);
                out_ += '"';
            }
        }
        out_ += '"';
    }

    void value(const StreamValue& v, int depth) {
        switch (v.type) {
            case ValueType::False: out_ += "false"; return;
            case ValueType::True: out_ += "true"; return;
            case ValueType::Int8:
            case ValueType::Int16:
            case ValueType::Int32:
                if (StreamValue::integer_value(v.integer).type == v.type) {
                    out_ += std::to_string(v.integer);
                } else {
                    out_ += v.type == ValueType::Int16 ? "int16(" : v.type == ValueType::Int32 ? "int32(" : "int8(";
                    out_ += std::to_string(v.integer) + ")";
                }
                return;
            case ValueType::String:
            case ValueType::LString:
                if (StreamValue::ansi_text(v.bytes).type == v.type) {
                    quoted(v.bytes, false, depth);
                } else {
                    out_ += v.type == ValueType::LString ? "lstring(" : "string(";
                    quoted(v.bytes, false, depth);
                    out_ += ')';
                }
                return;
            case ValueType::Ident:
                if (is_plain_name(v.bytes) && !equal_ignoring_case(v.bytes, "true") &&
                    !equal_ignoring_case(v.bytes, "false")) {
                    out_ += v.bytes;
                } else {
                    out_ += "ident(";
                    quoted(v.bytes, false, depth);
                    out_ += ')';
                }
                return;
            case ValueType::Utf8String:
                out_ += "utf8(";
                quoted(v.bytes, false, depth);
                out_ += ')';
                return;
            case ValueType::WString:
                out_ += "wstring(";
                quoted(v.wide, true, depth);
                out_ += ')';
                return;
            default:
                out_ += "unknown(" + std::to_string(static_cast<int>(v.type)) + ")";
                return;
        }
    }

    std::string out_;
};

// ---- reading ----

enum class Token { End, Name, Integer, Text, Colon, Equals, Open, Close, OpenBracket, CloseBracket, Plus };

class Parser {
public:
    explicit Parser(std::string_view text) : text_(text) { next(); }

    StreamObject file() {
        StreamObject root = object(0);
        if (token_ != Token::End) fail("text after the end of the object");
        return root;
    }

private:
    [[noreturn]] void fail(const std::string& message) const { throw StreamTextError(line_, column_, message); }

    char peek_char(std::size_t ahead = 0) const {
        return pos_ + ahead < text_.size() ? text_[pos_ + ahead] : '\0';
    }

    void advance_char() {
        if (text_[pos_] == '\n') {
            ++next_line_;
            next_column_ = 1;
        } else {
            ++next_column_;
        }
        ++pos_;
    }

    void skip_blanks() {
        while (pos_ < text_.size()) {
            char c = text_[pos_];
            if (c == '#') {
                while (pos_ < text_.size() && text_[pos_] != '\n') advance_char();
            } else if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
                advance_char();
            } else {
                break;
            }
        }
    }

    void next() {
        skip_blanks();
        line_ = next_line_;
        column_ = next_column_;
        word_.clear();
        if (pos_ >= text_.size()) {
            token_ = Token::End;
            return;
        }
        char c = text_[pos_];
        static constexpr std::array<std::pair<char, Token>, 7> kMarks{{{':', Token::Colon},
                                                                      {'=', Token::Equals},
                                                                      {'(', Token::Open},
                                                                      {')', Token::Close},
                                                                      {'[', Token::OpenBracket},
                                                                      {']', Token::CloseBracket},
                                                                      {'+', Token::Plus}}};
        for (auto [mark, token] : kMarks) {
            if (c == mark && !(c == '+' && std::isdigit(static_cast<unsigned char>(peek_char(1))))) {
                advance_char();
                token_ = token;
                return;
            }
        }
        if (is_name_start(c)) {
            while (pos_ < text_.size() && is_name_char(text_[pos_])) {
                word_ += text_[pos_];
                advance_char();
            }
            token_ = Token::Name;
            return;
        }
        if (std::isdigit(static_cast<unsigned char>(c)) || c == '-' || c == '+') {
            word_ += c;
            advance_char();
            while (pos_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[pos_]))) {
                word_ += text_[pos_];
                advance_char();
            }
            token_ = Token::Integer;
            return;
        }
        if (c == '"') {
            read_quoted();
            token_ = Token::Text;
            return;
        }
        fail(std::string("unexpected character '") + c + "'");
    }

    // Keeps escapes of \u for wide texts as they are: word_ holds raw bytes, and \u is stored
    // as a marker sequence that only wide() turns into a unit.
    void read_quoted() {
        advance_char();
        for (;;) {
            if (pos_ >= text_.size() || text_[pos_] == '\n') fail("text without its closing quote");
            char c = text_[pos_];
            advance_char();
            if (c == '"') return;
            if (c != '\\') {
                word_ += c;
                continue;
            }
            if (pos_ >= text_.size()) fail("text without its closing quote");
            char e = text_[pos_];
            advance_char();
            switch (e) {
                case '"': word_ += '"'; break;
                case '\\': word_ += '\\'; break;
                case 'r': word_ += '\r'; break;
                case 'n': word_ += '\n'; break;
                case 't': word_ += '\t'; break;
                case 'x': word_ += static_cast<char>(hex_digits(2)); break;
                case 'u': {
                    unsigned unit = hex_digits(4);
                    units_.push_back({word_.size(), static_cast<char16_t>(unit)});
                    break;
                }
                default: fail(std::string("unknown escape \\") + e);
            }
        }
    }

    unsigned hex_digits(int n) {
        unsigned v = 0;
        for (int i = 0; i < n; ++i) {
            char c = pos_ < text_.size() ? text_[pos_] : '\0';
            const int d = hex_digit_value(c);
            if (d < 0) fail("expected a hexadecimal digit");
            v = v * 16 + static_cast<unsigned>(d);
            advance_char();
        }
        return v;
    }

    void expect(Token t, const char* what) {
        if (token_ != t) fail(std::string("expected ") + what);
        next();
    }

    std::string name(const char* what) {
        if (token_ != Token::Name && token_ != Token::Text) fail(std::string("expected ") + what);
        if (token_ == Token::Text) reject_wide_escapes();
        std::string n = word_;
        next();
        return n;
    }

    void reject_wide_escapes() {
        if (!units_.empty()) fail("\\u is only allowed in wstring texts");
    }

    std::int32_t integer() {
        if (token_ != Token::Integer) fail("expected a whole number");
        std::string_view digits = word_;
        if (!digits.empty() && digits[0] == '+') digits.remove_prefix(1);
        std::int64_t v = 0;
        auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), v);
        if (error != std::errc() || end != digits.data() + digits.size() ||
            v < std::numeric_limits<std::int32_t>::min() || v > std::numeric_limits<std::int32_t>::max())
            fail("not a 32-bit whole number: " + word_);
        next();
        return static_cast<std::int32_t>(v);
    }

    // One text: pieces joined by "+". Escaped UTF-16 units are collected beside the bytes.
    struct Pieces {
        std::string bytes;
        std::vector<std::pair<std::size_t, char16_t>> units;  // position in bytes, unit
    };

    Pieces text_pieces(bool wide) {
        Pieces p;
        for (;;) {
            if (token_ != Token::Text) fail("expected a quoted text");
            if (!wide) reject_wide_escapes();
            for (auto [at, unit] : units_) p.units.push_back({p.bytes.size() + at, unit});
            p.bytes += word_;
            units_.clear();
            next();
            if (token_ != Token::Plus) return p;
            next();
        }
    }

    std::string byte_text() { return text_pieces(false).bytes; }

    std::u16string wide_text() {
        Pieces p = text_pieces(true);
        std::u16string out;
        std::size_t from = 0;
        auto add_bytes = [&](std::size_t to) {
            bool valid = true;
            out += utf8_to_utf16(std::string_view(p.bytes).substr(from, to - from), &valid);
            if (!valid) fail("a wstring text that is not UTF-8");
            from = to;
        };
        for (auto [at, unit] : p.units) {
            add_bytes(at);
            out.push_back(unit);
        }
        add_bytes(p.bytes.size());
        return out;
    }

    StreamValue typed(const std::string& form) {
        next();  // the form's name
        expect(Token::Open, "\"(\"");
        StreamValue v;
        if (form == "int8" || form == "int16" || form == "int32") {
            std::int32_t n = integer();
            if (form == "int8" && (n < -128 || n > 127)) fail("int8 value out of range");
            if (form == "int16" && (n < -32768 || n > 32767)) fail("int16 value out of range");
            v = form == "int8"    ? StreamValue::int8(static_cast<std::int8_t>(n))
                : form == "int16" ? StreamValue::int16(static_cast<std::int16_t>(n))
                                  : StreamValue::int32(n);
        } else if (form == "string") {
            v = StreamValue::text(ValueType::String, byte_text());
            if (v.bytes.size() > 255) fail("a string(...) text longer than 255 bytes");
        } else if (form == "lstring") {
            v = StreamValue::text(ValueType::LString, byte_text());
        } else if (form == "utf8") {
            v = StreamValue::text(ValueType::Utf8String, byte_text());
        } else if (form == "ident") {
            v = StreamValue::text(ValueType::Ident, byte_text());
            if (v.bytes.size() > 255) fail("an identifier longer than 255 bytes");
        } else if (form == "wstring") {
            v = StreamValue::wide_text(wide_text());
        } else {
            fail("unknown value form " + form + "(...)");
        }
        expect(Token::Close, "\")\"");
        return v;
    }

    bool next_char_is_open() {
        std::size_t p = pos_;
        while (p < text_.size() && (text_[p] == ' ' || text_[p] == '\t')) ++p;
        return p < text_.size() && text_[p] == '(';
    }

    StreamValue value() {
        switch (token_) {
            case Token::Integer:
                return StreamValue::integer_value(integer());
            case Token::Text:
                return StreamValue::ansi_text(byte_text());
            case Token::Name: {
                std::string word = word_;
                if (next_char_is_open()) return typed(word);
                next();
                if (equal_ignoring_case(word, "true")) return StreamValue::boolean(true);
                if (equal_ignoring_case(word, "false")) return StreamValue::boolean(false);
                if (word.size() > 255) fail("an identifier longer than 255 bytes");
                return StreamValue::text(ValueType::Ident, word);
            }
            default:
                fail("expected a value");
        }
    }

    StreamObject object(std::size_t depth) {
        if (depth > kMaxObjectDepth) fail("objects nested too deep");
        StreamObject o;
        if (token_ != Token::Name) fail("expected \"object\"");
        if (word_ == "inherited")
            o.flags = kObjectInherited;
        else if (word_ == "inline")
            o.flags = kObjectInline;
        else if (word_ != "object")
            fail("expected \"object\"");
        next();
        o.name = name("an object name");
        expect(Token::Colon, "\":\" and a class name");
        o.class_name = name("a class name");
        if (token_ == Token::OpenBracket) {
            next();
            o.flags |= kObjectChild;
            o.child_position = integer();
            expect(Token::CloseBracket, "\"]\"");
        }
        if (token_ == Token::Name && word_ == "flags" && next_char_is_open()) {
            next();
            expect(Token::Open, "\"(\"");
            std::int32_t flags = integer();
            if (flags < 0 || flags > 15) fail("flags must lie between 0 and 15");
            o.flags = static_cast<std::uint8_t>(flags);
            expect(Token::Close, "\")\"");
        }
        if (o.name.size() > 255 || o.class_name.size() >= 0xF0) fail("name too long");
        for (;;) {
            if (token_ == Token::End) fail("missing \"end\"");
            if (token_ == Token::Name && word_ == "end") {
                next();
                return o;
            }
            if (token_ == Token::Name && (word_ == "object" || word_ == "inherited" || word_ == "inline") &&
                !next_char_is_equals()) {
                o.children.push_back(object(depth + 1));
                continue;
            }
            StreamProperty p;
            p.name = name("a property name");
            if (p.name.empty() || p.name.size() > 255) fail("a property name must have 1 to 255 bytes");
            expect(Token::Equals, "\"=\"");
            p.value = value();
            o.properties.push_back(std::move(p));
        }
    }

    bool next_char_is_equals() {
        std::size_t p = pos_;
        while (p < text_.size() && (text_[p] == ' ' || text_[p] == '\t')) ++p;
        return p < text_.size() && text_[p] == '=';
    }

    std::string_view text_;
    std::size_t pos_ = 0;
    int next_line_ = 1, next_column_ = 1;
    int line_ = 1, column_ = 1;
    Token token_ = Token::End;
    std::string word_;
    std::vector<std::pair<std::size_t, char16_t>> units_;
};

}  // namespace

std::string component_stream_to_text(const StreamObject& root) {
    TextWriter writer;
    writer.object(root, 0);
    return writer.take();
}

StreamObject component_stream_from_text(std::string_view text) { return Parser(text).file(); }

}  // namespace roadsum
