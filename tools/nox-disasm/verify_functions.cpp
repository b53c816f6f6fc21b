#include "verify_functions.h"

#include <algorithm>
#include <vector>

#include "crash/x86/decoder.h"
#include "crash/x86/format.h"

namespace roadsum {

FunctionCheck verify_functions(const PeImage& image) {
    FunctionCheck check;
    const PeMemoryReader reader(image);
    std::string faults;
    int shown = 0;
    for (const PeSectionHeader& s : image.sections()) {
        if (!s.is_code()) continue;
        const std::uint32_t begin = image.image_base() + s.virtual_address, end = begin + s.virtual_size;
        std::vector<std::uint32_t> starts;
        std::vector<std::string> names;
        for (const PeName& n : image.names())
            if (n.function && n.address >= begin && n.address < end && (starts.empty() || starts.back() != n.address)) {
                starts.push_back(n.address);
                names.push_back(n.name);
            }
        for (std::size_t i = 0; i + 1 < starts.size(); ++i) {
            ++check.functions;
            std::uint32_t a = starts[i];
            const std::uint32_t next = starts[i + 1];
            bool bad = false;
            while (a < next) {
                x86::Instruction ins;
                if (!x86::decode_at(reader, a, ins)) {
                    bad = true;
                    ++a;
                    continue;
                }
                ++check.instructions;
                a = ins.end;
            }
            check.bytes += next - starts[i];
            if (bad) ++check.undecodable;
            if (a != next) ++check.misaligned;
            if ((bad || a != next) && shown++ < 20) {
                faults += "  ";
                x86::append_hex(faults, starts[i], 8);
                faults += " " + names[i] + (bad ? ": undecodable bytes" : "") +
                          (a != next ? ": ran past the next function" : "") + "\n";
            }
        }
    }
    check.report = "functions " + std::to_string(check.functions) + ", instructions " +
                   std::to_string(check.instructions) + ", bytes " + std::to_string(check.bytes) +
                   ", misaligned " + std::to_string(check.misaligned) + ", undecodable " +
                   std::to_string(check.undecodable) + "\n" + faults;
    return check;
}

}  // namespace roadsum
