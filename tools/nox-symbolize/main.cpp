// nox-symbolize: addresses of a module resolved to unit, line and function through its debug
// information, for reports made with minimal debug information.
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "../common/tool_io.h"
#include "../common/tool_version.h"
#include "crash/debuginfo/map_file.h"
#include "crash/debuginfo/map_text_parser.h"
#include "crash/process/pe_headers.h"
#include "crash/settings/settings_stream.h"

namespace {

using namespace roadsum;

const char kUsage[] =
    "usage: nox-symbolize [--relative] [--base HEX] [--code-start HEX] FILE [ADDRESS...]\n"
    "       nox-symbolize --version\n"
    "\n"
    "FILE is an executable or library (its debug information is found as the crash reporter\n"
    "finds it: its \"NOX\" resource, TD32 data, or a .map, .nox or .jdbg file beside it), or\n"
    "one such .map, .nox, .jdbg or .tds file itself. ADDRESSes are hexadecimal (\"0x\" or \"$\"\n"
    "may lead); without any on the command line they are read from standard input.\n"
    "\n"
    "  --relative        addresses count from the module's load address\n"
    "  --base HEX        where the module was loaded (default: the address its header asks\n"
    "                    for; for a side file without its module, the code start - 0x1000)\n"
    "  --code-start HEX  where the module's code starts, for a side file whose module is not\n"
    "                    beside it (default: a .map's own .text address, else 00401000)\n"
    "\n"
    "Output: one line per address: the address as given (8 hex digits), the unit, the line\n"
    "(0 when none) and the function, separated by tabs.\n"
    "Exit status: 0 on success, 1 when the debug information or an address is wrong, 2 on\n"
    "wrong usage.\n";

constexpr std::uint32_t kUsualCodeStart = 0x00401000, kUsualCodeOffset = 0x1000;

int usage_error(const std::string& problem) { return tool::usage_error("nox-symbolize", problem, kUsage); }

std::optional<std::uint32_t> parse_hex(std::string text) {
    if (text.rfind("0x", 0) == 0 || text.rfind("0X", 0) == 0) text.erase(0, 2);
    else if (!text.empty() && text[0] == '$') text.erase(0, 1);
    if (text.empty() || text.size() > 8 || text.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
        return std::nullopt;
    return static_cast<std::uint32_t>(std::strtoul(text.c_str(), nullptr, 16));
}

std::string lower_extension(const std::string& path) {
    const std::size_t slash = path.find_last_of("\\/"), dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
    std::string ext = path.substr(dot);
    for (char& c : ext)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    return ext;
}

struct Options {
    bool relative = false;
    std::optional<std::uint32_t> base, code_start;
    std::string file;
    std::vector<std::string> addresses;
};

struct Loaded {
    TMapFile map;
    std::uint32_t base = 0;
};

// The module beside a side file, for where its code lies.
std::optional<PeFileImage> module_beside(const std::string& side_file, const DebugFileAccess& files,
                                         std::optional<std::uint32_t> base) {
    for (const char* ext : {".exe", ".dll"}) {
        if (auto bytes = files.read_all(with_extension(side_file, ext))) {
            PeFileImage image(std::move(*bytes), base.value_or(0));
            if (image.valid()) return image;
        }
    }
    return std::nullopt;
}

Loaded load(const Options& o, const DebugFileAccess& files) {
    Loaded out;
    MapFileSources sources;
    sources.files = &files;
    sources.module_path = o.file;
    sources.min_debug_info = min_debug_info_of;
    const std::string ext = lower_extension(o.file);
    const bool side_file = ext == ".map" || ext == ".nox" || ext == ".jdbg" || ext == ".tds";
    std::optional<PeFileImage> image;
    if (side_file) {
        sources.side_file = o.file;
        image = module_beside(o.file, files, o.base);
    } else if (auto bytes = files.read_all(o.file)) {
        image.emplace(std::move(*bytes), o.base.value_or(0));
        if (!image->valid()) image.reset();
    }
    if (image && !o.code_start) {
        sources.image = &*image;
        out.base = image->base();
    } else {
        std::uint32_t start = kUsualCodeStart;
        if (ext == ".map")
            if (auto text = files.read_all(o.file))
                if (auto at = map_text_code_address(*text)) start = *at;
        sources.code_start = o.code_start.value_or(start);
        out.base = o.base.value_or(sources.code_start - kUsualCodeOffset);
    }
    out.map = TMapFile::Create(sources);
    return out;
}

void print(const TMapFile& map, std::uint32_t shown, std::uint32_t address) {
    MapFileInfos infos;
    map.GetMapFileInfos(address, infos);
    std::printf("%08x\t%s\t%d\t%s\n", shown, infos.UnitName.c_str(), infos.Line, infos.PublicName.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--relative") {
            o.relative = true;
        } else if (arg == "--base" || arg == "--code-start") {
            const auto v = i + 1 < argc ? parse_hex(argv[++i]) : std::nullopt;
            if (!v) return usage_error(arg + " needs a hexadecimal address");
            (arg == "--base" ? o.base : o.code_start) = v;
        } else if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (arg == "--version") {
            return tool::print_version("nox-symbolize");
        } else if (arg.rfind("--", 0) == 0) {
            return usage_error("unknown option " + arg);
        } else if (o.file.empty()) {
            o.file = arg;
        } else {
            o.addresses.push_back(arg);
        }
    }
    if (o.file.empty()) return usage_error("no file");

    const StdDebugFiles files;
    const Loaded loaded = load(o, files);
    if (!loaded.map.Loaded) {
        std::fprintf(stderr, "nox-symbolize: no debug information found for %s\n", o.file.c_str());
        return 1;
    }
    if (o.addresses.empty())
        for (std::string word; std::cin >> word;) o.addresses.push_back(word);
    int status = 0;
    for (const std::string& text : o.addresses) {
        const auto address = parse_hex(text);
        if (!address) {
            std::fprintf(stderr, "nox-symbolize: not an address: %s\n", text.c_str());
            status = 1;
            continue;
        }
        print(loaded.map, *address, o.relative ? loaded.base + *address : *address);
    }
    return status;
}
