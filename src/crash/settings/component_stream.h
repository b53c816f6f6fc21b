// The binary component stream: "TPF0", then an object (class name, object name, typed
// properties, nested objects). The reporter's settings resource and its assistant pages are
// stored in it; the reader keeps what it could read when the stream breaks off.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace roadsum {

// Value type bytes as they stand in the stream.
enum class ValueType : std::uint8_t {
    Null = 0,
    List = 1,
    Int8 = 2,
    Int16 = 3,
    Int32 = 4,
    Extended = 5,
    String = 6,  // 1 length byte, ANSI characters
    Ident = 7,   // like String, an identifier
    False = 8,
    True = 9,
    Binary = 10,
    Set = 11,
    LString = 12,  // 32-bit length, ANSI characters
    Nil = 13,
    Collection = 14,
    Single = 15,
    Currency = 16,
    Date = 17,
    WString = 18,  // 32-bit count of UTF-16 units, then the units
    Int64 = 19,
    Utf8String = 20,  // 32-bit length, UTF-8 bytes
};

// A set of value types; the reader stops at a type outside the set it is given.
class ValueTypeSet {
public:
    constexpr ValueTypeSet() = default;
    constexpr ValueTypeSet(std::initializer_list<ValueType> types) {
        for (ValueType t : types) bits_ |= bit(t);
    }
    constexpr bool contains(ValueType t) const { return (bits_ & bit(t)) != 0; }

private:
    static constexpr std::uint32_t bit(ValueType t) { return std::uint32_t{1} << static_cast<unsigned>(t); }
    std::uint32_t bits_ = 0;
};

// Every type this code can read and write.
inline constexpr ValueTypeSet kAllValueTypes{ValueType::Int8,  ValueType::Int16,   ValueType::Int32,
                                             ValueType::String, ValueType::Ident,  ValueType::False,
                                             ValueType::True,  ValueType::LString, ValueType::WString,
                                             ValueType::Utf8String};

struct StreamValue {
    ValueType type = ValueType::False;
    std::int32_t integer = 0;  // Int8, Int16, Int32
    std::string bytes;         // String, Ident, LString (ANSI), Utf8String (UTF-8)
    std::u16string wide;       // WString

    static StreamValue boolean(bool value);
    static StreamValue int8(std::int8_t value);
    static StreamValue int16(std::int16_t value);
    static StreamValue int32(std::int32_t value);
    // Int8, Int16 or Int32, whichever is the smallest that holds the value.
    static StreamValue integer_value(std::int32_t value);
    static StreamValue text(ValueType type, std::string bytes);  // String, Ident, LString, Utf8String
    static StreamValue wide_text(std::u16string units);
    // String when it fits in 255 bytes, else LString.
    static StreamValue ansi_text(std::string bytes);

    bool is_integer() const;
    bool is_boolean() const;
    bool is_text() const;

    friend bool operator==(const StreamValue&, const StreamValue&) = default;
};

struct StreamProperty {
    std::string name;
    StreamValue value;

    friend bool operator==(const StreamProperty&, const StreamProperty&) = default;
};

// Flags of the optional prefix byte before an object's class name.
enum ObjectFlags : std::uint8_t {
    kObjectInherited = 1,
    kObjectChild = 2,  // a child position follows the prefix
    kObjectInline = 4,
};

struct StreamObject {
    std::uint8_t flags = 0;
    std::int32_t child_position = 0;  // only with kObjectChild
    std::string class_name;
    std::string name;
    std::vector<StreamProperty> properties;
    std::vector<StreamObject> children;

    const StreamProperty* find(std::string_view property_name) const;

    friend bool operator==(const StreamObject&, const StreamObject&) = default;
};

enum class StreamStop {
    None,              // the whole stream was read
    BadSignature,      // no "TPF0"
    Truncated,         // the data ends inside an item
    UnknownValueType,  // a value type outside the accepted set
    TooDeep,           // objects nested deeper than the reader follows
};

struct StreamReadResult {
    StreamObject root;  // what was read, also when the reader stopped
    StreamStop stop = StreamStop::None;
    std::uint8_t value_type = 0;  // the offending byte when stop is UnknownValueType
    std::size_t offset = 0;       // where the reader stopped

    bool complete() const { return stop == StreamStop::None; }
};

struct StreamReadOptions {
    ValueTypeSet accepted = kAllValueTypes;
    // False: stop after the root's properties (the settings resource has nothing more).
    bool read_children = true;
};

inline constexpr std::size_t kMaxObjectDepth = 32;

StreamReadResult read_component_stream(std::span<const std::uint8_t> data, const StreamReadOptions& options = {});

// A short English description of why the reader stopped, for tools and tests.
std::string describe_stop(const StreamReadResult& result);

// The reporter's message for a broken resource of the kind named ("settings", "assistant"):
// "Internal error: Invalid settings resource ($0A)." for a value type byte of 10, a few words
// for a stream that breaks off.
std::string invalid_resource_message(std::string_view kind, const StreamReadResult& result);

class StreamWriteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Writes "TPF0" and the object with its properties and nested objects. Throws StreamWriteError
// for what the format cannot hold (a name longer than 255 bytes, an integer outside its type,
// a short text longer than 255 bytes, a type this code does not write).
std::vector<std::uint8_t> write_component_stream(const StreamObject& root);

}  // namespace roadsum
