// Runs one fault program and checks it against the expectations written in its own source:
//
//   // expect-exit: N          the program's exit code
//   // expect-line: TEXT       a line of its output holds TEXT (these match in order)
//   // expect-count: N TEXT    exactly N lines hold TEXT
//   // expect-none: TEXT       no line holds TEXT
//   // expect-box: TEXT        it shows a message box with this text (answered with OK)
//   // mode: corrupt-copy      run a copy of the program with one byte changed
//   // mode: trace-from-outside  call its noxTraceProcess from here once it names the address;
//                              the text it delivers joins the output, prefixed "trace: "
//   // timeout: SECONDS        how long it may take in all (20 by default)
//
// The output is read until every process that holds it has ended (a restarted program hands
// it on). The run fails when the program takes longer than its time-out.
//
// Usage: fault_runner PROGRAM SOURCE
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Expectations {
    int exit_code = 0;
    std::vector<std::string> lines, none, boxes, modes;
    std::vector<std::pair<int, std::string>> counts;
    int timeout = 20;
};

std::string after(const std::string& line, const std::string& key) {
    const std::size_t at = line.find(key);
    if (at == std::string::npos) return {};
    std::string value = line.substr(at + key.size());
    while (!value.empty() && (value.back() == '\r' || value.back() == ' ')) value.pop_back();
    return value;
}

Expectations read_expectations(const std::string& source) {
    Expectations e;
    std::ifstream in(source);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("// ", 0) != 0) continue;
        if (std::string v = after(line, "// expect-exit: "); !v.empty()) e.exit_code = std::stoi(v);
        if (std::string v = after(line, "// expect-line: "); !v.empty()) e.lines.push_back(v);
        if (std::string v = after(line, "// expect-none: "); !v.empty()) e.none.push_back(v);
        if (std::string v = after(line, "// expect-box: "); !v.empty()) e.boxes.push_back(v);
        if (std::string v = after(line, "// mode: "); !v.empty()) e.modes.push_back(v);
        if (std::string v = after(line, "// timeout: "); !v.empty()) e.timeout = std::stoi(v);
        if (std::string v = after(line, "// expect-count: "); !v.empty()) {
            const std::size_t blank = v.find(' ');
            e.counts.emplace_back(std::stoi(v.substr(0, blank)), v.substr(blank + 1));
        }
    }
    return e;
}

bool has_mode(const Expectations& e, const std::string& mode) {
    return std::find(e.modes.begin(), e.modes.end(), mode) != e.modes.end();
}

// A copy of the program with one byte changed near its end, where only the checksum notices.
std::string corrupt_copy(const std::string& program) {
    const std::string copy = program.substr(0, program.size() - 4) + "_corrupt.exe";
    if (!CopyFileA(program.c_str(), copy.c_str(), FALSE)) return {};
    HANDLE file = CreateFileA(copy.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    const DWORD size = GetFileSize(file, nullptr);
    SetFilePointer(file, static_cast<LONG>(size - 16), nullptr, FILE_BEGIN);
    unsigned char byte = 0;
    DWORD done = 0;
    ReadFile(file, &byte, 1, &done, nullptr);
    byte ^= 0x5A;
    SetFilePointer(file, static_cast<LONG>(size - 16), nullptr, FILE_BEGIN);
    WriteFile(file, &byte, 1, &done, nullptr);
    CloseHandle(file);
    return copy;
}

class Output {
public:
    void add(const char* data, std::size_t n) {
        std::lock_guard guard(lock_);
        text_.append(data, n);
    }
    void add_line(const std::string& line) { add((line + "\n").c_str(), line.size() + 1); }
    std::string text() const {
        std::lock_guard guard(lock_);
        return text_;
    }
    std::vector<std::string> lines() const {
        std::vector<std::string> out;
        std::istringstream in(text());
        for (std::string line; std::getline(in, line);) {
            while (!line.empty() && line.back() == '\r') line.pop_back();
            out.push_back(line);
        }
        return out;
    }

private:
    mutable std::mutex lock_;
    std::string text_;
};

struct BoxSearch {
    DWORD process;
    HWND found;
};

BOOL CALLBACK find_box(HWND window, LPARAM param) {
    auto* s = reinterpret_cast<BoxSearch*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    char cls[32] = {};
    GetClassNameA(window, cls, sizeof cls);
    if (pid == s->process && IsWindowVisible(window) && std::string(cls) == "#32770") {
        s->found = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK collect_static_text(HWND child, LPARAM param) {
    char cls[32] = {};
    GetClassNameA(child, cls, sizeof cls);
    if (std::string(cls) == "Static") {
        char text[1024] = {};
        GetWindowTextA(child, text, sizeof text);
        if (text[0]) *reinterpret_cast<std::string*>(param) += text;
    }
    return TRUE;
}

// Answers a message box of the process with OK; its text, or nothing when it shows none.
std::string answer_box(DWORD process) {
    BoxSearch s{process, nullptr};
    EnumWindows(find_box, reinterpret_cast<LPARAM>(&s));
    if (!s.found) return {};
    std::string text;
    EnumChildWindows(s.found, collect_static_text, reinterpret_cast<LPARAM>(&text));
    PostMessageA(s.found, WM_COMMAND, IDOK, 0);
    return text.empty() ? std::string(" ") : text;
}

// Calls the program's noxTraceProcess once it has named the address, and keeps what it delivers.
bool trace_from_outside(HANDLE process, Output& output, DWORD deadline) {
    std::uint32_t address = 0;
    while (GetTickCount() < deadline && !address) {
        for (const std::string& line : output.lines())
            if (line.rfind("noxTraceProcess at ", 0) == 0) address = std::stoul(line.substr(19), nullptr, 16);
        if (!address) Sleep(50);
    }
    if (!address) return false;
    constexpr DWORD kSize = 1 << 20;
    HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kSize, "Global\\noxTraceProcessMap");
    if (!mapping) mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kSize, "noxTraceProcessMap");
    if (!mapping) return false;
    HANDLE thread = CreateRemoteThread(process, nullptr, 0,
                                       reinterpret_cast<LPTHREAD_START_ROUTINE>(static_cast<std::uintptr_t>(address)),
                                       reinterpret_cast<void*>(static_cast<std::uintptr_t>(kSize)), 0, nullptr);
    if (!thread) {
        CloseHandle(mapping);
        return false;
    }
    WaitForSingleObject(thread, deadline - GetTickCount());
    CloseHandle(thread);
    if (const char* view = static_cast<const char*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, kSize))) {
        std::istringstream in(std::string(view, strnlen(view, kSize)));
        for (std::string line; std::getline(in, line);) {
            while (!line.empty() && line.back() == '\r') line.pop_back();
            output.add_line("trace: " + line);
        }
        UnmapViewOfFile(view);
    }
    CloseHandle(mapping);
    return true;
}

int failures = 0;

void check(bool ok, const std::string& what) {
    if (ok) return;
    std::printf("FAILED: %s\n", what.c_str());
    ++failures;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: fault_runner PROGRAM SOURCE\n");
        return 2;
    }
    std::string program = argv[1];
    const Expectations expect = read_expectations(argv[2]);
    if (has_mode(expect, "corrupt-copy")) program = corrupt_copy(program);
    check(!program.empty(), "the program could be prepared");

    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE out_read, out_write, in_read, in_write;
    CreatePipe(&out_read, &out_write, &inherit, 0);
    CreatePipe(&in_read, &in_write, &inherit, 0);
    SetHandleInformation(out_read, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(in_write, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = in_read;
    si.hStdOutput = out_write;
    si.hStdError = out_write;
    PROCESS_INFORMATION pi{};
    std::string command = "\"" + program + "\"";
    if (!CreateProcessA(program.c_str(), command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
        std::printf("FAILED: cannot start %s (error %lu)\n", program.c_str(), GetLastError());
        return 1;
    }
    CloseHandle(out_write);
    CloseHandle(in_read);

    Output output;
    std::atomic<bool> reading{true};
    std::thread reader([&] {
        char buffer[4096];
        DWORD got = 0;
        while (ReadFile(out_read, buffer, sizeof buffer, &got, nullptr) && got) output.add(buffer, got);
        reading = false;
    });

    const DWORD deadline = GetTickCount() + static_cast<DWORD>(expect.timeout) * 1000;
    std::vector<std::string> boxes;
    bool traced = false;
    if (has_mode(expect, "trace-from-outside")) {
        traced = trace_from_outside(pi.hProcess, output, deadline);
        DWORD ignored;
        WriteFile(in_write, "quit\n", 5, &ignored, nullptr);
    }
    CloseHandle(in_write);
    bool ended = false;
    while (GetTickCount() < deadline) {
        if (WaitForSingleObject(pi.hProcess, 100) == WAIT_OBJECT_0) {
            ended = true;
            break;
        }
        if (std::string box = answer_box(pi.dwProcessId); !box.empty()) boxes.push_back(box);
    }
    // A restarted program holds the output on: read until every holder is gone.
    while (reading && GetTickCount() < deadline) Sleep(50);
    const bool timed_out = !ended || reading;
    if (timed_out) TerminateProcess(pi.hProcess, 99);
    reader.detach();  // it may wait on a pipe that a runaway process holds; the exit ends it

    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    const std::vector<std::string> lines = output.lines();
    std::printf("---- output of %s (exit code %lu, %lu ms)\n%s----\n", program.c_str(), code,
                GetTickCount() - (deadline - static_cast<DWORD>(expect.timeout) * 1000), output.text().c_str());

    check(ended, "the program ended within " + std::to_string(expect.timeout) + " s");
    check(!reading, "its output was closed within " + std::to_string(expect.timeout) + " s");
    if (!timed_out) check(static_cast<int>(code) == expect.exit_code,
                          "exit code " + std::to_string(code) + ", expected " + std::to_string(expect.exit_code));
    if (has_mode(expect, "trace-from-outside")) check(traced, "noxTraceProcess was called from outside");
    std::size_t from = 0;
    for (const std::string& want : expect.lines) {
        auto it = std::find_if(lines.begin() + static_cast<std::ptrdiff_t>(std::min(from, lines.size())), lines.end(),
                               [&](const std::string& l) { return l.find(want) != std::string::npos; });
        check(it != lines.end(), "a line (after the previous match) holds \"" + want + "\"");
        if (it != lines.end()) from = static_cast<std::size_t>(it - lines.begin()) + 1;
    }
    for (const auto& [n, want] : expect.counts) {
        const auto found = std::count_if(lines.begin(), lines.end(), [&](const std::string& l) { return l.find(want) != std::string::npos; });
        check(found == n, std::to_string(found) + " lines hold \"" + want + "\", expected " + std::to_string(n));
    }
    for (const std::string& unwanted : expect.none) {
        const bool found = std::any_of(lines.begin(), lines.end(), [&](const std::string& l) { return l.find(unwanted) != std::string::npos; });
        check(!found, "no line holds \"" + unwanted + "\"");
    }
    check(boxes.size() == expect.boxes.size(),
          std::to_string(boxes.size()) + " message boxes, expected " + std::to_string(expect.boxes.size()));
    for (std::size_t i = 0; i < std::min(boxes.size(), expect.boxes.size()); ++i)
        check(boxes[i] == expect.boxes[i], "box " + std::to_string(i + 1) + " says \"" + boxes[i] + "\", expected \"" +
                                               expect.boxes[i] + "\"");

    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    if (has_mode(expect, "corrupt-copy")) DeleteFileA(program.c_str());
    std::printf("%s\n", failures ? "FAULT CHECK FAILED" : "fault check passed");
    std::fflush(stdout);
    ExitProcess(failures ? 1 : 0);
}
