#include "sample_process.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

#include "crash/debuginfo/debug_files.h"
#include "crash/debuginfo/unmangle.h"
#include "crash/process/pe_exports.h"
#include "crash/process/pe_headers.h"
#include "crash/x86/function_analyser.h"

namespace roadsum::testing {

namespace {

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

const CallInfo* find_call(const TFunctionInfo& info, std::uint32_t callee) {
    for (const CallInfo& c : info.Calls)
        if (callee && c.Target == callee) return &c;
    return nullptr;
}

}  // namespace

std::string SampleExePath() { return std::string(ROADSUM_STACK_SAMPLE_DIR) + "/stack_sample.exe"; }

const std::string& SampleExeFile() {
    static const std::string file = read_file(SampleExePath());
    return file;
}

const std::string& SampleDllFile() {
    static const std::string file = read_file(std::string(ROADSUM_STACK_SAMPLE_DIR) + "/stack_sample_dll.dll");
    return file;
}

SampleProcess::SampleProcess(const SampleOptions& options) {
    const PeFileImage image(SampleExeFile(), options.exe_base);
    static const StdDebugFiles files;
    MapFileSources sources;
    sources.image = &image;
    sources.module_path = SampleExePath();
    sources.files = &files;
    exe_debug = std::make_shared<const TMapFile>(TMapFile::Create(sources));
    if (!exe_debug->Loaded) throw std::runtime_error("the sample has no debug information beside it");
    exe = space.MapImage(SampleExeFile(), options.exe_base, "C:\\Sample\\stack_sample.exe",
                         options.exe_debug_info ? exe_debug : nullptr);
    dll = space.MapImage(SampleDllFile(), options.dll_base, "C:\\Sample\\stack_sample_dll.dll");
    space.SetMainModule(exe);
}

std::uint32_t SampleProcess::Function(const std::string& name) const {
    for (const TMfPublic& p : exe_debug->Publics)
        if (Unmangle(p.Name).name == name) return p.Address;
    throw std::runtime_error("no function " + name + " in the sample");
}

std::uint32_t SampleProcess::Export(const std::string& name) const {
    const PeFileImage image(SampleDllFile(), dll);
    for (const PeExport& e : read_pe_exports(image, *image.headers()))
        if (e.name == name) return dll + e.rva;
    throw std::runtime_error("no export " + name + " in the sample library");
}

std::uint32_t SampleProcess::ReturnAddress(std::uint32_t caller, std::uint32_t callee) const {
    const TFunctionInfo info = analyse_function(caller, space.Memory(), nullptr);
    if (const CallInfo* c = find_call(info, callee)) return c->AfterAddress;
    if (!callee) {
        for (const IndirectCallInfo& c : info.IndirectCalls)
            if (!c.IsJump) return c.AfterAddress;
        for (const CallInfo& c : info.Calls)
            if (c.ThroughMemory) return c.AfterAddress;
    }
    throw std::runtime_error("no such call in the sample");
}

std::uint32_t SampleProcess::CallAddress(std::uint32_t caller, std::uint32_t callee) const {
    const TFunctionInfo info = analyse_function(caller, space.Memory(), nullptr);
    const std::uint32_t after = ReturnAddress(caller, callee);
    for (const CallInfo& c : info.Calls)
        if (c.AfterAddress == after) return c.CodeAddress;
    for (const IndirectCallInfo& c : info.IndirectCalls)
        if (c.AfterAddress == after) return c.CodeAddress;
    throw std::runtime_error("no such call in the sample");
}

std::int32_t SampleProcess::LineOf(std::uint32_t address) const { return exe_debug->FindLine(address).Line; }

}  // namespace roadsum::testing
