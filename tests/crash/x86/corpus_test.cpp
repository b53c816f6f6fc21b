// Decodes every instruction of the assembled corpus (the assembler gives the bytes) and checks
// length, mnemonic and, where the corpus names it, the operand text.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "crash/x86/decoder.h"
#include "crash/x86/format.h"

namespace roadsum::x86 {
namespace {

struct CorpusRecord {
    std::vector<std::uint8_t> bytes;
    std::string mnemonic, operands, source;
};

std::vector<CorpusRecord> load_corpus() {
    std::vector<CorpusRecord> records;
    std::ifstream in(ROADSUM_X86_CORPUS);
    std::string line;
    while (std::getline(in, line)) {
        std::vector<std::string> fields;
        std::stringstream s(line);
        std::string field;
        while (std::getline(s, field, '\t')) fields.push_back(field);
        if (fields.size() != 4) continue;
        CorpusRecord r;
        for (std::size_t i = 0; i + 1 < fields[0].size(); i += 2)
            r.bytes.push_back(static_cast<std::uint8_t>(std::stoul(fields[0].substr(i, 2), nullptr, 16)));
        r.mnemonic = fields[1];
        r.operands = fields[2];
        r.source = fields[3];
        records.push_back(std::move(r));
    }
    return records;
}

// The line split into mnemonic (prefix words dropped) and operand text.
void split_line(const std::string& line, std::string& mnemonic, std::string& operands) {
    std::string rest = line.size() > 11 ? line.substr(11) : "";
    for (const char* prefix : {"lock ", "rep ", "repne "})
        if (rest.rfind(prefix, 0) == 0) rest = rest.substr(std::string(prefix).size());
    const std::size_t space = rest.find(' ');
    mnemonic = rest.substr(0, space);
    operands = space == std::string::npos ? "" : rest.substr(rest.find_first_not_of(' ', space));
}

TEST(X86Corpus, EveryAssembledInstructionDecodesWithItsLengthAndName) {
    const std::vector<CorpusRecord> records = load_corpus();
    ASSERT_GT(records.size(), 700u) << "corpus not found or cut short: " << ROADSUM_X86_CORPUS;
    int failures = 0;
    for (const CorpusRecord& r : records) {
        Instruction ins;
        const bool ok = decode(r.bytes.data(), r.bytes.size(), 0x00401000, ins);
        std::string line, mnemonic, operands;
        if (ok) format_instruction(ins, line);
        split_line(line, mnemonic, operands);
        const bool good = ok && ins.length == r.bytes.size() && mnemonic == r.mnemonic &&
                          (r.operands.empty() || operands == r.operands);
        if (!good && ++failures <= 60)
            ADD_FAILURE() << r.source << "\n  bytes " << r.bytes.size() << ", decoded " << (ok ? int(ins.length) : -1)
                          << ": '" << line << "'\n  expected " << r.mnemonic << " " << r.operands;
    }
    EXPECT_EQ(failures, 0);
}

TEST(X86Corpus, TheWholeCorpusDecodesLinearlyOnTheAssemblersBoundaries) {
    const std::vector<CorpusRecord> records = load_corpus();
    std::vector<std::uint8_t> code;
    std::vector<std::size_t> starts;
    for (const CorpusRecord& r : records) {
        starts.push_back(code.size());
        code.insert(code.end(), r.bytes.begin(), r.bytes.end());
    }
    std::size_t offset = 0, next = 0;
    while (offset < code.size()) {
        ASSERT_LT(next, starts.size());
        ASSERT_EQ(offset, starts[next]) << records[next].source;
        Instruction ins;
        ASSERT_TRUE(decode(code.data() + offset, code.size() - offset, 0x00401000 + offset, ins)) << records[next].source;
        offset += ins.length;
        ++next;
    }
    EXPECT_EQ(next, records.size());
}

}  // namespace
}  // namespace roadsum::x86
