// The report object: what a hook knows about an exception, the report's own settings and
// decisions, the prepared stack of a throw, and the thread name list. (Its whole report, made
// by the report room, is tested with the reporter.)
#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <string>
#include <thread>

#include "capture_fakes.h"
#include "crash/capture/thread_names.h"
#include "crash/common/completion_latch.h"
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

TEST(ThreadNameList, NamesCreatorsAndCutsLongNames) {
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
    EXPECT_TRUE(list.Remove(0x2C8));
    EXPECT_FALSE(list.Remove(0x2C8));
    EXPECT_FALSE(list.Find(0x2C8));
    EXPECT_EQ(list.Entries().size(), 2u);
    list.Clear();
    EXPECT_EQ(head, nullptr);
}

TEST(CompletionLatch, RunsWhatWaitedOnceAndLetsNoWaiterHangWhenStopped) {
    std::string log;
    CompletionLatch complete;
    complete.WhenComplete([&] { log += "c1 "; });
    complete.WhenFinished([&] { log += "f1 "; });
    std::thread([&] { complete.MarkComplete(); }).join();
    complete.MarkComplete();  // once only
    complete.MarkStopped();   // too late: it is complete
    complete.WhenComplete([&] { log += "c2 "; });
    EXPECT_EQ(log, "c1 f1 c2 ");
    EXPECT_TRUE(complete.Complete());
    EXPECT_TRUE(complete.Wait(0));

    log.clear();
    CompletionLatch stopped;
    stopped.WhenComplete([&] { log += "c1 "; });
    stopped.WhenFinished([&] { log += "f1 "; });
    std::atomic<bool> waited{false};
    std::thread waiter([&] { waited = !stopped.Wait(60000); });
    stopped.MarkStopped();
    waiter.join();
    EXPECT_TRUE(waited) << "a waiter is let go at once, told that the work is not complete";
    stopped.MarkComplete();  // too late: it stopped
    stopped.WhenComplete([&] { log += "c2 "; });
    stopped.WhenFinished([&] { log += "f2 "; });
    EXPECT_EQ(log, "f1 f2 ");
    EXPECT_FALSE(stopped.Complete());
}

}  // namespace
}  // namespace roadsum
