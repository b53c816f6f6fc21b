#include "automation.h"

#include <cstdio>
#include <vector>

#include "toolkit/dib.h"
#include "toolkit/form.h"

namespace roadsum::e2e {
std::string ProgramPath() {
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string own(path, n);
    return own.substr(0, own.find_last_of("\\/") + 1) + "Roadsum.exe";
}

namespace {

// A visible window of the class whose process the test wants.
struct Search {
    bool (*wanted)(DWORD pid, DWORD given);
    DWORD given;
    const char* window_class;
    HWND found;
};

BOOL CALLBACK FindWindowOf(HWND window, LPARAM param) {
    auto* s = reinterpret_cast<Search*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    char cls[64] = {};
    GetClassNameA(window, cls, sizeof cls);
    if (s->wanted(pid, s->given) && IsWindowVisible(window) && std::string(cls) == s->window_class) {
        s->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND PollForWindow(Search s, int milliseconds, int step) {
    for (int waited = 0; waited <= milliseconds; waited += step) {
        EnumWindows(FindWindowOf, reinterpret_cast<LPARAM>(&s));
        if (s.found) return s.found;
        Sleep(step);
    }
    return nullptr;
}

HWND WaitForWindow(DWORD pid, const char* window_class, int milliseconds) {
    return PollForWindow({[](DWORD p, DWORD given) { return p == given; }, pid, window_class, nullptr}, milliseconds,
                         20);
}

void Send(INPUT input) {
    SendInput(1, &input, sizeof input);
    Sleep(10);
}

}  // namespace

RoadsumProcess::RoadsumProcess() : RoadsumProcess(ProgramPath(), true) {}

RoadsumProcess::RoadsumProcess(const std::string& path, bool wait_for_window) {
    STARTUPINFOA si{};
    si.cb = sizeof si;
    if (!CreateProcessA(path.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &info_)) return;
    if (!wait_for_window) return;
    WaitForInputIdle(info_.hProcess, 10000);
    window_ = WaitForWindow(info_.dwProcessId, "TRoadsumFrm", 10000);
    if (window_) SetForegroundWindow(window_);
    Settle();
}

RoadsumProcess::~RoadsumProcess() {
    if (!info_.hProcess) return;
    if (WaitForSingleObject(info_.hProcess, 0) != WAIT_OBJECT_0) TerminateProcess(info_.hProcess, 99);
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
}

long RoadsumProcess::WaitForExit(DWORD milliseconds) {
    if (WaitForSingleObject(info_.hProcess, milliseconds) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(info_.hProcess, &code);
    return static_cast<long>(code);
}

std::string RoadsumProcess::Query(const std::string& control, int kind) const {
    static const UINT message = RegisterWindowMessageA(kAutomationMessage);
    ATOM name = GlobalAddAtomA(control.c_str());
    DWORD_PTR answer = 0;
    SendMessageTimeoutA(window_, message, name, kind, SMTO_ABORTIFHUNG, 5000, &answer);
    GlobalDeleteAtom(name);
    if (!answer) return "(none)";
    char text[256] = {};
    GlobalGetAtomNameA(static_cast<ATOM>(answer), text, sizeof text);
    GlobalDeleteAtom(static_cast<ATOM>(answer));
    return std::string(text) == " " ? "" : text;
}

std::string RoadsumProcess::Text(const std::string& control) const { return Query(control, aqText); }

RECT RoadsumProcess::ScreenRect(const std::string& control) const {
    RECT r{};
    std::sscanf(Query(control, aqScreenRect).c_str(), "%ld,%ld,%ld,%ld", &r.left, &r.top, &r.right, &r.bottom);
    return r;
}

void RoadsumProcess::ClickAt(int x, int y) const {
    int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dx = (x * 65535 + w / 2) / (w - 1);
    in.mi.dy = (y * 65535 + h / 2) / (h - 1);
    in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    // Under Wine the first input of a new process can be lost: move until the pointer is there.
    POINT at{};
    for (int attempt = 0; attempt < 20 && !(GetCursorPos(&at) && at.x == x && at.y == y); ++attempt) {
        Send(in);
        Sleep(20);
    }
    in.mi.dwFlags = MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_ABSOLUTE;
    Send(in);
    in.mi.dwFlags = MOUSEEVENTF_LEFTUP | MOUSEEVENTF_ABSOLUTE;
    Send(in);
    Settle();
}

void RoadsumProcess::Click(const std::string& control) const {
    RECT r = ScreenRect(control);
    ClickAt((r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

void RoadsumProcess::Key(WORD vk) const {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    Send(in);
    in.ki.dwFlags = KEYEVENTF_KEYUP;
    Send(in);
    Settle();
}

void RoadsumProcess::Chord(WORD modifier, WORD vk) const {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    for (WORD down : {modifier, vk}) {
        in.ki.wVk = down;
        Send(in);
    }
    in.ki.dwFlags = KEYEVENTF_KEYUP;
    for (WORD up : {vk, modifier}) {
        in.ki.wVk = up;
        Send(in);
    }
    Settle();
}

HWND RoadsumProcess::FocusedWindow() const {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(info_.dwThreadId, &info) ? info.hwndFocus : nullptr;
}

std::string RoadsumProcess::WindowText(HWND window) {
    // Sent, not GetWindowText: for another process's window that returns the caption it was
    // made with, not what the user entered since.
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length)) return {};
    std::string text(length + 1, '\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG,
                             5000, &copied))
        return {};
    text.resize(copied);
    return text;
}

void RoadsumProcess::Type(const std::string& text) const {
    for (char c : text) {
        INPUT in{};
        in.type = INPUT_KEYBOARD;
        in.ki.wScan = static_cast<unsigned char>(c);
        in.ki.dwFlags = KEYEVENTF_UNICODE;
        Send(in);
        in.ki.dwFlags = KEYEVENTF_UNICODE | KEYEVENTF_KEYUP;
        Send(in);
    }
    Settle();
}

void RoadsumProcess::ClearField(const std::string& control) const {
    std::size_t n = Text(control).size();
    Key(VK_END);
    for (std::size_t i = 0; i < n; ++i) Key(VK_BACK);
}

void RoadsumProcess::Settle() const {
    DWORD_PTR ignored;
    SendMessageTimeoutA(window_, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
    Sleep(30);
}

bool RoadsumProcess::WaitUntil(const std::function<bool()>& condition) const {
    for (int waited = 0; waited < 5000; waited += 20) {
        if (condition()) return true;
        Sleep(20);
    }
    return condition();
}

void RoadsumProcess::TypeInto(const std::string& control, const std::string& text) const {
    Click(control);
    WaitUntil([&] { return Query(control, aqState).substr(4, 1) == "1"; });  // focused
    ClearField(control);
    WaitUntil([&] { return Text(control).empty(); });
    Type(text);
    WaitUntil([&] { return Text(control) == text; });
}

HWND RoadsumProcess::FindMessageBox(int milliseconds) const {
    return WaitForWindow(info_.dwProcessId, "#32770", milliseconds);
}

HWND FindOtherRoadsumWindow(DWORD except, int milliseconds) {
    return PollForWindow({[](DWORD p, DWORD given) { return p != given; }, except, "TRoadsumFrm", nullptr},
                         milliseconds, 50);
}

std::string RoadsumProcess::MessageBoxText(HWND box) {
    char text[512] = {};
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);  // the message box's text control
    return text;
}

bool RoadsumProcess::SaveScreenshot(const std::string& path, HWND window) const {
    RECT r;
    GetWindowRect(window ? window : window_, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    const TDib24 shot(w, h);
    const ClientDC screen(nullptr);
    BitBlt(shot.DC(), 0, 0, w, h, screen.get(), r.left, r.top, SRCCOPY);
    return shot.SaveToFile(path);
}

}  // namespace roadsum::e2e
