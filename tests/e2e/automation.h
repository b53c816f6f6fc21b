// Driving the real Roadsum.exe from another process as a user would: real input events
// through SendInput, and the form's automation query to read what the window shows.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace roadsum::e2e {

// The path of Roadsum.exe, which the build puts beside the test programs.
std::string ProgramPath();

// The visible main window of a Roadsum process other than `except`, within the time given.
HWND FindOtherRoadsumWindow(DWORD except, int milliseconds);

class RoadsumProcess {
public:
    RoadsumProcess();  // starts Roadsum.exe beside the test program and waits for its window
    // Starts the program at `path` (a changed copy, say); waits for its window only if asked.
    RoadsumProcess(const std::string& path, bool wait_for_window);
    RoadsumProcess(const RoadsumProcess&) = delete;
    RoadsumProcess& operator=(const RoadsumProcess&) = delete;
    ~RoadsumProcess();  // ends it if it still runs

    HWND Window() const { return window_; }
    DWORD ProcessId() const { return info_.dwProcessId; }
    // Waits for the end of the process; its exit code, or -1 when it did not end in time.
    long WaitForExit(DWORD milliseconds = 10000);

    // The answer of the automation query for a named control ("(none)" for no such control).
    std::string Query(const std::string& control, int kind) const;
    std::string Text(const std::string& control) const;
    RECT ScreenRect(const std::string& control) const;

    // Real input: a left click at the centre of a control, keys, typed text.
    void Click(const std::string& control) const;
    void ClickAt(int x, int y) const;
    void Key(WORD vk) const;
    // A key pressed while a modifier is held, as Ctrl+V.
    void Chord(WORD modifier, WORD vk) const;
    void Type(const std::string& text) const;
    // Empties the focused field: End, then Backspace for every character.
    void ClearField(const std::string& control) const;
    // Waits until the window has handled everything sent to it so far.
    void Settle() const;
    // Input is handled when the program gets to it: waits (up to 5 s) until the condition holds.
    bool WaitUntil(const std::function<bool()>& condition) const;
    // Clicks into a field and types; returns when the field shows the text.
    void TypeInto(const std::string& control, const std::string& text) const;

    // The window that has the keyboard focus in the program, or null.
    HWND FocusedWindow() const;
    // The whole text of a window of the program, of any length (the query cuts at 255).
    static std::string WindowText(HWND window);

    // The message box the process shows within 3 s (or the time given), if any, and its text.
    HWND FindMessageBox(int milliseconds = 3000) const;
    static std::string MessageBoxText(HWND box);

    // Saves the window (by default the main window), frame included, as it is on the screen to
    // a 24-bit bitmap file.
    bool SaveScreenshot(const std::string& path, HWND window = nullptr) const;

private:
    PROCESS_INFORMATION info_{};
    HWND window_ = nullptr;
};

}  // namespace roadsum::e2e
