#include "crash/settings/component_stream.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "crash/settings/component_stream_text.h"

namespace roadsum {
namespace {

std::vector<std::uint8_t> bytes(std::initializer_list<int> list) {
    std::vector<std::uint8_t> out;
    for (int b : list) out.push_back(static_cast<std::uint8_t>(b));
    return out;
}

void append(std::vector<std::uint8_t>& out, const std::string& s) { out.insert(out.end(), s.begin(), s.end()); }

// "TPF0", class "TX", object "x", then the given property bytes and the two list ends.
std::vector<std::uint8_t> stream_with(const std::vector<std::uint8_t>& properties) {
    std::vector<std::uint8_t> out = bytes({'T', 'P', 'F', '0', 2, 'T', 'X', 1, 'x'});
    out.insert(out.end(), properties.begin(), properties.end());
    out.push_back(0);
    out.push_back(0);
    return out;
}

StreamObject every_type() {
    StreamObject o;
    o.class_name = "TNoxExcept";
    o.name = "noxExcept";
    o.properties = {
        {"I8", StreamValue::int8(-5)},
        {"I16", StreamValue::int16(-30000)},
        {"I32", StreamValue::int32(60000)},
        {"SmallInI32", StreamValue::int32(7)},
        {"Short", StreamValue::text(ValueType::String, "bug report")},
        {"Ident", StreamValue::text(ValueType::Ident, "alClient")},
        {"No", StreamValue::boolean(false)},
        {"Yes", StreamValue::boolean(true)},
        {"Long", StreamValue::text(ValueType::LString, std::string(300, 'a'))},
        {"ShortInLong", StreamValue::text(ValueType::LString, "abc")},
        {"Wide", StreamValue::wide_text(u"caf\u00e9 \u20ac \xD83D\xDE00")},
        {"Utf8", StreamValue::text(ValueType::Utf8String, "caf\xC3\xA9")},
        {"Bytes", StreamValue::text(ValueType::String, std::string("\x01\"\\\r\n\xFF", 6))},
    };
    return o;
}

TEST(ComponentStreamValues, EachTypeIsWrittenInItsLayout) {
    struct Case {
        StreamValue value;
        std::vector<std::uint8_t> encoded;
    };
    std::vector<Case> cases = {
        {StreamValue::int8(-2), bytes({2, 0xFE})},
        {StreamValue::int16(0x1234), bytes({3, 0x34, 0x12})},
        {StreamValue::int32(-2), bytes({4, 0xFE, 0xFF, 0xFF, 0xFF})},
        {StreamValue::text(ValueType::String, "ab"), bytes({6, 2, 'a', 'b'})},
        {StreamValue::text(ValueType::Ident, "ab"), bytes({7, 2, 'a', 'b'})},
        {StreamValue::boolean(false), bytes({8})},
        {StreamValue::boolean(true), bytes({9})},
        {StreamValue::text(ValueType::LString, "ab"), bytes({12, 2, 0, 0, 0, 'a', 'b'})},
        {StreamValue::wide_text(u"a\u20ac"), bytes({18, 2, 0, 0, 0, 'a', 0, 0xAC, 0x20})},
        {StreamValue::text(ValueType::Utf8String, "\xC3\xA9"), bytes({20, 2, 0, 0, 0, 0xC3, 0xA9})},
    };
    for (const Case& c : cases) {
        StreamObject o;
        o.class_name = "TX";
        o.name = "x";
        o.properties = {{"P", c.value}};
        std::vector<std::uint8_t> properties = bytes({1, 'P'});
        properties.insert(properties.end(), c.encoded.begin(), c.encoded.end());
        std::vector<std::uint8_t> expected = stream_with(properties);
        EXPECT_EQ(write_component_stream(o), expected) << "type " << static_cast<int>(c.value.type);
        StreamReadResult read = read_component_stream(expected);
        ASSERT_TRUE(read.complete()) << describe_stop(read);
        EXPECT_EQ(read.root, o);
    }
}

TEST(ComponentStreamValues, EveryTypeRoundTripsThroughBinaryAndText) {
    StreamObject o = every_type();
    StreamObject child;
    child.class_name = "TNVButton";
    child.name = "ContinueBtn";
    child.properties = {{"Caption", StreamValue::ansi_text("Next >")}};
    StreamObject grandchild;
    grandchild.class_name = "TLeaf";
    grandchild.name = "";
    grandchild.flags = kObjectInline | kObjectChild;
    grandchild.child_position = 3;
    child.children.push_back(grandchild);
    o.children.push_back(child);

    StreamReadResult read = read_component_stream(write_component_stream(o));
    ASSERT_TRUE(read.complete()) << describe_stop(read);
    EXPECT_EQ(read.root, o);

    std::string text = component_stream_to_text(o);
    EXPECT_EQ(component_stream_from_text(text), o) << text;
}

TEST(ComponentStreamValues, WriterRefusesWhatTheFormatCannotHold) {
    StreamObject o;
    o.class_name = "TX";
    o.properties = {{"P", StreamValue::int8(0)}};
    o.properties[0].value.integer = 200;
    EXPECT_THROW(write_component_stream(o), StreamWriteError);
    o.properties = {{"P", StreamValue::text(ValueType::String, std::string(256, 'a'))}};
    EXPECT_THROW(write_component_stream(o), StreamWriteError);
    o.properties = {{std::string(256, 'n'), StreamValue::boolean(true)}};
    EXPECT_THROW(write_component_stream(o), StreamWriteError);
    StreamValue extended;
    extended.type = ValueType::Extended;
    o.properties = {{"P", extended}};
    EXPECT_THROW(write_component_stream(o), StreamWriteError);
    o.properties.clear();
    o.class_name = std::string(240, 'T');  // its length byte would read as a flags prefix
    EXPECT_THROW(write_component_stream(o), StreamWriteError);
}

TEST(ComponentStreamReader, StopsAtAnUnknownValueTypeKeepingWhatItRead) {
    std::vector<std::uint8_t> properties = bytes({1, 'A', 9, 1, 'B', 2, 5, 1, 'C', 5});  // 5: extended
    properties.insert(properties.end(), 10, 0);
    append(properties, std::string("\x01" "D\x09"));
    StreamReadResult read = read_component_stream(stream_with(properties));
    EXPECT_EQ(read.stop, StreamStop::UnknownValueType);
    EXPECT_EQ(read.value_type, 5);
    ASSERT_EQ(read.root.properties.size(), 2u);
    EXPECT_EQ(read.root.properties[0].name, "A");
    EXPECT_EQ(read.root.properties[1].value, StreamValue::int8(5));
    EXPECT_EQ(read.root.class_name, "TX");
}

TEST(ComponentStreamReader, AcceptedTypesAreTheCallersChoice) {
    std::vector<std::uint8_t> stream = stream_with(bytes({1, 'A', 7, 2, 'o', 'k', 1, 'B', 9}));
    StreamReadOptions options;
    options.accepted = ValueTypeSet{ValueType::True, ValueType::False};
    StreamReadResult read = read_component_stream(stream, options);
    EXPECT_EQ(read.stop, StreamStop::UnknownValueType);
    EXPECT_EQ(read.value_type, 7);
    EXPECT_TRUE(read.root.properties.empty());
    EXPECT_TRUE(read_component_stream(stream).complete());
}

TEST(ComponentStreamReader, EveryTruncationStopsCleanlyWithThePropertiesBeforeIt) {
    StreamObject o = every_type();
    std::vector<std::uint8_t> full = write_component_stream(o);
    std::size_t previous_count = 0;
    // Every cut short of the property list's end byte; a root may end right after it.
    for (std::size_t n = 0; n + 1 < full.size(); ++n) {
        std::vector<std::uint8_t> cut(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(n));
        StreamReadResult read = read_component_stream(cut);
        EXPECT_FALSE(read.complete()) << n;
        EXPECT_EQ(read.stop, n < 4 ? StreamStop::BadSignature : StreamStop::Truncated) << n;
        ASSERT_LE(read.root.properties.size(), o.properties.size());
        EXPECT_GE(read.root.properties.size(), previous_count) << "properties lost at " << n;
        for (std::size_t i = 0; i < read.root.properties.size(); ++i) EXPECT_EQ(read.root.properties[i], o.properties[i]);
        previous_count = read.root.properties.size();
    }
    EXPECT_EQ(previous_count, o.properties.size());
}

TEST(ComponentStreamReader, HugeLengthsAreTruncationNotAllocations) {
    StreamReadResult wide = read_component_stream(stream_with(bytes({1, 'W', 18, 0xFF, 0xFF, 0xFF, 0x7F, 'a', 0})));
    EXPECT_EQ(wide.stop, StreamStop::Truncated);
    StreamReadResult text = read_component_stream(stream_with(bytes({1, 'L', 12, 0xFF, 0xFF, 0xFF, 0xFF, 'a'})));
    EXPECT_EQ(text.stop, StreamStop::Truncated);
}

TEST(ComponentStreamReader, SignaturePrefixAndDepth) {
    EXPECT_EQ(read_component_stream(bytes({'T', 'P', 'F', '1', 0})).stop, StreamStop::BadSignature);
    EXPECT_EQ(read_component_stream({}).stop, StreamStop::BadSignature);

    // A root that ends right after its properties (no list of nested objects) is whole.
    StreamReadResult bare = read_component_stream(bytes({'T', 'P', 'F', '0', 1, 'T', 1, 'x', 1, 'A', 9, 0}));
    EXPECT_TRUE(bare.complete());
    EXPECT_EQ(bare.root.properties.size(), 1u);

    // Flags prefix with a child position.
    StreamReadResult prefixed =
        read_component_stream(bytes({'T', 'P', 'F', '0', 0xF3, 2, 9, 1, 'T', 1, 'x', 0, 0}));
    ASSERT_TRUE(prefixed.complete()) << describe_stop(prefixed);
    EXPECT_EQ(prefixed.root.flags, kObjectInherited | kObjectChild);
    EXPECT_EQ(prefixed.root.child_position, 9);

    std::vector<std::uint8_t> deep = bytes({'T', 'P', 'F', '0'});
    for (std::size_t i = 0; i <= kMaxObjectDepth + 1; ++i) append(deep, std::string("\x01T\x01x\x00", 5));
    StreamReadResult read = read_component_stream(deep);
    EXPECT_EQ(read.stop, StreamStop::TooDeep);
}

TEST(ComponentStreamText, ChoosesTheSmallestTypesAndKeepsExplicitOnes) {
    StreamObject o = component_stream_from_text(
        "object noxExcept: TNoxExcept\n"
        "  A = 127\n  B = -129\n  C = 60000\n  D = int32(7)\n  E = \"short\"\n"
        "  F = lstring(\"short\")\n  G = True\n  H = alClient\n  I = ident(\"true\")\n"
        "end\n");
    ASSERT_EQ(o.properties.size(), 9u);
    EXPECT_EQ(o.properties[0].value.type, ValueType::Int8);
    EXPECT_EQ(o.properties[1].value.type, ValueType::Int16);
    EXPECT_EQ(o.properties[2].value.type, ValueType::Int32);
    EXPECT_EQ(o.properties[3].value, StreamValue::int32(7));
    EXPECT_EQ(o.properties[4].value.type, ValueType::String);
    EXPECT_EQ(o.properties[5].value.type, ValueType::LString);
    EXPECT_EQ(o.properties[6].value, StreamValue::boolean(true));
    EXPECT_EQ(o.properties[7].value, StreamValue::text(ValueType::Ident, "alClient"));
    EXPECT_EQ(o.properties[8].value, StreamValue::text(ValueType::Ident, "true"));

    std::string long_text(256, 'x');
    StreamObject l = component_stream_from_text("object a: T\n  L = \"" + long_text + "\"\nend");
    EXPECT_EQ(l.properties[0].value, StreamValue::text(ValueType::LString, long_text));
}

TEST(ComponentStreamText, TextsEscapesPiecesAndComments) {
    StreamObject o = component_stream_from_text(
        "# settings\n"
        "object noxExcept: TNoxExcept  # the object\n"
        "  Msg = \"The file \\\"%modname%\\\" # not a comment\"\n"
        "  Body = \"one\\r\\n\" +\n         \"two\\x41\"\n"
        "  W = wstring(\"caf\xC3\xA9 \\u20AC\")\n"
        "  \"odd name\" = 1\n"
        "end\n");
    EXPECT_EQ(o.properties[0].value.bytes, "The file \"%modname%\" # not a comment");
    EXPECT_EQ(o.properties[1].value.bytes, "one\r\ntwoA");
    EXPECT_EQ(o.properties[2].value.wide, u"caf\u00e9 \u20ac");
    EXPECT_EQ(o.properties[3].name, "odd name");
}

TEST(ComponentStreamText, MistakesNameTheirLine) {
    auto error_line = [](const std::string& text) {
        try {
            component_stream_from_text(text);
        } catch (const StreamTextError& e) {
            return e.line();
        }
        return 0;
    };
    EXPECT_EQ(error_line("object a: T\n  X = \n  Y = 1\nend"), 3);  // "Y" is no value
    EXPECT_EQ(error_line("object a: T\n  X = \"open\nend"), 2);
    EXPECT_EQ(error_line("object a: T\n  X = 1\n"), 3);  // missing end
    EXPECT_EQ(error_line("object a: T\n  X = int8(300)\nend"), 2);
    EXPECT_EQ(error_line("object a: T\n  X = 99999999999\nend"), 2);
    EXPECT_EQ(error_line("object a: T\n  X = \"\\u0041\"\nend"), 2);
    EXPECT_EQ(error_line("object a: T\n  X = \"bad \\q\"\nend"), 2);
    EXPECT_EQ(error_line("object a: T\nend\nend"), 3);
    EXPECT_EQ(error_line("object a: T\n  X = wstring(\"\xC3\")\nend"), 2);
    EXPECT_EQ(error_line("thing a: T\nend"), 1);
}

TEST(ComponentStreamText, KeywordNamesAreQuotedSoTheyReadBack) {
    StreamObject o;
    o.class_name = "end";
    o.name = "object";
    o.properties = {{"end", StreamValue::int8(1)}, {"inline", StreamValue::text(ValueType::Ident, "end")}};
    EXPECT_EQ(component_stream_from_text(component_stream_to_text(o)), o);
}

}  // namespace
}  // namespace roadsum
