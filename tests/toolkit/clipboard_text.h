// Texts on the clipboard for paste tests, and long texts in which a lost or doubled piece
// shows (no stretch of them repeats the way a filler of one character would).
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace roadsum::testing {

// Puts `text` on the clipboard as CF_TEXT; false when the clipboard could not be had.
inline bool SetClipboardText(const std::string& text) {
    if (!OpenClipboard(nullptr)) return false;
    EmptyClipboard();
    bool done = false;
    if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1)) {
        std::memcpy(GlobalLock(memory), text.c_str(), text.size() + 1);
        GlobalUnlock(memory);
        done = SetClipboardData(CF_TEXT, memory) != nullptr;
        if (!done) GlobalFree(memory);
    }
    CloseClipboard();
    return done;
}

// "123456789101112..." cut to `length` digits.
inline std::string CountingDigits(std::size_t length) {
    std::string text;
    for (int n = 1; text.size() < length; ++n) text += std::to_string(n);
    text.resize(length);
    return text;
}

// Long texts compared without printing them whole: the lengths and where they part.
inline ::testing::AssertionResult SameText(const std::string& got, const std::string& expected) {
    if (got == expected) return ::testing::AssertionSuccess();
    std::size_t at = 0;
    while (at < got.size() && at < expected.size() && got[at] == expected[at]) ++at;
    return ::testing::AssertionFailure() << got.size() << " characters where " << expected.size()
                                         << " were expected; they part at " << at;
}

}  // namespace roadsum::testing
