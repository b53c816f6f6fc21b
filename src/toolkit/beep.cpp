#include "toolkit/beep.h"

#include <windows.h>

#include <utility>

namespace roadsum {
namespace {

std::function<void()>& Hook() {
    static std::function<void()> hook;
    return hook;
}

}  // namespace

void PlainBeep() {
    if (Hook())
        Hook()();
    else
        MessageBeep(0);
}

std::function<void()> SetBeepHook(std::function<void()> hook) { return std::exchange(Hook(), std::move(hook)); }

}  // namespace roadsum
