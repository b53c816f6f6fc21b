// The process list: its columns, the path rules, the native process information and the
// buffer-size loop around it.
#include <gtest/gtest.h>

#include <map>

#include "crash/common/little_endian.h"
#include "crash/sysinfo/process_list.h"

namespace roadsum {
namespace {

TEST(ProcessList, PriorityClassTexts) {
    const std::pair<int, const char*> cases[] = {
        {0x20, "normal"}, {0x40, "idle"},          {0x80, "high"},          {0x100, "realtime"},
        {0x4000, "below normal"}, {0x8000, "above normal"}, {0, ""}, {-1, ""}, {0x1234, "$1234"}, {0x10, "$10"}};
    for (const auto& [value, text] : cases) EXPECT_EQ(priority_class_text(value), text) << value;
}

TEST(ProcessList, KernelPathsBecomeUsable) {
    EXPECT_EQ(process_image_path("\\SystemRoot\\System32\\smss.exe", "C:\\WINDOWS\\system32"),
              "C:\\WINDOWS\\system32\\smss.exe");
    EXPECT_EQ(process_image_path("\\systemroot\\system32\\csrss.exe", "C:\\WINDOWS\\system32\\"),
              "C:\\WINDOWS\\system32\\csrss.exe");
    EXPECT_EQ(process_image_path("\\??\\C:\\WINDOWS\\system32\\winlogon.exe", "C:\\x"), "C:\\WINDOWS\\system32\\winlogon.exe");
    EXPECT_EQ(process_image_path("C:\\Tools\\app.exe", "C:\\x"), "C:\\Tools\\app.exe");
    EXPECT_EQ(process_image_path("\\SystemRoot\\explorer.exe", "C:\\x"), "\\SystemRoot\\explorer.exe");
}

TEST(ProcessList, ColumnsWithoutSessionsOrGuiCounts) {
    TProcessList list;
    list.Entries = {
        {"Idle", "", 0, 0, -1, 0, 0},
        {"System", "", 4, 0, 0x20, 0, 0},
        {"explorer.exe", "C:\\WINDOWS", 0x5A4, 0, 0x8000, 30, 40},
    };
    EXPECT_EQ(format_process_list(list),
              "000 Idle                      \r\n"
              "004 System       normal       \r\n"
              "5A4 explorer.exe above normal C:\\WINDOWS");
}

TEST(ProcessList, SessionAndGuiColumnsWhenPresent) {
    TProcessList list;
    list.HasGuiResources = true;
    list.Entries = {
        {"svchost.exe", "C:\\Windows\\System32", 0x2F0, 0, 0x20, 4, 2},
        {"Roadsum.exe", "Z:\\work", 0x12AB4, 12, 0x20, 1234, 56},
    };
    EXPECT_EQ(format_process_list(list),
              "002F0 svchost.exe 0  4    2  normal C:\\Windows\\System32\r\n"
              "12AB4 Roadsum.exe 12 1234 56 normal Z:\\work");
    EXPECT_EQ(format_process_list({}), "");
}

// A system whose processes and answers are made up.
class FakeProcessSystem final : public ProcessSystem {
public:
    std::vector<RunningProcess> processes;
    std::map<std::uint32_t, std::string> paths;
    std::map<std::uint32_t, ProcessDetails> opened;
    mutable int system_directory_calls = 0;

    std::vector<RunningProcess> running() const override { return processes; }
    std::string image_path(std::uint32_t id) const override {
        auto it = paths.find(id);
        return it == paths.end() ? std::string() : it->second;
    }
    std::string system_directory() const override {
        ++system_directory_calls;
        return "C:\\WINDOWS\\system32";
    }
    ProcessDetails details(std::uint32_t id) const override {
        auto it = opened.find(id);
        return it == opened.end() ? ProcessDetails{} : it->second;
    }
    bool has_gui_resources() const override { return false; }
};

TEST(ProcessList, CollectsNamesPathsAndDetails) {
    FakeProcessSystem system;
    system.processes = {{"", 0, 0}, {"smss.exe", 0x170, 0}, {"app.exe", 0x200, 1}, {"C:\\Old\\tool.exe", 0x300, 0}};
    system.paths = {{0x170, "\\SystemRoot\\System32\\smss.exe"}, {0x200, "\\??\\D:\\Apps\\app.exe"}};
    system.opened = {{0x200, {0x80, 7, 8}}};
    const TProcessList list = collect_processes(system);
    ASSERT_EQ(list.Entries.size(), 4u);
    const auto check = [](const TProcessEntry& e, const char* name, const char* path, std::uint32_t id, int priority) {
        EXPECT_EQ(e.Name, name);
        EXPECT_EQ(e.Path, path);
        EXPECT_EQ(e.Id, id);
        EXPECT_EQ(e.PriorityClass, priority);
    };
    check(list.Entries[0], "Idle", "", 0, -1);
    check(list.Entries[1], "smss.exe", "C:\\WINDOWS\\system32", 0x170, -1);
    check(list.Entries[2], "app.exe", "D:\\Apps", 0x200, 0x80);
    check(list.Entries[3], "tool.exe", "C:\\Old", 0x300, -1);  // the 9x family's list gives paths itself
    EXPECT_EQ(list.Entries[2].Session, 1u);
    EXPECT_EQ(list.Entries[2].GdiObjects, 7u);
    EXPECT_EQ(list.Entries[2].UserObjects, 8u);
    EXPECT_EQ(system.system_directory_calls, 1);
}

// One entry of the native process information in its 32-bit layout, with its name after it.
std::vector<std::uint8_t> native_entry(std::uint32_t next, std::uint32_t id, std::uint32_t session,
                                       std::uint32_t name_address, std::u16string_view name) {
    std::vector<std::uint8_t> entry(0xB8, 0);
    put_le32(&entry[0x00], next);
    put_le16(&entry[0x38], static_cast<std::uint16_t>(name.size() * 2));
    put_le16(&entry[0x3A], static_cast<std::uint16_t>(name.size() * 2 + 2));
    put_le32(&entry[0x3C], name_address);
    put_le32(&entry[0x44], id);
    put_le32(&entry[0x50], session);
    for (char16_t c : name) append_le16(entry, c);
    return entry;
}

TEST(ProcessList, ParsesTheNativeProcessInformation) {
    constexpr std::uint32_t kBase = 0x00A00000;
    std::vector<std::uint8_t> buffer;
    auto add = [&](std::uint32_t next, std::uint32_t id, std::uint32_t session, std::u16string_view name,
                   bool name_inside = true) {
        const std::uint32_t at = static_cast<std::uint32_t>(buffer.size());
        const auto entry = native_entry(next, id, session, name_inside ? kBase + at + 0xB8 : 0x12345678, name);
        buffer.insert(buffer.end(), entry.begin(), entry.end());
        buffer.resize(at + (next ? next : entry.size()), 0);
    };
    add(0x100, 0, 0, u"");
    add(0x100, 4, 0, u"System");
    add(0x100, 0x3E8, 2, u"caf\u00e9.exe");
    add(0x100, 0x3EC, 0, u"lost.exe", false);  // a name pointer outside the buffer gives no name
    add(0, 0x3F0, 1, u"last.exe");
    const auto processes = parse_process_information(buffer, kBase, Windows1252CodePage());
    ASSERT_EQ(processes.size(), 5u);
    const std::pair<const char*, std::uint32_t> expected[] = {
        {"", 0}, {"System", 4}, {"caf\xe9.exe", 0x3E8}, {"", 0x3EC}, {"last.exe", 0x3F0}};
    for (std::size_t i = 0; i < processes.size(); ++i) {
        EXPECT_EQ(processes[i].Image, expected[i].first) << i;
        EXPECT_EQ(processes[i].Id, expected[i].second) << i;
    }
    EXPECT_EQ(processes[2].Session, 2u);

    // A chain that points past the end or a buffer cut short ends the list without reading on.
    std::vector<std::uint8_t> broken = native_entry(0x7FFFFFF0, 8, 0, 0, u"");
    EXPECT_EQ(parse_process_information(broken, kBase, Windows1252CodePage()).size(), 1u);
    broken.resize(0x53);
    EXPECT_TRUE(parse_process_information(broken, kBase, Windows1252CodePage()).empty());
}

TEST(ProcessList, BufferGrowsUntilTheQueryFits) {
    const auto sizes_tried = [](std::uint32_t asked, std::size_t needed) {
        std::vector<std::size_t> sizes;
        const auto result = query_with_growing_buffer(asked, [&](std::vector<std::uint8_t>& b) {
            sizes.push_back(b.size());
            return b.size() >= needed;
        });
        EXPECT_EQ(result.has_value(), sizes.back() >= needed);
        if (result) {
            EXPECT_EQ(result->size(), sizes.back());
        }
        return sizes;
    };
    // The asked size with a little room for processes that start meanwhile.
    EXPECT_EQ(sizes_tried(0x9000, 0x9000), (std::vector<std::size_t>{0xD000}));
    // No size asked: 128 KB doubling to 4 MB, and no more.
    EXPECT_EQ(sizes_tried(0, 0x50000), (std::vector<std::size_t>{0x20000, 0x40000, 0x80000}));
    EXPECT_EQ(sizes_tried(0, 0x800000),
              (std::vector<std::size_t>{0x20000, 0x40000, 0x80000, 0x100000, 0x200000, 0x400000}));
    // An asked size that proves too small goes on with the larger steps only.
    EXPECT_EQ(sizes_tried(0x30000, 0x60000), (std::vector<std::size_t>{0x34000, 0x40000, 0x80000}));
}

}  // namespace
}  // namespace roadsum
