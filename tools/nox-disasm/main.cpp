// nox-disasm: the crash reporter's disassembler on a 32-bit PE file.
//
//   nox-disasm [--lengths] FILE
//       every code section, linearly, one line per instruction (or "address length")
//   nox-disasm --function ADDR [--crash ADDR] [--limit N] [--format] FILE
//       one function as the bug report lists it
//   nox-disasm --verify-functions FILE
//       decodes from each function symbol and checks it lands on the next one
// The names of a stripped program come from the side file its .gnu_debuglink names.
//   nox-disasm --version
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>

#include "../common/tool_io.h"
#include "../common/tool_version.h"
#include "crash/common/file_names.h"
#include "crash/x86/format.h"
#include "crash/x86/function_listing.h"
#include "crash/x86/linear_listing.h"
#include "pe_image.h"
#include "verify_functions.h"

namespace {

using namespace roadsum;

int usage() {
    std::cerr << "usage: nox-disasm [--lengths] FILE\n"
                 "       nox-disasm --function ADDR [--crash ADDR] [--limit N] [--format] FILE\n"
                 "       nox-disasm --verify-functions FILE\n"
                 "       nox-disasm --version\n";
    return 2;
}

std::optional<std::uint32_t> parse_number(std::string text, int base) {
    if (text.rfind("0x", 0) == 0 || text.rfind("0X", 0) == 0) text = text.substr(2);
    if (!text.empty() && text[0] == '$') text = text.substr(1);
    if (text.empty() || text.size() > 10) return std::nullopt;
    char* end = nullptr;
    const unsigned long long v = std::strtoull(text.c_str(), &end, base);
    if (*end || v > 0xFFFFFFFFull) return std::nullopt;
    return static_cast<std::uint32_t>(v);
}

void list_linearly(const PeImage& image, const PeSymbols& symbols, bool lengths) {
    const PeMemoryReader reader(image);
    std::string out;
    for (const PeSectionHeader& s : image.sections()) {
        if (!s.is_code()) continue;
        const std::uint32_t begin = image.image_base() + s.virtual_address;
        disassemble_linear(reader, begin, begin + s.virtual_size, &symbols, !lengths,
                           [&](std::uint32_t address, std::uint32_t length, const std::string& text) {
                               out.clear();
                               if (lengths) {
                                   x86::append_hex(out, address, 8);
                                   out += ' ' + std::to_string(length);
                               } else {
                                   out = text;
                               }
                               out += '\n';
                               std::fwrite(out.data(), 1, out.size(), stdout);
                           });
    }
}

}  // namespace

int main(int argc, char** argv) {
    bool lengths = false, format = false, verify = false;
    std::optional<std::uint32_t> function, crash;
    int limit = 0;
    std::string path;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&]() -> std::string { return i + 1 < argc ? argv[++i] : ""; };
        if (arg == "--version") {
            return tool::print_version("nox-disasm");
        } else if (arg == "--lengths") {
            lengths = true;
        } else if (arg == "--format") {
            format = true;
        } else if (arg == "--verify-functions") {
            verify = true;
        } else if (arg == "--function" || arg == "--crash") {
            const auto v = parse_number(value(), 16);
            if (!v) return usage();
            (arg == "--function" ? function : crash) = v;
        } else if (arg == "--limit") {
            const auto v = parse_number(value(), 10);
            if (!v || *v > 100000) return usage();
            limit = static_cast<int>(*v);
        } else if (arg.rfind("--", 0) == 0 || !path.empty()) {
            return usage();
        } else {
            path = arg;
        }
    }
    if (path.empty() || (lengths && (function || verify))) return usage();

    std::string error, warning;
    const std::optional<PeImage> image = PeImage::load(path, error, warning);
    if (!image) {
        std::cerr << "nox-disasm: " << path << ": " << error << "\n";
        return 1;
    }
    if (!warning.empty()) std::cerr << "nox-disasm: " << path << ": " << warning << "\n";
    const PeSymbols symbols(*image, std::string(file_name_of(path)));

    if (verify) {
        const FunctionCheck check = verify_functions(*image);
        std::cout << check.report;
        return check.passed() ? 0 : 1;
    }
    if (function) {
        const PeMemoryReader reader(*image);
        ListingOptions options;
        options.crash_address = crash.value_or(*function);
        options.format = format;
        options.limit = limit;
        const std::string text = disassemble_function(*function, reader, &symbols, RuntimeRoutines{}, options);
        if (text.empty()) {
            std::cerr << "nox-disasm: no code at " << std::hex << *function << "\n";
            return 1;
        }
        std::cout << text << "\r\n";
        return 0;
    }
    list_linearly(*image, symbols, lengths);
    return 0;
}
