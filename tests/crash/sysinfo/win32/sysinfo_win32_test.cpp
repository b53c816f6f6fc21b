// The system information of this process and machine under a real system: the operating
// system against the system's own version query, and the three list texts.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <regex>
#include <string>
#include <vector>

#include "crash/common/text_lists.h"
#include "crash/process/file_version.h"
#include "crash/sysinfo/os_info_win32.h"
#include "crash/sysinfo/section_plugins.h"
#include "crash/sysinfo/size_text.h"

namespace roadsum {
namespace {

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    for (std::string_view line : split_list(text, '\n')) {
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.emplace_back(line);
    }
    return lines;
}

std::string module_path(HMODULE module) {
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(module, path, sizeof path);
    return std::string(path, n);
}

std::string folder_of(const std::string& path) { return path.substr(0, path.rfind('\\') + 1); }
std::string name_of(const std::string& path) { return path.substr(path.rfind('\\') + 1); }

bool less_ignoring_case(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](unsigned char x, unsigned char y) { return std::tolower(x) < std::tolower(y); });
}

TEST(SysinfoWin32, OperatingSystemIsTheTrueVersion) {
    using GetVersionFunction = LONG(WINAPI*)(OSVERSIONINFOEXW*);
    const auto true_version = reinterpret_cast<GetVersionFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "RtlGetVersion")));
    ASSERT_NE(true_version, nullptr);
    OSVERSIONINFOEXW expected{};
    expected.dwOSVersionInfoSize = sizeof expected;
    ASSERT_EQ(true_version(&expected), 0);

    const TOSInfo os = os_info();
    EXPECT_TRUE(os.IsNT);
    EXPECT_EQ(os.Major, expected.dwMajorVersion);
    EXPECT_EQ(os.Minor, expected.dwMinorVersion);
    EXPECT_EQ(os.Build, expected.dwBuildNumber);
    EXPECT_EQ(os.ServicePack, expected.wServicePackMajor);
    EXPECT_EQ(os.Enum, os.EnumNT);
    EXPECT_TRUE(os.Name.starts_with("Windows ")) << os.Name;
    EXPECT_EQ(os.Name.find("NT New"), std::string::npos) << os.Name;
    // Only the Windows 9x family has free system resources to report.
    EXPECT_FALSE(free_system_resources(FreeResources::Gdi).has_value());
}

TEST(SysinfoWin32, FileVersionsFromTheFixedBlockOrTheStringTable) {
    const std::string exe = module_path(nullptr);
    EXPECT_EQ(file_version_text(exe), "4.3.2.1");
    EXPECT_EQ(file_version_text(folder_of(exe) + "sysinfo_string_version.dll"), "2.5 beta");
    EXPECT_EQ(file_version_text(folder_of(exe) + "no such file.dll"), "");
    EXPECT_EQ(file_version_text(""), "");
}

TEST(SysinfoWin32, SizeTextWithTheUsersDecimalSeparator) {
    char separator[8] = {};
    ASSERT_GT(GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, sizeof separator), 0);
    EXPECT_EQ(size_text(1536), std::string("1") + separator + "50 KB");
}

TEST(SysinfoWin32, ModuleListNamesThisProgramAndItsLibrariesWithVersions) {
    const std::string exe = module_path(nullptr);
    HMODULE library = LoadLibraryA((folder_of(exe) + "sysinfo_string_version.dll").c_str());
    ASSERT_NE(library, nullptr);
    const std::vector<std::string> lines = lines_of(modules_text());
    ASSERT_GE(lines.size(), 3u);

    // Each module's line: handle, name, version and folder, in address order.
    const auto line_of = [&](HMODULE module) -> std::string {
        char handle[12];
        std::snprintf(handle, sizeof handle, "%08x ", static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(module)));
        for (const std::string& line : lines)
            if (line.starts_with(handle)) return line;
        return {};
    };
    const auto check = [&](HMODULE module, const std::string& version_pattern) {
        const std::string path = module_path(module);
        const std::string line = line_of(module);
        SCOPED_TRACE(path + " in \"" + line + "\"");
        ASSERT_FALSE(line.empty());
        ASSERT_TRUE(line.ends_with(" " + folder_of(path)));
        const std::string name_and_version = line.substr(9, line.size() - 9 - folder_of(path).size());
        ASSERT_TRUE(equal_ignoring_case(name_and_version.substr(0, name_of(path).size() + 1), name_of(path) + " "));
        const std::string version(trim_blanks(name_and_version.substr(name_of(path).size())));
        EXPECT_TRUE(std::regex_match(version, std::regex(version_pattern))) << version;
    };
    check(GetModuleHandleA(nullptr), "4\\.3\\.2\\.1");
    check(GetModuleHandleA("ntdll.dll"), "\\d+\\.\\d+\\.\\d+\\.\\d+");
    check(GetModuleHandleA("kernel32.dll"), "\\d+\\.\\d+\\.\\d+\\.\\d+");
    check(library, "2\\.5 beta");

    std::vector<unsigned long> handles;
    for (const std::string& line : lines) handles.push_back(std::stoul(line.substr(0, 8), nullptr, 16));
    EXPECT_TRUE(std::is_sorted(handles.begin(), handles.end()));
    EXPECT_EQ(std::adjacent_find(handles.begin(), handles.end()), handles.end());
    FreeLibrary(library);
}

TEST(SysinfoWin32, ProcessListHasThisProcessWithItsFolder) {
    const std::vector<std::string> lines = lines_of(processes_text());
    ASSERT_GE(lines.size(), 2u);
    const std::size_t id_width = lines[0].find(' ');
    const std::string exe = module_path(nullptr);
    std::string own;
    for (const std::string& line : lines) {
        EXPECT_EQ(line.find(' '), id_width) << line;
        if (std::stoul(line.substr(0, id_width), nullptr, 16) == GetCurrentProcessId()) own = line;
    }
    ASSERT_FALSE(own.empty());
    const std::string folder = exe.substr(0, exe.rfind('\\'));
    EXPECT_TRUE(own.ends_with(" normal " + folder)) << own;
    EXPECT_TRUE(equal_ignoring_case(own.substr(id_width + 1, name_of(exe).size() + 1), name_of(exe) + " ")) << own;
}

TEST(SysinfoWin32, HardwareListIsWellFormed) {
    const std::string text = hardware_text();
    if (text.empty()) GTEST_SKIP() << "the system reports no hardware";
    const std::regex class_line("\\+ (\\S.*)"), device_line("  - (.*?)( \\(driver [^()]*\\))?");
    std::vector<std::string> classes;
    std::vector<std::string> devices;
    const auto end_class = [&] {
        EXPECT_FALSE(devices.empty()) << classes.back();
        EXPECT_TRUE(std::is_sorted(devices.begin(), devices.end(), less_ignoring_case)) << classes.back();
        devices.clear();
    };
    for (const std::string& line : lines_of(text)) {
        std::smatch m;
        if (std::regex_match(line, m, class_line)) {
            if (!classes.empty()) end_class();
            classes.push_back(m[1]);
        } else {
            ASSERT_TRUE(std::regex_match(line, m, device_line)) << line;
            ASSERT_FALSE(classes.empty()) << "a device before any class: " << line;
            devices.push_back(m[1]);
        }
    }
    end_class();
    EXPECT_TRUE(std::is_sorted(classes.begin(), classes.end(), less_ignoring_case));
    EXPECT_EQ(std::adjacent_find(classes.begin(), classes.end(),
                                 [](const std::string& a, const std::string& b) { return equal_ignoring_case(a, b); }),
              classes.end());
}

}  // namespace
}  // namespace roadsum
