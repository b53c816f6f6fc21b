#include "app/crash_wiring.h"

#include <cxxabi.h>

#include <cstdlib>
#include <string>
#include <typeinfo>

#include "crash/reporter/reporter_win32.h"
#include "toolkit/application.h"
#include "toolkit/thread.h"

namespace roadsum {

namespace {

// "TShapeRotateTimer" for roadsum::TShapeRotateTimer: the class name as reports show it.
std::string class_name_of(const std::type_info& type) {
    int status = 0;
    char* name = abi::__cxa_demangle(type.name(), nullptr, nullptr, &status);
    std::string full = status == 0 && name ? name : type.name();
    std::free(name);
    const std::size_t colons = full.rfind("::");
    return colons == std::string::npos ? full : full.substr(colons + 2);
}

void run_thread(TThread& thread, const std::function<void()>& run) {
    TThreadOrigin origin;
    origin.CreatorId = thread.CreatorThreadID();
    origin.CreationAddress = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(thread.CreationAddress()));
    origin.ClassName = class_name_of(typeid(thread));
    RunThreadFunction(origin, run);
}

}  // namespace

void StartCrashReporting() {
    StartReporter();
    TThread::SetStartHook(run_thread);
}

void WireApplication(TApplication& application) {
    if (!CrashReporterEnabled()) return;
    application.SetExceptionHook([&application](std::exception_ptr error) {
        HandleCppException(error, esAppHandleException, true, &application);
    });
    application.SetShowExceptionHook([&application](std::exception_ptr error) {
        HandleCppException(error, esAppShowException, true, &application);
    });
}

}  // namespace roadsum
