// The report object and its completion: what a hook knows about an exception, the report's own
// settings and decisions, the thread name list and titles, the threads a report lists and the
// text it assembles.
#include <gtest/gtest.h>

#include <map>
#include <stdexcept>

#include "capture_fakes.h"
#include "crash/archive/crc32.h"
#include "crash/capture/report_completion.h"
#include "crash/capture/thread_names.h"
#include "runtime/exceptions.h"

namespace roadsum {
namespace {

using testing::CaptureWorld;

TEST(CapturedException, NamesTheClassChainAndTheMessage) {
    const auto of = [](auto thrown) {
        try {
            throw thrown;
        } catch (...) {
            return DescribeCppException(std::current_exception());
        }
    };
    const TCapturedException convert = of(EConvertError("'x' is not a valid integer value"));
    EXPECT_EQ(convert.ClassChain, (std::vector<std::string>{"EConvertError", "Exception"}));
    EXPECT_EQ(convert.Message, "'x' is not a valid integer value");
    EXPECT_TRUE(convert.Object);
    EXPECT_FALSE(convert.IsAbort());
    EXPECT_TRUE(of(EAbort("")).IsAbort());

    const TCapturedException range = of(std::out_of_range("vector::_M_range_check"));
    EXPECT_EQ(range.ClassChain, (std::vector<std::string>{"std::out_of_range", "std::exception"}));
    EXPECT_EQ(range.Message, "vector::_M_range_check");
    EXPECT_EQ(of(std::exception()).ClassChain, std::vector<std::string>{"std::exception"});
    const TCapturedException number = of(42);
    EXPECT_EQ(number.ClassChain, std::vector<std::string>{"int"});
    EXPECT_EQ(number.Message, "");
    EXPECT_TRUE(DescribeCppException(nullptr).ClassChain.empty());
}

TEST(CapturedException, ProcessorExceptionsGetTheRunTimesClassesAndTexts) {
    struct Case {
        TSystemExceptionFacts facts;
        std::vector<std::string> chain;
        std::string message;
    } cases[] = {
        {{kAccessViolation, 0x401A2B, {0, 0}, "Roadsum.exe"},
         {"EAccessViolation", "EExternal", "Exception"},
         "Access violation at address 00401A2B in module 'Roadsum.exe'. Read of address 00000000"},
        {{kAccessViolation, 0x401A2B, {1, 0x1234}, "Roadsum.exe"},
         {"EAccessViolation", "EExternal", "Exception"},
         "Access violation at address 00401A2B in module 'Roadsum.exe'. Write of address 00001234"},
        {{kAccessViolation, 0x10, {8, 0x10}, ""},
         {"EAccessViolation", "EExternal", "Exception"},
         "Access violation at address 00000010. Execute of address 00000010"},
        {{kAccessViolation, 0x401000, {}, "x.exe"},
         {"EAccessViolation", "EExternal", "Exception"},
         "Access violation at address 00401000 in module 'x.exe'. Read of address 00000000"},
        {{kIntegerDivideByZero, 0, {}, ""}, {"EDivByZero", "EIntError", "EExternal", "Exception"}, "Division by zero"},
        {{kIntegerOverflow, 0, {}, ""}, {"EIntOverflow", "EIntError", "EExternal", "Exception"}, "Integer overflow"},
        {{kStackOverflow, 0, {}, ""}, {"EStackOverflow", "EExternal", "Exception"}, "Stack overflow"},
        {{kPrivilegedInstruction, 0, {}, ""}, {"EPrivilege", "EExternal", "Exception"}, "Privileged instruction"},
        {{kIllegalInstruction, 0, {}, ""}, {"EExternalException", "EExternal", "Exception"}, "External exception C000001D"},
    };
    for (const Case& c : cases) {
        const TCapturedException e = DescribeSystemException(c.facts);
        EXPECT_EQ(e.ClassChain, c.chain) << c.message;
        EXPECT_EQ(e.Message, c.message);
        EXPECT_TRUE(e.External);
        EXPECT_EQ(e.Code, c.facts.Code);
    }
}

TEST(CrashException, KeepsItsOwnSettingsAndDecisions) {
    CaptureWorld world("MailAddr = \"support@example.com\"\nExceptMsg = \"%exceptClass%: %exceptMsg%\"\n");
    const Ref<TCrashException> edit =
        world.report(ekNormal, testing::exception_of({"EDBEditError2", "EDBEditError", "Exception"}, ""));
    EXPECT_EQ(edit->Decision().group, FilterGroup::First) << "a class derived from a listed one";
    EXPECT_FALSE(edit->Decision().call_handlers);
    EXPECT_EQ(edit->Decision().box_kind, 3);
    EXPECT_EQ(edit->Get(keys::ExceptMsg), "EDBEditError2: Unknown") << "a report expands its own variables";

    EXPECT_TRUE(edit->Set(keys::MailAddr, "other@example.com"));
    EXPECT_EQ(edit->Get(keys::MailAddr), "other@example.com");
    EXPECT_EQ(world.context.SettingsOf(testing::kExe)->Get(keys::MailAddr), "support@example.com")
        << "the module's settings stay";

    EXPECT_TRUE(edit->SetCanContinue(false));
    EXPECT_FALSE(edit->CanContinue());
    EXPECT_TRUE(edit->SetCanContinue(true)) << "set again: it could continue at first";
    const Ref<TCrashException> fatal = world.report(ekNormal, testing::exception_of({"Exception"}), false);
    EXPECT_FALSE(fatal->SetCanContinue(true));
    EXPECT_FALSE(fatal->CanContinue());
    EXPECT_EQ(fatal->Decision().group, FilterGroup::General);
}

TEST(CrashException, TellsItsListenerOfEveryChangeOfFieldsAndSections) {
    CaptureWorld world;
    const Ref<TCrashException> r = world.report(ekNormal, testing::exception_of({"Exception"}));
    int told = 0;
    r->SetChangeListener([&told] { ++told; });
    r->Fields()->Add("date/time", "now");
    r->Sections()->Add("modules", ">> will be calculated soon");
    r->Sections()->Add("modules", "00400000 roadsum.exe");
    EXPECT_EQ(told, 3);
    r->SetChangeListener(nullptr);
    r->Sections()->Delete("modules");
    EXPECT_EQ(told, 3) << "a detached listener hears nothing";
}

TEST(CrashException, HandsOnThePreparedStackOfTheThrow) {
    CaptureWorld world;
    TReportParams p;
    p.Exception.Raise.emplace();
    p.Exception.Raise->Count = 2;
    p.Exception.Raise->Stack.resize(3);
    p.Exception.Raise->Stack[1].set_address(0x401111);
    p.Exception.Raise->Stack[2].Sure = 1;
    p.Exception.Raise->Stack[2].set_address(0x402222);
    const Ref<TCrashException> r = world.report(std::move(p));
    const PreparedStackRef stack = r->PreparedStack();
    ASSERT_EQ(stack.count(), 2u);
    EXPECT_EQ(stack.entry(0).address(), 0x401111u);
    EXPECT_EQ(stack.entry(1).address(), 0x402222u);
    EXPECT_EQ(stack.entry(1).Sure, 1);
    EXPECT_TRUE(world.report(ekNormal, testing::exception_of({"Exception"}))->PreparedStack().empty());
}

TEST(ReportText, AlignsTheHeaderAndWritesEachSectionAfterABlankLine) {
    const std::string text = AssembleReportText(
        {{"date/time", "2024-03-07, 09:05:04, 42ms"}, {"exception message", "two\r\nlines   and  blanks"}},
        {{"main thread ($1A4)", "00401000 a  \r\n   \r\n00402000 b"}, {"cpu registers: none", "eax = 00000000"}});
    EXPECT_EQ(text,
              "date/time        : 2024-03-07, 09:05:04, 42ms\r\n"
              "exception message: two lines and blanks\r\n"
              "\r\n"
              "main thread ($1A4):\r\n"
              "00401000 a\r\n"
              ".\r\n"
              "00402000 b\r\n"
              "\r\n"
              "cpu registers: none\r\n"
              "eax = 00000000");
}

TEST(ThreadNameList, NamesCreatorsAndTitles) {
    MallocHeap heap;
    TThreadNameNode* head = nullptr;
    TThreadNameList list(head, heap);
    EXPECT_TRUE(list.SetName(0x1A4, kMainThreadName));
    EXPECT_TRUE(list.EnterCreated(0x2C8, 0x1A4, 0x401500, "TRotateThread"));
    EXPECT_TRUE(list.SetName(0x2C8, "rotation of ShapeButton1"));
    EXPECT_TRUE(list.SetName(0x300, std::string(100, 'n')));
    EXPECT_TRUE(list.SetName(0x1A4, kMainThreadName));
    EXPECT_EQ(list.Entries(), (std::vector<TThreadNameEntry>{{0x1A4, 0, 0, "main thread", ""},
                                                               {0x2C8, 0x1A4, 0x401500, "rotation of ShapeButton1",
                                                                "TRotateThread"},
                                                               {0x300, 0, 0, std::string(63, 'n'), ""}}));
    EXPECT_EQ(ThreadTitle(0x1A4, list.Find(0x1A4)), "main thread ($1A4)");
    EXPECT_EQ(ThreadTitle(0x2C8, list.Find(0x2C8)), "rotation of ShapeButton1 ($2C8) (TRotateThread)");
    EXPECT_EQ(ThreadTitle(0x2C9, list.Find(0x2C9)), "thread $2C9");
    EXPECT_EQ(ThreadTitle(0xA, TThreadNameEntry{0xA, 1, 2, "", "TWorker"}), "thread $A (TWorker)");
    EXPECT_TRUE(list.Remove(0x2C8));
    EXPECT_FALSE(list.Remove(0x2C8));
    EXPECT_FALSE(list.Find(0x2C8));
    EXPECT_EQ(list.Entries().size(), 2u);
    list.Clear();
    EXPECT_EQ(head, nullptr);
}

// A process of four threads: main, a worker created by main, the handling thread "-" and an
// unnamed one; each trace is one line naming the thread.
class FakeProcess final : public TReportProcess {
public:
    FakeProcess() {
        names[1] = {1, 0, 0, "main thread", ""};
        names[2] = {2, 1, 0x401500, "", "TRotateThread"};
        names[3] = {3, 0, 0, "-", ""};
    }
    std::map<std::uint32_t, TThreadNameEntry> names;
    std::vector<std::uint32_t> unreadable;
    std::vector<std::function<void()>> background;

    std::uint32_t ProcessId() const override { return 0xA3C; }
    std::uint32_t MainThreadId() const override { return 1; }
    std::vector<std::uint32_t> ThreadIds() const override { return {3, 1, 4, 2}; }
    std::optional<TThreadNameEntry> ThreadName(std::uint32_t id) const override {
        auto it = names.find(id);
        if (it == names.end()) return std::nullopt;
        return it->second;
    }
    TThreadTrace Trace(const TCrashException&, const TThreadStackRecord& t) override {
        for (std::uint32_t id : unreadable)
            if (id == t.ThreadId) return {};
        TThreadTrace trace;
        trace.Readable = true;
        trace.Text = "0040100" + std::to_string(t.ThreadId) + " Roadsum.exe Unit Inner\r\n00401500 Roadsum.exe Unit Outer";
        trace.Crc1 = 0x100 + t.ThreadId;
        trace.Crc2 = 0x200 + t.ThreadId;
        return trace;
    }
    std::string FormatAddress(const TCrashException&, std::uint32_t address) override {
        return std::to_string(address) + " +0 ???";
    }
    void RunInBackground(std::function<void()> work) override { background.push_back(std::move(work)); }
};

std::vector<std::string> titles(const std::vector<TThreadStackRecord>& threads) {
    std::vector<std::string> out;
    for (const TThreadStackRecord& t : threads) out.push_back(t.Title);
    return out;
}

TEST(ReportCompletion, ListsTheCrashingThreadFirstAndLeavesTheReportersOwnOut) {
    FakeProcess process;
    TReportCompletion completion(process);
    CaptureWorld world;
    TReportParams p;
    p.Exception = testing::exception_of({"EConvertError", "Exception"});
    p.ThreadId = 2;
    p.ExceptAddress = 0x401234;
    const Ref<TCrashException> crash = world.report(p);
    const std::vector<TThreadStackRecord> threads = completion.ThreadsOf(*crash, false);
    EXPECT_EQ(titles(threads),
              (std::vector<std::string>{"thread $2 (TRotateThread)", "main thread ($1)", "thread $4"}));
    EXPECT_TRUE(threads[0].Crashing);
    EXPECT_EQ(threads[0].TopAddress, 0x401234u);
    EXPECT_EQ(threads[0].CreatorThreadId, 1u);
    EXPECT_FALSE(threads[1].Crashing);
    EXPECT_EQ(titles(completion.ThreadsOf(*crash, true)),
              (std::vector<std::string>{"thread $2 (TRotateThread)", "main thread ($1)", "- ($3)", "thread $4"}))
        << "a trace of the whole process lists the reporter's threads too";

    CaptureWorld single("ListThreads = false\n");
    EXPECT_EQ(titles(completion.ThreadsOf(*single.report(p), false)),
              std::vector<std::string>{"thread $2 (TRotateThread)"});
    EXPECT_EQ(titles(completion.ThreadsOf(*single.report(ekFrozen, {}), false)),
              std::vector<std::string>{"main thread ($1)"});
    p.ThreadId = 3;
    EXPECT_EQ(titles(completion.ThreadsOf(*world.report(p), false)).front(), "- ($3)")
        << "the reporter's own thread is listed when it is the one that failed";
}

TEST(ReportCompletion, FillsTheHeaderAtOnceAndTheStacksInTheBackground) {
    FakeProcess process;
    process.unreadable = {4};
    TReportCompletion completion(process);
    CaptureWorld world;
    TReportParams p;
    p.Exception = testing::exception_of({"EConvertError", "Exception"}, "'12.5' is not a valid integer value");
    p.ThreadId = 2;
    p.Time = {2024, 3, 7, 9, 5, 4, 42};
    p.Number = 3;
    const Ref<TCrashException> r = world.report(p);
    completion.Start(r, true);
    ASSERT_EQ(process.background.size(), 1u);
    EXPECT_FALSE(r->Complete());
    EXPECT_EQ(r->ReportText(),
              "date/time        : 2024-03-07, 09:05:04, 42ms\r\n"
              "process id       : $A3C\r\n"
              "callstack crc    : will be calculated soon\r\n"
              "exception number : 3\r\n"
              "exception class  : EConvertError\r\n"
              "exception message: '12.5' is not a valid integer value\r\n\r\n"
              "thread $2 (TRotateThread):\r\n>> stack will be calculated soon\r\n\r\n"
              "main thread ($1):\r\n>> stack will be calculated soon\r\n\r\n"
              "thread $4:\r\n>> stack will be calculated soon");

    r->Fields()->Add("contact", "Jo");
    process.background.front()();
    EXPECT_TRUE(r->Complete());
    const std::uint32_t crc3 = ExtendCallstackCrc(ExtendCallstackCrc(0x202, 0x201), 0);
    EXPECT_EQ(r->CallstackCrc(0), 0x102u);
    EXPECT_EQ(r->CallstackCrc(1), 0x202u);
    EXPECT_EQ(r->CallstackCrc(2), crc3);
    EXPECT_EQ(r->ReportText(),
              "date/time        : 2024-03-07, 09:05:04, 42ms\r\n"
              "process id       : $A3C\r\n"
              "contact          : Jo\r\n"
              "callstack crc    : " + CallstackCrcText(0x102, 0x202, crc3) + "\r\n"
              "exception number : 3\r\n"
              "exception class  : EConvertError\r\n"
              "exception message: '12.5' is not a valid integer value\r\n\r\n"
              "thread $2 (TRotateThread):\r\n"
              "00401002 Roadsum.exe Unit Inner\r\n>> created by main thread ($1) at:\r\n00401500 Roadsum.exe Unit Outer\r\n\r\n"
              "main thread ($1):\r\n00401001 Roadsum.exe Unit Inner\r\n00401500 Roadsum.exe Unit Outer\r\n\r\n"
              "thread $4:\r\n>> stack not accessible");
    EXPECT_EQ(CallstackCrcText(0x102, 0, 0xFFFFFFFF), "$00000102, $00000000, $FFFFFFFF");
    EXPECT_EQ(CallstackCrcText(1, 2, 3).size(), 31u);
    std::uint8_t bytes[] = {0x01, 0x02, 0, 0};
    EXPECT_EQ(ExtendCallstackCrc(0x202, 0x201), crc32_update(0x202, ByteView(bytes, 4)));
}

TEST(ReportCompletion, AFreezeNamesItsMessageAndAnUnreadableCrashingStackItsLocation) {
    FakeProcess process;
    TReportCompletion completion(process);
    CaptureWorld world("ListThreads = false\n");
    const Ref<TCrashException> freeze = world.report(ekFrozen, {});
    completion.Start(freeze, false);
    EXPECT_TRUE(freeze->Complete()) << "completed in the caller";
    EXPECT_EQ(freeze->Fields()->Find("exception message"), "The application seems to be frozen.");
    EXPECT_FALSE(freeze->Fields()->Find("exception class"));
    EXPECT_EQ(freeze->Sections()->Items().size(), 1u);

    process.unreadable = {2};
    TReportParams p;
    p.Exception = testing::exception_of({"EAccessViolation", "EExternal", "Exception"}, "EAccessViolation");
    p.ThreadId = 2;
    p.ExceptAddress = 1234;
    const Ref<TCrashException> crash = world.report(p);
    completion.Start(crash, false);
    EXPECT_EQ(crash->Sections()->Items().front().second, ">> stack not accessible, exception location: 1234 +0 ???");
    EXPECT_FALSE(crash->Fields()->Find("exception message")) << "a message equal to the class is left out";
}

}  // namespace
}  // namespace roadsum
