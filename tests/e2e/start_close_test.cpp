// Starts the real Roadsum.exe and closes it as a user would.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

std::string program_path() {
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string own(path, n);
    return own.substr(0, own.find_last_of("\\/") + 1) + "Roadsum.exe";
}

struct Search {
    DWORD process_id;
    HWND window;
};

BOOL CALLBACK find_main_window(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == search->process_id && IsWindowVisible(window) && !GetWindow(window, GW_OWNER)) {
        search->window = window;
        return FALSE;
    }
    return TRUE;
}

HWND wait_for_main_window(DWORD process_id) {
    for (int i = 0; i < 200; ++i) {
        Search search{process_id, nullptr};
        EnumWindows(find_main_window, reinterpret_cast<LPARAM>(&search));
        if (search.window) return search.window;
        Sleep(50);
    }
    return nullptr;
}

TEST(StartAndClose, ShowsTheRoadsumWindowAndEndsWhenItIsClosed) {
    std::string path = program_path();
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(CreateProcessA(path.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        << path << " error " << GetLastError();
    WaitForInputIdle(pi.hProcess, 10000);

    HWND window = wait_for_main_window(pi.dwProcessId);
    if (window) {
        char title[64] = {};
        GetWindowTextA(window, title, sizeof title);
        EXPECT_STREQ(title, "Roadsum");
        PostMessageA(window, WM_CLOSE, 0, 0);
    }
    DWORD waited = WaitForSingleObject(pi.hProcess, 10000);
    if (waited != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 99);
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);

    ASSERT_NE(window, nullptr) << "no main window appeared";
    EXPECT_EQ(waited, WAIT_OBJECT_0) << "the program did not end after WM_CLOSE";
    EXPECT_EQ(code, 0u);
}

}  // namespace
