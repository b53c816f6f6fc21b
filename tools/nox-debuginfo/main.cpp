// nox-debuginfo: the debug information of a linked executable, as the crash reporter reads it.
#include <cstdio>
#include <optional>
#include <string>

#include "../common/tool_io.h"
#include "crash/archive/crc32.h"
#include "crash/debuginfo/container.h"
#include "crash/debuginfo/packed_debug_stream.h"
#include "debug_info_builder.h"
#include "image_compare.h"
#include "map_text_writer.h"
#include "settings_patch.h"

namespace {

using namespace roadsum;

const char kUsage[] =
    "usage: nox-debuginfo build EXE [--map FILE] [--nox FILE] [--minimal FILE]\n"
    "                     [--settings STREAM --settings-out FILE]\n"
    "       nox-debuginfo compare FIRST SECOND [--debug-file FILE]\n"
    "\n"
    "build    reads the executable's symbols and its DWARF (line tables, functions, inlined\n"
    "         calls) and writes its debug information, each address with the unit and line of\n"
    "         its function's own source file: --map as a text map, --nox as the packed\n"
    "         container (the resource \"NOX\"/\"EXCEPT\" or a \".nox\" file beside the\n"
    "         executable), --minimal as a container of minimal information (no names, no\n"
    "         lines). With --settings, the compiled settings resource STREAM is written to\n"
    "         --settings-out with its MinDebugInfo text set to the identification of the full\n"
    "         container.\n"
    "compare  checks that SECOND holds the code and data of FIRST at the same addresses and a\n"
    "         correct header checksum (after a second link that added resources). With\n"
    "         --debug-file, SECOND must hold no DWARF and no symbol table but a\n"
    "         .gnu_debuglink to FILE, which must hold the symbols and the DWARF of the same\n"
    "         code.\n"
    "\n"
    "Exit status: 0 on success, 1 when an input is wrong, 2 on wrong usage.\n";

int usage_error(const std::string& problem) { return tool::usage_error("nox-debuginfo", problem, kUsage); }
int failure(const std::string& problem) { return tool::failure("nox-debuginfo", problem); }
using tool::read_file, tool::write_file;

struct BuildOptions {
    std::string exe, map, nox, minimal, settings, settings_out;
};

int build(const BuildOptions& o) {
    const auto file = read_file(o.exe);
    if (!file) return failure("cannot read " + o.exe);
    std::string error;
    const std::optional<BuiltDebugInfo> info = build_debug_info(*file, error);
    if (!info) return failure(o.exe + ": " + error);
    if (!info->warning.empty()) std::fprintf(stderr, "nox-debuginfo: %s: %s\n", o.exe.c_str(), info->warning.c_str());

    const std::string stream = write_packed_debug_stream(info->tables, false, info->layout.CodeStart);
    const std::uint32_t id1 = crc32(bytes_of(stream)), id2 = info->code_crc;
    const std::string container = write_debug_container(stream, id1, id2, 0);
    if (container.empty()) return failure("compression failed");
    const std::string identification = debug_identification(static_cast<std::uint32_t>(container.size()), id1, id2);

    if (!o.map.empty() && !write_file(o.map, write_map_text(*info))) return failure("cannot write " + o.map);
    if (!o.nox.empty() && !write_file(o.nox, container)) return failure("cannot write " + o.nox);
    if (!o.minimal.empty()) {
        const std::string minimal =
            write_debug_container(write_packed_debug_stream(info->tables, true, info->layout.CodeStart), id1, id2,
                                  kDebugContainerMinimal);
        if (minimal.empty() || !write_file(o.minimal, minimal)) return failure("cannot write " + o.minimal);
    }
    if (!o.settings.empty()) {
        auto settings = read_file(o.settings);
        if (!settings) return failure("cannot read " + o.settings);
        if (!set_min_debug_info(*settings, identification, error)) return failure(o.settings + ": " + error);
        if (!write_file(o.settings_out, *settings)) return failure("cannot write " + o.settings_out);
    }
    std::printf("%s: %zu units, %zu publics, %zu lines; identification %s\n", o.exe.c_str(),
                info->tables.Segments.size(), info->tables.Publics.size(), info->tables.Lines.size(),
                identification.c_str());
    return 0;
}

int compare(const std::string& first_path, const std::string& second_path, const std::string& debug_path) {
    const auto first = read_file(first_path), second = read_file(second_path);
    if (!first || !second) return failure("cannot read " + (first ? second_path : first_path));
    const std::string difference = compare_images(*first, *second);
    if (!difference.empty()) return failure(second_path + " does not match " + first_path + ": " + difference);
    if (debug_path.empty()) return 0;
    const auto debug = read_file(debug_path);
    if (!debug) return failure("cannot read " + debug_path);
    const std::string name = debug_path.substr(debug_path.find_last_of("/\\") + 1);
    const std::string link = check_debug_link(*second, name, *debug);
    if (!link.empty()) return failure(second_path + " and its debug file " + debug_path + ": " + link);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return usage_error("no command");
    const std::string command = argv[1];
    if (command == "compare") {
        const bool with_debug_file = argc == 6 && std::string(argv[4]) == "--debug-file";
        if (argc != 4 && !with_debug_file) return usage_error("compare takes two files and perhaps --debug-file FILE");
        return compare(argv[2], argv[3], with_debug_file ? argv[5] : "");
    }
    if (command != "build") return usage_error("unknown command " + command);
    BuildOptions o;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        std::string* target = arg == "--map" ? &o.map
                              : arg == "--nox" ? &o.nox
                              : arg == "--minimal" ? &o.minimal
                              : arg == "--settings" ? &o.settings
                              : arg == "--settings-out" ? &o.settings_out
                                                        : nullptr;
        if (target) {
            if (i + 1 >= argc) return usage_error(arg + " needs a file");
            *target = argv[++i];
        } else if (arg.rfind("--", 0) == 0 || !o.exe.empty()) {
            return usage_error("unexpected " + arg);
        } else {
            o.exe = arg;
        }
    }
    if (o.exe.empty()) return usage_error("no executable");
    if (o.settings.empty() != o.settings_out.empty()) return usage_error("--settings and --settings-out go together");
    return build(o);
}
