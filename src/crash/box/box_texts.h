// What the exception box says and offers: its caption, its message with one sentence per line,
// the button captions, which buttons show and which one is focused or presses itself.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "crash/capture/crash_exception.h"
#include "crash/capture/time_ring.h"

namespace roadsum {

// The buttons in the order the box keeps them; the big icon is button 8.
enum TBoxButton { bbSend = 0, bbSave, bbPrint, bbShow, bbContinue, bbRestart, bbClose };
inline constexpr int kBoxButtons = 7;
inline constexpr int kIconButton = 8;

// Box kinds of a filter group.
enum TBoxKind { bkFullBox = 0, bkAssistantOnly = 1, bkSimpleWithDetails = 2, bkSimpleOkOnly = 3 };

// A long exception message gets one sentence per line: in a message of more than 29
// characters every ". " whose full stop lies between the 20th and the 10th-last character
// becomes "." and a line break. A message of the exempt class stays as it is.
std::string SplitSentences(std::string_view message, std::string_view exception_class = {},
                           std::string_view exempt_class = {});

// Expands a message template, putting `exception_message` where "%exceptMsg%" stands (so that
// the message itself is not expanded again).
std::string ComposeBoxMessage(const INXSettings& settings, std::string_view raw_template,
                              std::string_view exception_message);

struct TBoxTexts {
    std::string Caption;
    std::string Message;
    std::array<std::string, kBoxButtons> Buttons;  // by TBoxButton
};

struct TBoxButtons {
    std::array<bool, kBoxButtons> Visible{};
    int Focused = bbSend;    // a TBoxButton
    int AutoButton = -1;     // the button that presses itself after AutoDelay, -1 for none
    std::int32_t AutoDelaySeconds = 0;
};

// `app_name` is the executable's file name without extension (the simple box's caption).
TBoxTexts BoxTexts(const TCrashException& report, bool simple, std::string_view app_name,
                   std::string_view exempt_class = {});

// The visible buttons of a box of the given kind, the focused one and the auto-button. The
// rules AutoClose and AutoRestart are read against the exception time ring at `now`.
TBoxButtons BoxButtons(const INXSettings& settings, int box_kind, bool can_continue,
                       const TExceptionTimeRing& ring, std::uint64_t now);

// Where the auto-button's bar ends (0..width) after `elapsed_ms` of a delay of `delay_s`.
int AutoBarPosition(std::uint64_t elapsed_ms, std::int32_t delay_s, int width);

}  // namespace roadsum
