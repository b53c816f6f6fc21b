// The plain beep that controls give for rejected input. Tests count beeps through the hook.
#pragma once

#include <functional>

namespace roadsum {

void PlainBeep();
// Replaces the beep (an empty function restores it); returns the previous hook.
std::function<void()> SetBeepHook(std::function<void()> hook);

}  // namespace roadsum
