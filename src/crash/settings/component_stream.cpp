#include "crash/settings/component_stream.h"

#include <cstdio>
#include <limits>

namespace roadsum {

StreamValue StreamValue::boolean(bool value) {
    StreamValue v;
    v.type = value ? ValueType::True : ValueType::False;
    return v;
}

namespace {

StreamValue integer_of(ValueType type, std::int32_t value) {
    StreamValue v;
    v.type = type;
    v.integer = value;
    return v;
}

}  // namespace

StreamValue StreamValue::int8(std::int8_t value) { return integer_of(ValueType::Int8, value); }
StreamValue StreamValue::int16(std::int16_t value) { return integer_of(ValueType::Int16, value); }
StreamValue StreamValue::int32(std::int32_t value) { return integer_of(ValueType::Int32, value); }

StreamValue StreamValue::integer_value(std::int32_t value) {
    if (value >= std::numeric_limits<std::int8_t>::min() && value <= std::numeric_limits<std::int8_t>::max())
        return int8(static_cast<std::int8_t>(value));
    if (value >= std::numeric_limits<std::int16_t>::min() && value <= std::numeric_limits<std::int16_t>::max())
        return int16(static_cast<std::int16_t>(value));
    return int32(value);
}

StreamValue StreamValue::text(ValueType type, std::string bytes) {
    StreamValue v;
    v.type = type;
    v.bytes = std::move(bytes);
    return v;
}

StreamValue StreamValue::wide_text(std::u16string units) {
    StreamValue v;
    v.type = ValueType::WString;
    v.wide = std::move(units);
    return v;
}

StreamValue StreamValue::ansi_text(std::string bytes) {
    ValueType type = bytes.size() <= 255 ? ValueType::String : ValueType::LString;
    return text(type, std::move(bytes));
}

bool StreamValue::is_integer() const {
    return type == ValueType::Int8 || type == ValueType::Int16 || type == ValueType::Int32;
}

bool StreamValue::is_boolean() const { return type == ValueType::False || type == ValueType::True; }

bool StreamValue::is_text() const {
    return type == ValueType::String || type == ValueType::Ident || type == ValueType::LString ||
           type == ValueType::WString || type == ValueType::Utf8String;
}

const StreamProperty* StreamObject::find(std::string_view property_name) const {
    for (const StreamProperty& p : properties)
        if (p.name == property_name) return &p;
    return nullptr;
}

namespace {

constexpr char kSignature[4] = {'T', 'P', 'F', '0'};

// Unwinds the reader to its entry; what was stored in the tree so far stays.
struct ReadStop {
    StreamStop kind;
    std::uint8_t value_type;
    std::size_t offset;
};

class Reader {
public:
    Reader(std::span<const std::uint8_t> data, const StreamReadOptions& options) : data_(data), options_(options) {}

    void read_signature() {
        if (data_.size() < sizeof kSignature) stop(StreamStop::BadSignature);
        for (std::size_t i = 0; i < sizeof kSignature; ++i)
            if (data_[i] != static_cast<std::uint8_t>(kSignature[i])) stop(StreamStop::BadSignature);
        pos_ = sizeof kSignature;
    }

    void read_object(StreamObject& object, std::size_t depth) {
        if (depth > kMaxObjectDepth) stop(StreamStop::TooDeep);
        read_prefix(object);
        object.class_name = read_short_string();
        object.name = read_short_string();
        while (peek() != 0) {
            StreamProperty property;
            property.name = read_short_string();
            property.value = read_value();
            object.properties.push_back(std::move(property));
        }
        ++pos_;
        // A root without a list of nested objects may end right after its properties.
        if (!options_.read_children || (depth == 0 && pos_ == data_.size())) return;
        while (peek() != 0) {
            object.children.emplace_back();
            read_object(object.children.back(), depth + 1);
        }
        ++pos_;
    }

    std::size_t position() const { return pos_; }

private:
    [[noreturn]] void stop(StreamStop kind, std::uint8_t value_type = 0) { throw ReadStop{kind, value_type, pos_}; }

    void need(std::size_t n) {
        if (data_.size() - pos_ < n) stop(StreamStop::Truncated);
    }

    std::uint8_t peek() {
        need(1);
        return data_[pos_];
    }

    std::uint8_t byte() {
        need(1);
        return data_[pos_++];
    }

    std::uint32_t little_endian(std::size_t n) {
        need(n);
        std::uint32_t v = 0;
        for (std::size_t i = 0; i < n; ++i) v |= std::uint32_t{data_[pos_ + i]} << (8 * i);
        pos_ += n;
        return v;
    }

    std::string bytes(std::size_t n) {
        need(n);
        std::string s(reinterpret_cast<const char*>(data_.data() + pos_), n);
        pos_ += n;
        return s;
    }

    std::string read_short_string() { return bytes(byte()); }

    void read_prefix(StreamObject& object) {
        if ((peek() & 0xF0) != 0xF0) return;
        object.flags = byte() & 0x0F;
        if (object.flags & kObjectChild) {
            StreamValue position = read_value();
            if (!position.is_integer()) stop(StreamStop::UnknownValueType, static_cast<std::uint8_t>(position.type));
            object.child_position = position.integer;
        }
    }

    StreamValue read_value() {
        std::uint8_t type_byte = peek();
        auto type = static_cast<ValueType>(type_byte);
        if (!options_.accepted.contains(type) || !kAllValueTypes.contains(type))
            stop(StreamStop::UnknownValueType, type_byte);
        ++pos_;
        switch (type) {
            case ValueType::Int8:
                return StreamValue::int8(static_cast<std::int8_t>(byte()));
            case ValueType::Int16:
                return StreamValue::int16(static_cast<std::int16_t>(little_endian(2)));
            case ValueType::Int32:
                return StreamValue::int32(static_cast<std::int32_t>(little_endian(4)));
            case ValueType::String:
            case ValueType::Ident:
                return StreamValue::text(type, read_short_string());
            case ValueType::False:
            case ValueType::True:
                return StreamValue::boolean(type == ValueType::True);
            case ValueType::LString:
            case ValueType::Utf8String:
                return StreamValue::text(type, bytes(little_endian(4)));
            case ValueType::WString: {
                std::uint32_t count = little_endian(4);
                if (count > (data_.size() - pos_) / 2) stop(StreamStop::Truncated);
                std::u16string units(count, u'\0');
                for (char16_t& u : units) u = static_cast<char16_t>(little_endian(2));
                return StreamValue::wide_text(std::move(units));
            }
            default:
                stop(StreamStop::UnknownValueType, type_byte);
        }
    }

    std::span<const std::uint8_t> data_;
    const StreamReadOptions& options_;
    std::size_t pos_ = 0;
};

class Writer {
public:
    void write_object(const StreamObject& object) {
        if (object.flags != 0) {
            if (object.flags > 0x0F) throw StreamWriteError("object flags out of range");
            out_.push_back(static_cast<std::uint8_t>(0xF0 | object.flags));
            if (object.flags & kObjectChild) write_value(StreamValue::integer_value(object.child_position));
        }
        // A length byte of 0xF0 or more would read as the prefix above.
        if (object.class_name.size() >= 0xF0) throw StreamWriteError("class name longer than 239 bytes");
        write_short_string(object.class_name, "class name");
        write_short_string(object.name, "object name");
        for (const StreamProperty& p : object.properties) {
            if (p.name.empty()) throw StreamWriteError("a property without a name");
            write_short_string(p.name, "property name");
            write_value(p.value);
        }
        out_.push_back(0);
        for (const StreamObject& child : object.children) write_object(child);
        out_.push_back(0);
    }

    std::vector<std::uint8_t> take() { return std::move(out_); }

private:
    void little_endian(std::uint32_t v, int n) {
        for (int i = 0; i < n; ++i) out_.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }

    void raw(const std::string& s) { out_.insert(out_.end(), s.begin(), s.end()); }

    void write_short_string(const std::string& s, const char* what) {
        if (s.size() > 255) throw StreamWriteError(std::string(what) + " longer than 255 bytes: " + s.substr(0, 40));
        out_.push_back(static_cast<std::uint8_t>(s.size()));
        raw(s);
    }

    void check_range(const StreamValue& v, std::int32_t low, std::int32_t high) {
        if (v.integer < low || v.integer > high)
            throw StreamWriteError("integer " + std::to_string(v.integer) + " does not fit its value type");
    }

    void write_value(const StreamValue& v) {
        out_.push_back(static_cast<std::uint8_t>(v.type));
        switch (v.type) {
            case ValueType::Int8:
                check_range(v, -128, 127);
                little_endian(static_cast<std::uint32_t>(v.integer), 1);
                break;
            case ValueType::Int16:
                check_range(v, -32768, 32767);
                little_endian(static_cast<std::uint32_t>(v.integer), 2);
                break;
            case ValueType::Int32:
                little_endian(static_cast<std::uint32_t>(v.integer), 4);
                break;
            case ValueType::String:
            case ValueType::Ident:
                write_short_string(v.bytes, "short text");
                break;
            case ValueType::False:
            case ValueType::True:
                break;
            case ValueType::LString:
            case ValueType::Utf8String:
                little_endian(static_cast<std::uint32_t>(v.bytes.size()), 4);
                raw(v.bytes);
                break;
            case ValueType::WString:
                little_endian(static_cast<std::uint32_t>(v.wide.size()), 4);
                for (char16_t u : v.wide) little_endian(u, 2);
                break;
            default:
                throw StreamWriteError("value type " + std::to_string(static_cast<int>(v.type)) + " is not written");
        }
    }

    std::vector<std::uint8_t> out_;
};

}  // namespace

StreamReadResult read_component_stream(std::span<const std::uint8_t> data, const StreamReadOptions& options) {
    StreamReadResult result;
    Reader reader(data, options);
    try {
        reader.read_signature();
        reader.read_object(result.root, 0);
        result.offset = reader.position();
    } catch (const ReadStop& s) {
        result.stop = s.kind;
        result.value_type = s.value_type;
        result.offset = s.offset;
    }
    return result;
}

std::string describe_stop(const StreamReadResult& result) {
    std::string at = " at offset " + std::to_string(result.offset);
    switch (result.stop) {
        case StreamStop::None:
            return "complete";
        case StreamStop::BadSignature:
            return "not a component stream (no \"TPF0\")";
        case StreamStop::Truncated:
            return "the stream ends inside an item" + at;
        case StreamStop::UnknownValueType:
            return "unknown value type " + std::to_string(result.value_type) + at;
        case StreamStop::TooDeep:
            return "objects nested more than " + std::to_string(kMaxObjectDepth) + " deep" + at;
    }
    return "unknown stop";
}

std::vector<std::uint8_t> write_component_stream(const StreamObject& root) {
    Writer writer;
    std::vector<std::uint8_t> head(std::begin(kSignature), std::end(kSignature));
    writer.write_object(root);
    std::vector<std::uint8_t> body = writer.take();
    head.insert(head.end(), body.begin(), body.end());
    return head;
}

std::string invalid_resource_message(std::string_view kind, const StreamReadResult& result) {
    std::string detail;
    switch (result.stop) {
        case StreamStop::UnknownValueType: {
            char hex[8];
            std::snprintf(hex, sizeof hex, "$%02X", static_cast<unsigned>(result.value_type));
            detail = hex;
            break;
        }
        case StreamStop::BadSignature: detail = "no component stream"; break;
        case StreamStop::Truncated: detail = "truncated"; break;
        case StreamStop::TooDeep: detail = "nested too deep"; break;
        case StreamStop::None: detail = "complete"; break;
    }
    return "Internal error: Invalid " + std::string(kind) + " resource (" + detail + ").";
}

}  // namespace roadsum
