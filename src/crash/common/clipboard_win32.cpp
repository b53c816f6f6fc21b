#include "crash/common/clipboard_win32.h"

#include <windows.h>

#include <algorithm>

namespace roadsum {

bool CopyTextToClipboard(std::string_view text, void* owner_window) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    if (!memory) return false;
    char* data = static_cast<char*>(GlobalLock(memory));
    if (!data) {
        GlobalFree(memory);
        return false;
    }
    std::copy(text.begin(), text.end(), data);
    data[text.size()] = 0;
    GlobalUnlock(memory);
    bool opened = false;
    for (int tries = 0; tries < 10 && !(opened = OpenClipboard(static_cast<HWND>(owner_window))); ++tries) Sleep(20);
    if (!opened) {
        GlobalFree(memory);
        return false;
    }
    EmptyClipboard();
    const bool set = SetClipboardData(CF_TEXT, memory) != nullptr;
    CloseClipboard();
    if (!set) GlobalFree(memory);  // the clipboard owns it only once it took it
    return set;
}

}  // namespace roadsum
