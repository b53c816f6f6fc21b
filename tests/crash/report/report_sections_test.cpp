// The sections' layouts: thread titles and stand-in texts, registers, the stack dump.
#include <gtest/gtest.h>

#include <cstdint>
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "crash/report/register_sections.h"
#include "crash/report/thread_sections.h"

namespace roadsum {
namespace {

TEST(ThreadSections, TitlesWithNamesClassesAndMarks) {
    struct Case {
        TThreadReportRecord thread;
        const char* title;
    };
    auto thread = [](std::uint32_t id, const char* name, const char* cls, bool suspended, int priority) {
        TThreadReportRecord t;
        t.ThreadId = id, t.Name = name, t.ClassName = cls, t.Suspended = suspended, t.Priority = priority;
        return t;
    };
    const Case cases[] = {
        {thread(0x1a4, "main thread", "", false, 0), "main thread ($1A4):"},
        {thread(0x2c8, "", "", false, 0), "thread $2C8:"},
        {thread(0x2c8, "", "TRotateThread", true, 0), "thread $2C8 (TRotateThread): <suspended>"},
        {thread(0x10, "worker", "TWorker", false, -2), "worker ($10) (TWorker): <priority:-2>"},
        {thread(0x11, "", "", true, 15), "thread $11: <suspended> <priority:15>"},
    };
    for (const Case& c : cases) EXPECT_EQ(thread_section_title(c.thread), c.title);
}

TEST(ThreadSections, StandInTextsAndTheCreator) {
    EXPECT_EQ(thread_placeholder("0044f3a2 +1c Roadsum.exe RoadsumFrm 112 +4 TRoadsumFrm.PricelistBtnClick"),
              "0044f3a2 +1c Roadsum.exe RoadsumFrm 112 +4 TRoadsumFrm.PricelistBtnClick\r\n"
              ">> stack will be calculated soon");
    EXPECT_EQ(thread_placeholder(""), ">> stack will be calculated soon");
    EXPECT_EQ(stack_not_accessible_text("00401000 +0 ???"),
              ">> stack not accessible, exception location:\r\n00401000 +0 ???");
    EXPECT_EQ(insert_created_by("a\r\nb\r\nthreadfunc", "main thread ($1A4)"),
              "a\r\nb\r\n>> created by main thread ($1A4) at:\r\nthreadfunc");
    EXPECT_EQ(insert_created_by("threadfunc", "thread $5"), ">> created by thread $5 at:\r\nthreadfunc");
    EXPECT_EQ(internal_error_text("GetStackDump"), ">> internal error in GetStackDump");
    EXPECT_EQ(internal_error_text("plugin", "00401000 +0 ???"), ">> internal error in plugin:\r\n00401000 +0 ???");
}

TEST(RegisterSections, NineRegistersInUpperCaseHex) {
    CpuRegisters r{0x12ff40, 0xb, 0xc, 0xd, 0xe, 0xf, 0x401a2b, 0x12ff00, 0x12ff88};
    EXPECT_EQ(cpu_registers_text(r),
              "eax = 0012FF40\r\nebx = 0000000B\r\necx = 0000000C\r\nedx = 0000000D\r\nesi = 0000000E\r\n"
              "edi = 0000000F\r\neip = 00401A2B\r\nesp = 0012FF00\r\nebp = 0012FF88");
}

// Memory that holds one block and nothing else.
class BlockMemory final : public MemoryReader {
public:
    BlockMemory(std::uint32_t base, std::vector<std::uint8_t> bytes) : base_(base), bytes_(std::move(bytes)) {}
    bool try_read(std::uint32_t address, void* buffer, std::uint32_t count) const override {
        if (address < base_ || address - base_ > bytes_.size() || bytes_.size() - (address - base_) < count) return false;
        std::memcpy(buffer, bytes_.data() + (address - base_), count);
        return true;
    }

private:
    std::uint32_t base_;
    std::vector<std::uint8_t> bytes_;
};

TEST(RegisterSections, StackDumpLinesEndWithTheRegion) {
    std::vector<std::uint8_t> bytes(0x1000);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>('A' + i % 26);
    const char text[] = "-XE\x00\xde\xfa\xed\x0e\x01";
    std::memcpy(bytes.data() + 0xf40, text, sizeof text - 1);
    BlockMemory memory(0x12f000, bytes);
    // The region ends 27 bytes on: the second line stops after its eleventh byte.
    EXPECT_EQ(stack_dump_text(memory, 0x12ff40, 0x12ff40 + 27),
              "0012ff40  2d 58 45 00 de fa ed 0e - 01 4e 4f 50 51 52 53 54  -XE......NOPQRST\r\n"
              "0012ff50  55 56 57 58 59 5a 41 42 - 43 44 45 " + std::string(15, ' ') + " UVWXYZABCDE");
    // Ending before the ninth byte: the separator is blank too.
    EXPECT_EQ(stack_dump_text(memory, 0x12ff40, 0x12ff40 + 8),
              "0012ff40  2d 58 45 00 de fa ed 0e " + std::string(27, ' ') + "-XE.....");
    const std::string long_dump = stack_dump_text(memory, 0x12f000, 0x130000);
    EXPECT_EQ(std::count(long_dump.begin(), long_dump.end(), '\n'), 19);
    EXPECT_EQ(long_dump.substr(long_dump.rfind('\n') + 1, 8), "0012f130");
    EXPECT_EQ(stack_dump_text(memory, 0x200000, 0x201000), "");  // nothing readable there
    EXPECT_EQ(stack_dump_text(memory, 0x12ff40, 0x12ff40), "");
}

}  // namespace
}  // namespace roadsum
