// nox-sysinfo: what a bug report made on this machine would say about it: the operating system,
// then the module, process and hardware sections as the report shows them.
#include <chrono>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "../common/tool_io.h"
#include "crash/common/text_lists.h"
#include "crash/sysinfo/os_info_win32.h"
#include "crash/sysinfo/section_plugins.h"

namespace {

const char kUsage[] =
    "usage: nox-sysinfo [--time] [os|modules|processes|hardware|all]\n"
    "\n"
    "Prints the operating system's name as the report header gives it, with its version, then\n"
    "the chosen sections as the report shows them (default: all).\n"
    "\n"
    "  os         the operating system only\n"
    "  modules    the modules loaded into this program\n"
    "  processes  the running processes\n"
    "  hardware   the installed hardware\n"
    "  all        the three sections\n"
    "  --time     write how long each section took to standard error\n"
    "  --help     show this text\n"
    "\n"
    "Exit status: 0 on success, 2 on wrong usage.\n";

// A section as the report writes it: the title with ":", then each line without trailing
// blanks, an empty line as "."; a section without text is left out.
void print_section(std::string_view title, std::string_view text) {
    text = roadsum::trim_blanks(text);
    if (text.empty()) return;
    std::printf("\n%.*s:\n", static_cast<int>(title.size()), title.data());
    while (!text.empty()) {
        const std::size_t end = text.find_first_of("\r\n");
        std::string_view line = text.substr(0, end);
        while (!line.empty() && line.back() == ' ') line.remove_suffix(1);
        std::printf("%.*s\n", line.empty() ? 1 : static_cast<int>(line.size()), line.empty() ? "." : line.data());
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + (text.substr(end, 2) == "\r\n" ? 2 : 1));
    }
}

}  // namespace

int main(int argc, char** argv) {
    bool timed = false;
    std::string choice = "all";
    bool chosen = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (arg == "--time") {
            timed = true;
        } else if (!chosen && (arg == "os" || arg == "modules" || arg == "processes" || arg == "hardware" || arg == "all")) {
            choice = arg;
            chosen = true;
        } else {
            return roadsum::tool::usage_error("nox-sysinfo", "unexpected argument \"" + arg + "\"", kUsage);
        }
    }

    const roadsum::TOSInfo os = roadsum::os_info();
    std::printf("%s, version %u.%u\n", roadsum::os_build_text(os).c_str(), os.Major, os.Minor);
    const auto gdi = roadsum::free_system_resources(roadsum::FreeResources::Gdi);
    const auto user = roadsum::free_system_resources(roadsum::FreeResources::User);
    if (gdi && user) std::printf("system resources: %d/%d (gdi/user)\n", *gdi, *user);

    double total_ms = 0;
    for (const roadsum::SectionPlugin& plugin : roadsum::section_plugins()) {
        if (choice != "all" && choice != plugin.Name) continue;
        const auto start = std::chrono::steady_clock::now();
        const std::string text = plugin.Text();
        const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
        total_ms += took.count();
        if (timed) std::fprintf(stderr, "%s: %.1f ms\n", plugin.Name, took.count());
        print_section(plugin.Name, text);
    }
    if (timed && choice == "all") std::fprintf(stderr, "all three: %.1f ms\n", total_ms);
    return std::fflush(stdout) == 0 ? 0 : 1;
}
