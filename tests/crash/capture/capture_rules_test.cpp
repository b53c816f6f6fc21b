// The decisions of exception capture that need no system: the time ring and the automatic
// rules, the ending of a handling, the handling request and its encoding, the freeze
// watchdog's reckoning, the blocked-process check and the entry every hook calls.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "crash/capture/exception_entry.h"
#include "crash/capture/file_checksum.h"
#include "crash/common/little_endian.h"
#include "crash/process/pe_headers.h"
#include "crash/capture/freeze_watch.h"
#include "crash/capture/handling_flow.h"
#include "crash/capture/handling_request.h"
#include "crash/capture/time_ring.h"

namespace roadsum {
namespace {

constexpr std::uint64_t kNow = 13'400'000'000;  // seconds since 1601, in 2025

TExceptionTimeRing ring_of(const std::vector<std::uint64_t>& ages) {
    TExceptionTimeRing ring;
    for (auto it = ages.rbegin(); it != ages.rend(); ++it) ring.Enter(kNow - *it);
    return ring;
}

TEST(ExceptionTimeRing, KeepsTheLastTenNewestFirstAndSurvivesItsBytes) {
    TExceptionTimeRing ring;
    for (std::uint64_t t = 1; t <= 12; ++t) ring.Enter(t);
    EXPECT_EQ(ring.Filled(), 10u);
    EXPECT_EQ(ring.Slot(0), 12u);
    EXPECT_EQ(ring.Slot(9), 3u) << "the two oldest fell out";
    EXPECT_EQ(ring.Slot(10), 0u) << "past the end";

    ring.Enter(0x0123456789ABCDEFull);
    const auto bytes = ring.Bytes();
    EXPECT_EQ(bytes[0], 0xEF);
    EXPECT_EQ(bytes[7], 0x01) << "little-endian 64-bit slots";
    EXPECT_EQ(TExceptionTimeRing::FromBytes(bytes), ring);
    EXPECT_FALSE(TExceptionTimeRing::FromBytes(ByteView(bytes.data(), 79)));

    TRestartRecord record{0x1A4, 0x7C, ring};
    const auto whole = record.Bytes();
    ASSERT_EQ(whole.size(), 88u);
    EXPECT_EQ(whole[0], 0xA4);
    EXPECT_EQ(whole[4], 0x7C);
    const auto back = TRestartRecord::FromBytes(whole);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->ProcessId, 0x1A4u);
    EXPECT_EQ(back->MappingHandle, 0x7Cu);
    EXPECT_EQ(back->Ring, ring);
    EXPECT_FALSE(TRestartRecord::FromBytes(ByteView(whole.data(), 87)));
}

TEST(ExceptionTimeRing, AutomaticRules) {
    const TExceptionTimeRing ten_in_a_minute = ring_of({0, 5, 10, 15, 20, 25, 30, 40, 50, 60});
    const TExceptionTimeRing nine_in_a_minute = ring_of({0, 5, 10, 15, 20, 25, 30, 40, 50});
    const TExceptionTimeRing one_too_old = ring_of({0, 5, 10, 15, 20, 25, 30, 40, 50, 61});
    TExceptionTimeRing from_the_future = ten_in_a_minute;
    from_the_future.Enter(kNow + 5);
    struct Case {
        const char* what;
        const TExceptionTimeRing& ring;
        std::int32_t rule;
        bool holds;
    } cases[] = {
        {"0 never", ten_in_a_minute, 0, false},
        {"1 always", TExceptionTimeRing(), 1, true},
        {"ten within 60 s", ten_in_a_minute, 60, true},
        {"nine within 60 s", nine_in_a_minute, 60, false},
        {"the tenth 61 s back", one_too_old, 60, false},
        {"ten within 59 s", ten_in_a_minute, 59, false},
        {"a time after now", from_the_future, 60, false},
        {"a negative rule", ten_in_a_minute, -5, false},
    };
    for (const Case& c : cases) EXPECT_EQ(c.ring.RuleHolds(c.rule, kNow), c.holds) << c.what;
}

TEST(HandlingEnding, RulesDecideCloseRestartOrContinue) {
    const TExceptionTimeRing storm = ring_of({0, 1, 2, 3, 4, 5, 6, 7, 8, 9});
    const TExceptionTimeRing calm = ring_of({0});
    struct Case {
        bool can_continue;
        std::int32_t auto_close, auto_restart;
        const TExceptionTimeRing& ring;
        TEnding ending;
    } cases[] = {
        {true, 0, 0, calm, TEnding::Continue},
        {false, 0, 0, calm, TEnding::Close},
        {true, 1, 1, calm, TEnding::Close},  // closing wins
        {false, 0, 1, calm, TEnding::Restart},
        {true, 0, 60, calm, TEnding::Continue},
        {true, 0, 60, storm, TEnding::Restart},
        {false, 60, 0, calm, TEnding::Close},
        {true, 60, 0, storm, TEnding::Close},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DecideEnding(c.can_continue, c.auto_close, c.auto_restart, c.ring, kNow), c.ending)
            << c.can_continue << " " << c.auto_close << " " << c.auto_restart;
    }
    EXPECT_EQ(ActionOf(TEnding::Continue), acContinue);
    EXPECT_EQ(ActionOf(TEnding::Restart), acRestart);
    EXPECT_EQ(ActionOf(TEnding::Close), acClose);
}

TEST(HandlingRequest, TakesTheContextsPointersOnlyWhenTheAddressIsItsInstruction) {
    TProcessorContext context;
    context.Eip = 0x401000;
    context.Esp = 0x12FF00;
    context.Ebp = 0x12FF40;
    struct Case {
        std::uint32_t address;
        bool from_context;
    } cases[] = {{0x401000, true}, {0x401004, true}, {0x401005, false}, {0x400FFF, false}};
    for (const Case& c : cases) {
        THandleExceptionArgs args;
        args.ExceptAddress = c.address;
        args.Context = &context;
        args.StackPointer = 0x5000;
        args.FramePointer = 0x5010;
        const THandlingRequest r = MakeHandlingRequest(args, 7, nullptr);
        EXPECT_EQ(r.StackPointer, c.from_context ? 0x12FF00u : 0x5000u) << std::hex << c.address;
        EXPECT_EQ(r.FramePointer, c.from_context ? 0x12FF40u : 0x5010u) << std::hex << c.address;
    }
}

TEST(HandlingRequest, CrossesThePipeWholeAndOnlyWhole) {
    TCapturedException error;
    error.Raise.emplace();
    error.Raise->Count = 3;
    error.Raise->Stack.resize(4);
    std::string out;
    int related = 0, event = 0;
    THandleExceptionArgs args{ekNormal, &error, 0x401234, &out, 0x10000000, &related, esAppHandleException,
                              nullptr, 0x12FF40, 0x12FF00, false};
    const THandlingRequest request = MakeHandlingRequest(args, 0x1A4, &event);
    EXPECT_EQ(request.PreparedStack, error.Raise->Stack.data()) << "the throw's stack goes along";
    EXPECT_FALSE(request.IsShutdown());

    const HandlingRequestBytes bytes = EncodeHandlingRequest(request);
    const auto back = DecodeHandlingRequest(bytes);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->ThreadId, 0x1A4u);
    EXPECT_EQ(back->Kind, ekNormal);
    EXPECT_EQ(back->ExceptObject, &error);
    EXPECT_EQ(back->ExceptAddress, 0x401234u);
    EXPECT_FALSE(back->CanContinue);
    EXPECT_EQ(back->StackPointer, 0x12FF00u);
    EXPECT_EQ(back->FramePointer, 0x12FF40u);
    EXPECT_EQ(back->ReportTextOut, &out);
    EXPECT_EQ(back->Source, esAppHandleException);
    EXPECT_EQ(back->RelatedObject, &related);
    EXPECT_EQ(back->Package, 0x10000000u);
    EXPECT_EQ(back->Event, &event);

    EXPECT_FALSE(DecodeHandlingRequest(ByteView(bytes.data(), bytes.size() - 1))) << "a short read is no request";
    EXPECT_FALSE(DecodeHandlingRequest(ByteView()));
    EXPECT_TRUE(DecodeHandlingRequest(EncodeHandlingRequest(THandlingRequest{}))->IsShutdown());
}

TEST(FreezeWatch, TenMissesReportAndTheNextWaitIsHalfAsLongAgain) {
    TFreezeWatch watch(1000);
    EXPECT_EQ(watch.Interval(), 100u);
    std::vector<std::uint32_t> reported_at;  // interval that was in force at each report
    for (int i = 0; i < 40; ++i) {
        const std::uint32_t interval = watch.Interval();
        if (watch.Missed()) reported_at.push_back(interval);
    }
    EXPECT_EQ(reported_at, (std::vector<std::uint32_t>{100, 150, 225, 338}));
    EXPECT_EQ(watch.Interval(), 507u);

    watch.Answered();
    EXPECT_EQ(watch.Interval(), 100u) << "an answer brings the interval back";
    for (int i = 0; i < 9; ++i) EXPECT_FALSE(watch.Missed());
    watch.Answered();
    for (int i = 0; i < 9; ++i) EXPECT_FALSE(watch.Missed()) << "a freeze shorter than the timeout is no freeze";
    EXPECT_TRUE(watch.Missed());

    for (int i = 0; i < 9; ++i) watch.Missed();
    watch.Pause();
    watch.Pause();
    EXPECT_EQ(watch.Misses(), 0) << "a pause resets the count";
    watch.Resume();
    EXPECT_TRUE(watch.Paused()) << "pauses nest";
    watch.Resume();
    EXPECT_FALSE(watch.Paused());
    watch.Resume();
    EXPECT_FALSE(watch.Paused()) << "one resume too many does not pause for ever after";
    watch.Pause();
    EXPECT_TRUE(watch.Paused());

    EXPECT_EQ(TFreezeWatch(5).Interval(), 1u) << "a tiny timeout does not spin";
    EXPECT_EQ(TFreezeWatch(-60000).Interval(), 1u);
    EXPECT_EQ(TFreezeWatch(60).Interval(), 6u);
}

class FakeLocks final : public TLockProbe {
public:
    std::vector<std::uint32_t> loader, peb;  // owners on successive polls; the last repeats
    mutable int polls = 0;
    mutable std::uint32_t slept = 0;
    std::uint32_t LoaderLockOwner() const override { return at(loader); }
    std::uint32_t PebLockOwner() const override { return at(peb); }
    void Sleep(std::uint32_t ms) const override {
        slept += ms;
        ++polls;
    }

private:
    std::uint32_t at(const std::vector<std::uint32_t>& v) const {
        if (v.empty()) return 0;
        return v[std::min<std::size_t>(polls, v.size() - 1)];
    }
};

TEST(ProcessBlocked, ALockHeldBy) {
    struct Case {
        const char* what;
        std::vector<std::uint32_t> loader, peb;
        bool blocked;
        std::uint32_t slept;
    } cases[] = {
        {"nobody", {0}, {0}, false, 0},
        {"the failing thread itself", {7}, {0}, true, 0},
        {"the failing thread (environment lock)", {0}, {7}, true, 0},
        {"another thread for a moment", {9, 9, 9, 0}, {0}, false, 30},
        {"another thread for good", {9}, {0}, true, 250},
        {"threads taking turns", {9, 0}, {0, 9, 9, 0}, false, 30},
    };
    for (const Case& c : cases) {
        FakeLocks locks;
        locks.loader = c.loader;
        locks.peb = c.peb;
        EXPECT_EQ(ProcessBlocked(locks, 7), c.blocked) << c.what;
        EXPECT_EQ(locks.slept, c.slept) << c.what;
    }
}

class FakeEntry final : public TEntryPlatform {
public:
    std::uint32_t current = 5, handling = 9, main = 1;
    bool main_runs_handlers = false, blocked = false, pipe_works = true;
    std::vector<std::string> log;

    std::uint32_t CurrentThreadId() const override { return current; }
    std::uint32_t HandlingThreadId() const override { return handling; }
    bool MainThreadRunsHandlers() const override { return main_runs_handlers; }
    std::uint32_t MainThreadId() const override { return main; }
    void ReleaseReserve() override { log.push_back("release"); }
    void TakeReserve() override { log.push_back("take"); }
    bool ProcessBlocked() const override { return blocked; }
    void HandleHere(const THandlingRequest& r) override { log.push_back("here " + std::to_string(r.ThreadId)); }
    bool HandleInHandlingThread(THandlingRequest& r) override {
        log.push_back(std::string(pipe_works ? "pipe " : "pipe failed ") + std::to_string(r.ThreadId));
        return pipe_works;
    }
    void CloseApplication() override { log.push_back("close"); }
};

TEST(HandleException, GoesThroughThePipeOrIsHandledInTheFailingThread) {
    TCapturedException abort;
    abort.ClassChain = {"EAbort", "Exception"};
    TCapturedException error;
    error.ClassChain = {"EConvertError", "Exception"};
    using Log = std::vector<std::string>;
    struct Case {
        const char* what;
        void (*setup)(FakeEntry&);
        const TCapturedException* object;
        bool can_continue;
        Log log;
    } cases[] = {
        {"through the pipe", [](FakeEntry&) {}, &error, true, {"release", "pipe 5", "take"}},
        {"from the handling thread", [](FakeEntry& p) { p.current = 9; }, &error, true, {}},
        {"the main thread running handlers", [](FakeEntry& p) { p.current = 1, p.main_runs_handlers = true; },
         &error, true, {}},
        {"another thread while the main thread runs handlers", [](FakeEntry& p) { p.main_runs_handlers = true; },
         &error, true, {"release", "pipe 5", "take"}},
        {"blocked process", [](FakeEntry& p) { p.blocked = true; }, &error, true, {"release", "here 5", "take"}},
        {"no pipe, no handling thread", [](FakeEntry& p) { p.handling = 0; }, &error, true,
         {"release", "here 5", "take"}},
        {"the pipe fails", [](FakeEntry& p) { p.pipe_works = false; }, &error, true,
         {"release", "pipe failed 5", "here 5", "take"}},
        {"EAbort is silent", [](FakeEntry&) {}, &abort, true, {"release", "take"}},
        {"EAbort that cannot continue closes", [](FakeEntry&) {}, &abort, false, {"release", "close", "take"}},
        {"no exception object (a freeze)", [](FakeEntry&) {}, nullptr, true, {"release", "pipe 5", "take"}},
    };
    for (const Case& c : cases) {
        FakeEntry platform;
        c.setup(platform);
        THandleExceptionArgs args;
        args.ExceptObject = c.object;
        args.CanContinue = c.can_continue;
        HandleException(args, platform);
        EXPECT_EQ(platform.log, c.log) << c.what;
    }
}

// A file with just enough of a PE header: the checksum field lies at 0x80 + 24 + 64.
std::string image_file(std::size_t size, bool with_checksum) {
    std::string file(size, '\0');
    for (std::size_t i = 0x100; i < size; ++i) file[i] = static_cast<char>(i * 7);
    file[0] = 'M';
    file[1] = 'Z';
    put_le32(reinterpret_cast<std::uint8_t*>(&file[0x3C]), 0x80);
    file.replace(0x80, 4, std::string("PE\0\0", 4));
    if (with_checksum)
        put_le32(reinterpret_cast<std::uint8_t*>(&file[0xD8]), pe_file_checksum(file, 0xD8));
    return file;
}

TEST(FileChecksum, TheFileMustSumToItsHeadersField) {
    const std::string even = image_file(0x400, true), odd = image_file(0x3FF, true);
    EXPECT_EQ(CheckImageChecksum(even), TFileCheck::Matches);
    EXPECT_EQ(CheckImageChecksum(odd), TFileCheck::Matches) << "an odd last byte counts alone";
    for (std::size_t at : {std::size_t(0x10), std::size_t(0x200), std::size_t(0x3FE)}) {
        std::string changed = even;
        changed[at] ^= 0x5A;
        EXPECT_EQ(CheckImageChecksum(changed), TFileCheck::Mismatch) << at;
    }
    std::string swapped = even;  // words that swap places keep the sum: the length still counts
    std::swap(swapped[0x200], swapped[0x202]);
    std::swap(swapped[0x201], swapped[0x203]);
    EXPECT_EQ(CheckImageChecksum(swapped), TFileCheck::Matches);
    std::string longer = even + std::string(2, '\0');
    EXPECT_EQ(CheckImageChecksum(longer), TFileCheck::Mismatch) << "two zero bytes more change the length";

    EXPECT_EQ(CheckImageChecksum(image_file(0x400, false)), TFileCheck::NoChecksum);
    EXPECT_EQ(CheckImageChecksum(even.substr(0, 0xDA)), TFileCheck::NotAnImage) << "cut inside the field";
    EXPECT_EQ(CheckImageChecksum("MZ"), TFileCheck::NotAnImage);
    EXPECT_EQ(CheckImageChecksum(std::string(0x400, 'x')), TFileCheck::NotAnImage);
    std::string far = even;
    put_le32(reinterpret_cast<std::uint8_t*>(&far[0x3C]), 0xFFFFFFF0u);
    EXPECT_EQ(CheckImageChecksum(far), TFileCheck::NotAnImage) << "a header offset past the end";
}

}  // namespace
}  // namespace roadsum
