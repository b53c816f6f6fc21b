// Where our decoder and its rivals disagree on validity: decodes at every byte offset of the
// code sections (not only at instruction starts, so that data and the middles of instructions
// count too) with our decoder, Zydis and Capstone, and prints the positions that only we accept,
// the positions that both rivals accept and we refuse, and the lengths that differ, grouped by
// prefixes, opcode and mnemonic with an example each.
//
//   disasm_peers_validity [FILE...]     (by default the same code as disasm_peers_bench)
#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "code_sections.h"
#include "crash/x86/decoder.h"
#include "crash/x86/format.h"
#include "disasm_peers.h"

namespace {

using namespace roadsum;

bool is_prefix(std::uint8_t b) {
    switch (b) {
    case 0xF0: case 0xF2: case 0xF3: case 0x66: case 0x67:
    case 0x26: case 0x2E: case 0x36: case 0x3E: case 0x64: case 0x65:
        return true;
    default:
        return false;
    }
}

std::string hex(const std::uint8_t* bytes, std::size_t count) {
    std::string s;
    char b[4];
    for (std::size_t i = 0; i < count; ++i) {
        std::snprintf(b, sizeof b, i ? " %02x" : "%02x", bytes[i]);
        s += b;
    }
    return s;
}

// The prefixes and opcode bytes, then a name: what a group of positions has in common.
std::string group_key(const std::uint8_t* bytes, std::size_t size, const std::string& name) {
    std::size_t at = 0;
    while (at < size && at < 14 && is_prefix(bytes[at])) ++at;
    std::size_t opcode = at < size ? 1 : 0;
    if (opcode && bytes[at] == 0x0F && at + 1 < size) opcode = 2;
    if (opcode == 2 && (bytes[at + 1] == 0x38 || bytes[at + 1] == 0x3A) && at + 2 < size) opcode = 3;
    return hex(bytes, at + opcode) + "  " + name;
}

// Our mnemonic with its prefix words, from the formatted line.
std::string our_name(const x86::Instruction& ins) {
    std::string line;
    x86::format_instruction(ins, line);
    std::string rest = line.size() > 11 ? line.substr(11) : "", words;
    for (const std::string prefix : {"lock ", "rep ", "repne "})
        if (rest.rfind(prefix, 0) == 0) {
            words = prefix;
            rest.erase(0, prefix.size());
        }
    return words + rest.substr(0, rest.find(' '));
}

struct Group {
    std::size_t count = 0;
    std::string example;
};

struct Tally {
    std::size_t total = 0;
    std::map<std::string, Group> groups;

    void add(const std::string& key, const std::uint8_t* bytes, std::size_t size) {
        ++total;
        Group& g = groups[key];
        if (g.count++ == 0) g.example = hex(bytes, std::min<std::size_t>(size, 8));
    }
    void print(const char* title, std::size_t top) const {
        std::printf("\n%s: %zu positions in %zu groups\n", title, total, groups.size());
        std::vector<std::pair<std::string, Group>> sorted(groups.begin(), groups.end());
        std::sort(sorted.begin(), sorted.end(), [](const auto& a, const auto& b) { return a.second.count > b.second.count; });
        for (std::size_t i = 0; i < sorted.size() && i < top; ++i)
            std::printf("  %8zu  %-40s e.g. %s\n", sorted[i].second.count, sorted[i].first.c_str(),
                        sorted[i].second.example.c_str());
    }
};

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> paths(argv + 1, argv + argc);
    if (paths.empty()) {
        paths = {ROADSUM_DISASM_SAMPLE_O2, ROADSUM_DISASM_SAMPLE_O0};
        for (const char* dll : {"kernelbase", "user32", "ole32", "comctl32", "msvcrt", "oleaut32"})
            paths.push_back(std::string(ROADSUM_WINE_DLL_DIR) + "/" + dll + ".dll");
    }
    const bench::CodeSections code = bench::read_code_sections(paths);
    if (code.bytes == 0) {
        std::fprintf(stderr, "disasm_peers_validity: no code sections found\n");
        return 1;
    }
#if defined(ROADSUM_HAVE_ZYDIS) && defined(ROADSUM_HAVE_CAPSTONE)
    bench::ZydisPeer zydis;
    bench::CapstonePeer capstone(false);
    Tally ours_only, peers_only, zydis_only, capstone_only, lengths;
    std::size_t all = 0;
    for (const bench::CodeSection& section : code.sections) {
        const std::size_t size = section.bytes.size();
        for (std::size_t at = 0; at < size; ++at) {
            const std::uint8_t* bytes = section.bytes.data() + at;
            const std::size_t left = size - at;
            x86::Instruction ins;
            const std::size_t ours = x86::decode(bytes, left, section.address + static_cast<std::uint32_t>(at), ins)
                                         ? ins.length
                                         : 0;
            const std::size_t z = zydis.decode_instruction(bytes, left);
            const std::size_t c = capstone.decode(bytes, left, section.address + static_cast<std::uint32_t>(at));
            if (ours && z && c) {
                ++all;
                if (ours != z || ours != c) lengths.add(group_key(bytes, left, our_name(ins)), bytes, left);
            } else if (ours && !z && !c) {
                ours_only.add(group_key(bytes, left, our_name(ins)), bytes, left);
            } else if (!ours && z && c) {
                peers_only.add(group_key(bytes, left, zydis.mnemonic()), bytes, left);
            } else if (ours && z && !c) {
                capstone_only.add(group_key(bytes, left, our_name(ins)), bytes, left);
            } else if (ours && c && !z) {
                zydis_only.add(group_key(bytes, left, our_name(ins)), bytes, left);
            }
        }
    }
    std::printf("%.2f MB of code in %zu files; every byte offset decoded by ours, Zydis and Capstone\n",
                static_cast<double>(code.bytes) / 1e6, code.files);
    std::printf("accepted by all three: %zu\n", all);
    ours_only.print("accepted only by ours (both rivals refuse)", 40);
    peers_only.print("accepted by both rivals, refused by ours", 40);
    zydis_only.print("accepted by ours and Capstone, refused by Zydis", 15);
    capstone_only.print("accepted by ours and Zydis, refused by Capstone", 15);
    lengths.print("accepted by all three with different lengths", 15);
    return 0;
#else
    std::fprintf(stderr, "disasm_peers_validity: built without Zydis or Capstone\n");
    return 1;
#endif
}
