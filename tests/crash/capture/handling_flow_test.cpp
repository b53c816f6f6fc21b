// One handling request from the report object to the ending: phases and handlers, the filter
// group's decisions, the rules and the box's choice, actions with their assistants.
#include <gtest/gtest.h>

#include <stdexcept>

#include "capture_fakes.h"
#include "crash/capture/handler_registry.h"

namespace roadsum {
namespace {

using testing::CaptureWorld;
using testing::FakeServices;
using Log = std::vector<std::string>;

struct Flow {
    explicit Flow(const std::string& settings = "") : world(settings), services(world) {}

    // Every exception handler call as "phase N", every action as "action N".
    void WatchHandlers(int handle_at_phase = 0, bool handle_actions = false) {
        handlers.RegisterMethod(
            heException,
            [this, handle_at_phase](INXException* r, int, bool& handled) {
                services.log.push_back("phase " + std::to_string(r->Phase()));
                if (r->Phase() == handle_at_phase) handled = true;
            },
            tmHandlingThread);
        handlers.RegisterProcedure(heAction, nullptr, tmHandlingThread);  // refused, changes nothing
        handlers.RegisterMethod(
            heAction,
            [this, handle_actions](INXException*, int action, bool& handled) {
                services.log.push_back("action " + std::to_string(action));
                handled = handle_actions;
            },
            tmHandlingThread);
    }

    Log Handle(TExceptionKind kind, const std::vector<std::string>& chain, bool can_continue = true) {
        const TCapturedException e = testing::exception_of(chain);
        THandlingRequest r;
        r.Kind = kind;
        r.ExceptObject = &e;
        r.CanContinue = can_continue;
        r.ThreadId = 0x2C8;
        services.log.clear();
        flow.Handle(r);
        return services.log;
    }

    CaptureWorld world;
    FakeServices services;
    THandlerRegistry handlers;
    THandlingFlow flow{services, handlers};
};

const std::vector<std::string> kConvertError = {"EConvertError", "Exception"};

TEST(HandlingFlow, AnExceptionGoesThroughEveryStepAndContinues) {
    Flow f;
    f.WatchHandlers();
    EXPECT_EQ(f.Handle(ekNormal, kConvertError),
              (Log{"clear temp", "phase 1", "pause threads", "screenshot", "report", "phase 2", "automatic actions",
                   "phase 3", "phase 4", "show", "action 8", "save", "resume threads"}));
    EXPECT_EQ(f.services.last->Phase(), rpComplete);
    EXPECT_EQ(f.flow.Ring().Filled(), 1u);
}

TEST(HandlingFlow, TheCompletePhaseFollowsTheShowingOneWhenTheReportCompletesLater) {
    Flow f;
    f.WatchHandlers();
    f.services.complete_at_start = false;
    EXPECT_EQ(f.Handle(ekNormal, kConvertError),
              (Log{"clear temp", "phase 1", "pause threads", "screenshot", "report", "phase 2", "automatic actions",
                   "phase 3", "show", "action 8", "save", "resume threads"}));
    f.services.log.clear();
    f.services.last->MarkComplete();
    EXPECT_EQ(f.services.log, Log{"phase 4"});
    f.services.last->MarkComplete();
    EXPECT_EQ(f.services.log, Log{"phase 4"}) << "once";
}

TEST(HandlingFlow, FilterGroupsAndFreezesLeaveOutTheirSteps) {
    Flow f("AutoSave = false\nF2Classes = \"EMathError\"\nF2NoBugRep = true\nF2NoScrShot = true\n");
    f.WatchHandlers();
    EXPECT_EQ(f.Handle(ekNormal, {"EDBEditError", "Exception"}), (Log{"clear temp", "report", "show"}))
        << "group 1: no handlers, no screenshot, no pausing";
    EXPECT_EQ(f.Handle(ekNormal, {"EZeroDivide", "EMathError", "Exception"}),
              (Log{"clear temp", "phase 1", "pause threads", "phase 2", "phase 3", "show", "action 8", "resume threads"}))
        << "group 2 by an ancestor: no report, no screenshot";
    Flow saving("F2Classes = \"EMathError\"\nF2NoBugRep = true\n");
    EXPECT_EQ(saving.Handle(ekNormal, {"EZeroDivide", "EMathError", "Exception"}, false),
              (Log{"clear temp", "pause threads", "screenshot", "show", "close", "resume threads"}))
        << "AutoSave and no report: nothing waited for, nothing saved";
    EXPECT_FALSE(saving.services.last->WaitComplete(60000));
    EXPECT_EQ(f.Handle(ekFrozen, {}),
              (Log{"clear temp", "phase 1", "screenshot", "report", "phase 2", "phase 3", "phase 4", "show", "action 8"}))
        << "a freeze pauses no threads";
}

TEST(HandlingFlow, AHandlerThatHandlesTheExceptionEndsTheHandlingWhenItCanContinue) {
    Flow f;
    f.WatchHandlers(rpStarted);
    EXPECT_EQ(f.Handle(ekNormal, kConvertError),
              (Log{"clear temp", "phase 1", "pause threads", "screenshot", "report", "phase 2", "resume threads"}));
    EXPECT_EQ(f.Handle(ekNormal, kConvertError, false),
              (Log{"clear temp", "phase 1", "pause threads", "screenshot", "report", "phase 2", "action 10", "wait",
                   "save", "close", "resume threads"}))
        << "the closing rules still apply to what cannot continue";
    Flow first;
    first.WatchHandlers(rpCreated);
    EXPECT_EQ(first.Handle(ekNormal, kConvertError), (Log{"clear temp", "phase 1"}));
    EXPECT_EQ(first.Handle(ekNormal, kConvertError, false), (Log{"clear temp", "phase 1", "action 10", "close"}))
        << "no report was built: nothing to wait for or save";
    EXPECT_FALSE(first.services.last->WaitComplete(60000)) << "and nobody waits for it";
}

TEST(HandlingFlow, HiddenExceptionsOnlyReachTheirHandlers) {
    Flow f;
    f.WatchHandlers();
    f.handlers.RegisterProcedure(
        heHiddenException, [](INXException*, int, bool& handled) { handled = true; }, tmHandlingThread);
    f.handlers.RegisterMethod(
        heHiddenException, [&](INXException* r, int, bool&) { f.services.log.push_back("hidden " + r->ExceptClass()); },
        tmHandlingThread);
    EXPECT_EQ(f.Handle(ekHidden, kConvertError), (Log{"clear temp", "hidden EConvertError"}));
    EXPECT_EQ(f.flow.Ring().Filled(), 0u) << "hidden exceptions are not timed";
}

// The last entries of a log.
Log tail(const Log& log, std::size_t n) { return Log(log.end() - static_cast<std::ptrdiff_t>(std::min(n, log.size())), log.end()); }

TEST(HandlingFlow, TheRulesAndTheBoxChooseTheEnding) {
    Flow storm("AutoRestart = 60\nAutoSave = false\nPauseThreads = false\n");
    for (int i = 1; i <= 9; ++i) {
        storm.services.now += 3;
        EXPECT_EQ(tail(storm.Handle(ekNormal, kConvertError), 1), Log{"show"}) << i << ": continues";
    }
    storm.services.now += 3;
    EXPECT_EQ(tail(storm.Handle(ekNormal, kConvertError), 2), (Log{"wait", "restart with 10 times"}))
        << "the tenth restarts";

    Flow closing("AutoClose = 1\n");
    EXPECT_EQ(tail(closing.Handle(ekNormal, kConvertError), 4), (Log{"wait", "save", "close", "resume threads"}));
    Flow fatal;
    EXPECT_EQ(tail(fatal.Handle(ekNormal, kConvertError, false), 4), (Log{"wait", "save", "close", "resume threads"}));

    Flow box;
    box.WatchHandlers();
    box.services.box = TBoxChoice::Restart;
    EXPECT_EQ(tail(box.Handle(ekNormal, kConvertError), 6),
              (Log{"show", "action 9", "wait", "save", "restart with 1 times", "resume threads"}));
    box.services.box = TBoxChoice::Continue;
    EXPECT_EQ(tail(box.Handle(ekNormal, kConvertError, false), 4), (Log{"show", "action 8", "save", "resume threads"}))
        << "the user chose to continue";
}

TEST(HandlingFlow, AutoSaveIfNotSentSavesOnlyWhatWasNotSent) {
    enum Send { kNone, kSent, kFailed, kUnderWay };
    struct Case {
        const char* name;
        const char* settings;
        Send send;
        TBoxChoice choice;
        Log tail;                   // the end of the handling
        bool sent_later = false;    // how a send still under way ends
        Log after;                  // what follows when it ends
    };
    const Case cases[] = {
        {"nothing sent", "", kNone, TBoxChoice::Continue, {"action 8", "save", "resume threads"}, false, {}},
        {"sent", "", kSent, TBoxChoice::Continue, {"show", "action 8", "resume threads"}, false, {}},
        {"the send failed", "", kFailed, TBoxChoice::Continue, {"action 8", "save", "resume threads"}, false, {}},
        {"sent, but saved anyway", "AutoSaveIfNotSent = false\n", kSent, TBoxChoice::Continue,
         {"action 8", "save", "resume threads"}, false, {}},
        {"no AutoSave at all", "AutoSave = false\n", kFailed, TBoxChoice::Continue, {"show", "action 8", "resume threads"}, false, {}},
        {"a send under way that fails: saved when it ends", "", kUnderWay, TBoxChoice::Continue,
         {"show", "action 8", "resume threads"}, false, {"save"}},
        {"a send under way that goes: not saved", "", kUnderWay, TBoxChoice::Continue,
         {"show", "action 8", "resume threads"}, true, {}},
        {"sent, then closed", "", kSent, TBoxChoice::Close, {"action 10", "wait", "close", "resume threads"}, false, {}},
        {"closing while a send is under way saves rather than lose it", "", kUnderWay, TBoxChoice::Close,
         {"wait", "save", "close", "resume threads"}, true, {}},
    };
    for (const Case& c : cases) {
        Flow f(c.settings);
        f.WatchHandlers();
        f.services.box = c.choice;
        f.services.on_show = [&c](TCrashException& r) {
            if (c.send == kNone) return;
            r.BeginSending();
            if (c.send != kUnderWay) r.EndSending(c.send == kSent);
        };
        EXPECT_EQ(tail(f.Handle(ekNormal, kConvertError), c.tail.size()), c.tail) << c.name;
        f.services.log.clear();
        if (c.send == kUnderWay) f.services.last->EndSending(c.sent_later);
        EXPECT_EQ(f.services.log, c.after) << c.name;
    }
}

TEST(HandlingFlow, FailuresInsideTheHandlingEndItQuietly) {
    Flow f;
    f.handlers.RegisterMethod(
        heException, [](INXException*, int, bool&) { throw std::runtime_error("handler"); }, tmHandlingThread);
    f.WatchHandlers();
    EXPECT_EQ(f.Handle(ekNormal, kConvertError).back(), "resume threads") << "a throwing handler is passed over";
    f.services.on_make = [] { throw std::runtime_error("no report"); };
    EXPECT_EQ(f.Handle(ekNormal, kConvertError), Log{"clear temp"});
}

TEST(HandlingFlow, ActionsRunTheirAssistantBetweenTwoHandlerCalls) {
    Flow f;
    f.WatchHandlers();
    const Ref<TCrashException> r = f.world.report(ekNormal, testing::exception_of(kConvertError));
    struct Case {
        TActionCode action;
        TAssistantResult assistant;
        bool handled;
        Log log;
    } cases[] = {
        {acSend, TAssistantResult::Done, false, {"action 0", "assistant SendAssistant", "action 3"}},
        {acSend, TAssistantResult::Cancelled, true, {"action 0", "assistant SendAssistant"}},
        {acSend, TAssistantResult::NotShown, false, {"action 0", "assistant SendAssistant"}},
        {acSave, TAssistantResult::Done, false, {"action 1"}},  // SaveAssis is empty
        {acPrint, TAssistantResult::Done, false, {"action 2"}},  // PrintAssis left at its built-in ""
        {acContinue, TAssistantResult::Done, false, {"action 8"}},
    };
    for (const Case& c : cases) {
        f.services.log.clear();
        f.services.assistant = c.assistant;
        EXPECT_EQ(f.flow.FireAction(*r, c.action), c.handled) << c.action;
        EXPECT_EQ(f.services.log, c.log) << c.action;
    }
    Flow handling;
    handling.WatchHandlers(0, true);
    EXPECT_TRUE(handling.flow.FireAction(*r, acSend));
    EXPECT_EQ(handling.services.log, Log{"action 0"}) << "a handler that handles the action skips the assistant";
}

// The main thread as the registry reaches it.
class FakeMainThread final : public TMainThreadCaller {
public:
    bool answers = true, runs = true;
    std::vector<std::string>* log;
    bool Probe() override {
        log->push_back("probe");
        return answers;
    }
    bool Run(const std::function<void()>& pass) override {
        if (!runs) return false;
        log->push_back("in main");
        pass();
        return true;
    }
};

TEST(HandlerRegistry, OrderThreadModesAndTheMainThread) {
    THandlerRegistry registry;
    Log log;
    const auto method = [&](std::string name, bool handles = false) {
        return [&log, name, handles](INXException*, int, bool& handled) {
            log.push_back(name);
            if (handles) handled = true;
        };
    };
    static Log* procedure_log;
    procedure_log = &log;
    registry.RegisterProcedure(
        heException, [](INXException*, int, bool&) { procedure_log->push_back("procedure 0"); }, tmHandlingThread);
    registry.RegisterMethod(heException, method("main 1"), tmMainThread);
    registry.RegisterMethod(heException, method("either 2"), tmMainThreadOrHandlingThread);
    registry.RegisterMethod(heException, method("method 0"), tmHandlingThread);
    FakeMainThread main;
    main.log = &log;

    struct Case {
        const char* what;
        bool answers, runs, freeze;
        Log log;
        bool failed;
    } cases[] = {
        {"the main thread answers", true, true, false,
         {"method 0", "procedure 0", "probe", "in main", "main 1", "either 2"}, false},
        {"no answer to the probe", false, true, false, {"method 0", "procedure 0", "probe", "either 2"}, true},
        {"the main thread cannot run them", true, false, false, {"method 0", "procedure 0", "probe", "either 2"}, true},
        {"a freeze", true, true, true, {"method 0", "procedure 0", "either 2"}, true},
    };
    for (const Case& c : cases) {
        log.clear();
        main.answers = c.answers;
        main.runs = c.runs;
        TFireHandlersParams params;
        registry.Fire(params, c.freeze, &main);
        EXPECT_EQ(log, c.log) << c.what;
        EXPECT_EQ(params.MainThreadFailed, c.failed) << c.what;
        EXPECT_FALSE(params.MainThreadPass) << c.what;
    }

    const int stopper = registry.RegisterMethod(heException, method("method handles", true), tmHandlingThread);
    log.clear();
    TFireHandlersParams params;
    registry.Fire(params, false, &main);
    EXPECT_EQ(log, (Log{"method 0", "method handles"})) << "stops at the handler that handles it";
    EXPECT_TRUE(params.Handled);

    EXPECT_TRUE(registry.Unregister(stopper));
    EXPECT_FALSE(registry.Unregister(stopper));
    int owner;
    registry.RegisterMethod(heHiddenException, method("hidden a", true), tmHandlingThread, &owner);
    registry.RegisterMethod(heHiddenException, method("hidden b", true), tmHandlingThread, &owner);
    log.clear();
    TFireHandlersParams hidden;
    hidden.Event = heHiddenException;
    registry.Fire(hidden, false, nullptr);
    EXPECT_EQ(log, (Log{"hidden a", "hidden b"})) << "hidden-exception handlers are all called";
    registry.UnregisterOwner(&owner);
    EXPECT_FALSE(registry.Has(heHiddenException));
    EXPECT_TRUE(registry.Has(heException));
    EXPECT_FALSE(registry.Has(static_cast<THandlerEvent>(3)));
}

}  // namespace
}  // namespace roadsum
