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
//   // mode: restarts          it starts itself again, and the new process writes on
//   // timeout: SECONDS        how long it may take in all (20 by default)
//
// The output of a restarting program is read until every process that holds it has ended (a
// restarted program hands it on); any other program's output ends with the program. The run
// fails when the program takes longer than its time-out.
//
// Then the report file the program leaves beside itself (its settings name it after the
// program) is checked against the one table below: how many whole reports it holds, and in
// each the exception class and message and the crashing thread first, its top line naming the
// faulting function with unit and line.
//
// Usage: fault_runner PROGRAM SOURCE
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <fstream>
#include <regex>
#include <iterator>
#include <mutex>
#include <optional>
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

// What each fault leaves in its report file. Reports 0: no file (EAbort is silent, BitFaultMsg
// ends the program before anything runs, a trace of the process is no failure, and settings
// that save nothing). Class "": a freeze. Message: a part of the "exception message" line; null:
// no such line (the message equals the class). Top: the function that the first line with unit
// and line names (lines of code without debug information, such as the run time's raise or a
// system call, stand above it); "": the top line is an address in no module. "a|b": report 1
// expects a, report 2 and later b.
struct ReportExpectation {
    const char* kind;
    int min_reports, max_reports;
    const char* exception_class;
    const char* message;
    const char* top;
};

const ReportExpectation kReports[] = {
    {"cpp_main", 1, 1, "EConvertError", "'x' is not a valid integer value", "TFault.Raise"},
    {"toolkit_thread", 1, 1, "EConvertError", "'y' is not a valid integer value", "TFault.Raise"},
    {"system_thread", 1, 1, "std::out_of_range", "vector::_M_range_check", "TFault.Fail"},
    {"av_read", 1, 1, "EAccessViolation", "Access violation at address", "TFault.ReadNull"},
    {"av_write", 1, 1, "EAccessViolation", "Access violation at address", "TFault.WriteLow"},
    {"av_execute", 1, 1, "EAccessViolation",
     "Access violation at address 00000010. Execute of address 00000010", ""},
    {"int_divide_by_zero", 1, 1, "EDivByZero", "Division by zero", "TFault.Divide"},
    {"stack_overflow", 1, 1, "EStackOverflow", "Stack overflow", "TFault.Recurse"},
    {"illegal_instruction", 1, 1, "EExternalException", "External exception C000001D", "TFault.Undefined"},
    {"privileged_instruction", 1, 1, "EPrivilege", "Privileged instruction", "TFault.Halt"},
    {"out_of_memory", 1, 1, "std::bad_alloc", nullptr, "TFault.Exhaust"},
    {"handler_faults", 1, 1, "EConvertError", "'z' is not a valid integer value", "main"},
    {"ten_threads", 10, 10, "EConvertError", "'t' is not a valid integer value", "TFault.ThreadMain"},
    {"frozen_main_thread", 2, 2, "", "The application seems to be frozen.", "TFault.Freeze"},
    {"corrupt_file", 0, 0, nullptr, nullptr, nullptr},
    {"eabort", 0, 0, nullptr, nullptr, nullptr},
    {"restart_storm", 10, 10, "EConvertError", "x' is not a valid integer value", "main"},
    {"busy_handling", 2, 2, "EConvertError", "first|second", "TFault.First|TFault.Second"},
    {"trace_process", 0, 0, nullptr, nullptr, nullptr},
    {"damaged_settings", 0, 0, nullptr, nullptr, nullptr},
    {"no_pipe", 1, 1, "EConvertError", "'p' is not a valid integer value", "main"},
    {"missing_file", 1, 1, "EConvertError", "'m' is not a valid integer value", "main"},
    {"loader_lock", 1, 1, "EConvertError", "'l' is not a valid integer value", "TFault.FailHoldingTheLock"},
};

// Part `index` of "a|b|c" (the last part for the later ones).
std::string part_of(const char* alternatives, int index) {
    std::string text = alternatives;
    for (int i = 0; i < index; ++i) {
        const std::size_t bar = text.find('|');
        if (bar == std::string::npos) break;
        text = text.substr(bar + 1);
    }
    return text.substr(0, text.find('|'));
}

// "fault_av_read" of ".../fault_av_read.exe".
std::string kind_of(const std::string& program) {
    const std::size_t slash = program.find_last_of("\\/");
    std::string name = program.substr(slash == std::string::npos ? 0 : slash + 1);
    if (name.size() > 4) name.resize(name.size() - 4);
    return name.rfind("fault_", 0) == 0 ? name.substr(6) : name;
}

// The report file a fault program leaves: named after the program, beside it.
std::string report_file_of(const std::string& program) {
    return program.substr(0, program.find_last_of("\\/") + 1) + "fault_" + kind_of(program) + "-bugreport.txt";
}

std::string read_whole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The reports of a report file: each from its "date/time" line to the next one.
std::vector<std::string> reports_of(const std::string& file) {
    std::vector<std::string> reports;
    std::size_t at = file.rfind("date/time", 0) == 0 ? 0 : file.find("\r\ndate/time");
    while (at != std::string::npos) {
        if (file.compare(at, 2, "\r\n") == 0) at += 2;
        const std::size_t next = file.find("\r\ndate/time", at);
        reports.push_back(file.substr(at, next == std::string::npos ? std::string::npos : next + 2 - at));
        at = next;
    }
    return reports;
}

// The value of a header line, or null when the header has none.
std::optional<std::string> field_of(const std::string& report, const std::string& label) {
    const std::string header = report.substr(0, report.find("\r\n\r\n"));
    std::smatch m;
    if (!std::regex_search(header, m, std::regex("(^|\n)" + label + " *: ([^\r]*)"))) return std::nullopt;
    return m[2].str();
}

int failures = 0;

void check(bool ok, const std::string& what) {
    if (ok) return;
    std::printf("FAILED: %s\n", what.c_str());
    ++failures;
}

void check_report_file(const std::string& program, const ReportExpectation& e) {
    const std::string path = report_file_of(program);
    const std::string file = read_whole(path);
    const std::vector<std::string> reports = reports_of(file);
    std::printf("---- %s: %zu report(s), %zu bytes\n", path.c_str(), reports.size(), file.size());
    const int n = static_cast<int>(reports.size());
    check(n >= e.min_reports && n <= e.max_reports,
          std::to_string(n) + " reports in the report file, expected " + std::to_string(e.min_reports) +
              (e.max_reports != e.min_reports ? " to " + std::to_string(e.max_reports) : ""));
    if (e.max_reports == 0) {
        check(GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES, "no report file");
        return;
    }
    check(file.size() >= 4 && file.compare(file.size() - 4, 4, "\r\n\r\n") == 0, "the file ends with two line ends");
    // unit, line, offset, function: "004016a2 +0012 fault_av_read.exe AvRead  13  +1 TFault.ReadNull"
    const std::regex with_line("^[0-9a-f]{8} \\+[0-9a-f]+ \\S+ +\\S+ +[0-9]+ +\\+[0-9]+ +(.*)$");
    for (int i = 0; i < n; ++i) {
        const std::string& r = reports[static_cast<std::size_t>(i)];
        const std::string which = "report " + std::to_string(i + 1) + ": ";
        check(r.find("calculated soon") == std::string::npos, which + "whole, no placeholder left");
        check(field_of(r, "callstack crc").value_or("").size() == 31, which + "the three call-stack checksums");
        if (*e.exception_class)
            check(field_of(r, "exception class") == std::string(e.exception_class),
                  which + "exception class " + field_of(r, "exception class").value_or("(none)"));
        else
            check(!field_of(r, "exception class"), which + "a freeze has no exception class");
        const std::optional<std::string> message = field_of(r, "exception message");
        if (e.message)
            check(message && message->find(part_of(e.message, i)) != std::string::npos,
                  which + "exception message " + message.value_or("(none)"));
        else
            check(!message, which + "no exception message line: " + message.value_or(""));
        // The first section is the crashing thread's (the main thread's for a freeze).
        const std::size_t first = r.find("\r\n\r\n");
        const std::size_t end = first == std::string::npos ? std::string::npos : r.find("\r\n\r\n", first + 4);
        std::istringstream section(first == std::string::npos ? std::string() : r.substr(first + 4, end - first - 4));
        std::string title, top, named;
        std::getline(section, title);
        std::smatch m;
        for (std::string line; std::getline(section, line);) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (top.empty()) top = line;
            if (std::regex_match(line, m, with_line)) {
                named = m[1].str();
                break;
            }
        }
        const std::string want = part_of(e.top, i);
        if (want.empty())
            check(top.find(" ???") != std::string::npos, which + "the top line is an address in no module: " + top);
        else
            check(named.rfind(want, 0) == 0, which + "the first line with unit and line names " + want + ", not \"" +
                                                 named + "\" (top line: " + top + ")");
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: fault_runner PROGRAM SOURCE\n");
        return 2;
    }
    std::string program = argv[1];
    const Expectations expect = read_expectations(argv[2]);
    const std::string kind = kind_of(program);
    const auto report_expectation = std::find_if(std::begin(kReports), std::end(kReports),
                                                 [&](const ReportExpectation& r) { return kind == r.kind; });
    check(report_expectation != std::end(kReports), "the table says what " + kind + " leaves in its report file");
    if (has_mode(expect, "corrupt-copy")) program = corrupt_copy(program);
    DeleteFileA(report_file_of(program).c_str());
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
    // A restarted program holds the output on: read until every holder is gone. Other programs
    // start nothing that writes on, but under Wine a process started on their behalf (the
    // desktop, when none runs) may inherit the output and hold it open; what they wrote is read
    // within a moment of their end.
    const bool restarts = has_mode(expect, "restarts");
    const DWORD read_until = restarts || !ended ? deadline : std::min<DWORD>(deadline, GetTickCount() + 2000);
    while (reading && GetTickCount() < read_until) Sleep(50);
    const bool timed_out = !ended || (restarts && reading);
    if (timed_out) TerminateProcess(pi.hProcess, 99);
    reader.detach();  // it may wait on a pipe that a runaway process holds; the exit ends it

    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    const std::vector<std::string> lines = output.lines();
    std::printf("---- output of %s (exit code %lu, %lu ms)\n%s----\n", program.c_str(), code,
                GetTickCount() - (deadline - static_cast<DWORD>(expect.timeout) * 1000), output.text().c_str());

    check(ended, "the program ended within " + std::to_string(expect.timeout) + " s");
    if (restarts) check(!reading, "its output was closed within " + std::to_string(expect.timeout) + " s");
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
    if (report_expectation != std::end(kReports)) check_report_file(program, *report_expectation);
    if (has_mode(expect, "corrupt-copy")) DeleteFileA(program.c_str());
    std::printf("%s\n", failures ? "FAULT CHECK FAILED" : "fault check passed");
    std::fflush(stdout);
    ExitProcess(failures ? 1 : 0);
}
