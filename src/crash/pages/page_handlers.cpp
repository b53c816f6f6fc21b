#include "crash/pages/page_handlers.h"

#include <cstdint>
#include <mutex>

#include "crash/common/text_lists.h"
#include "crash/debuginfo/map_file.h"
#include "crash/process/memory_reader.h"
#include "crash/x86/function_analyser.h"
#include "crash/x86/map_file_symbols.h"

namespace roadsum {
namespace {

struct BuiltIns {
    std::mutex mutex;
    TNVFormHandler contact = nullptr;
    TNVFormHandler screenshot = nullptr;
};

BuiltIns& built_ins() {
    static BuiltIns b;
    return b;
}

}  // namespace

void RegisterBuiltInPageHandler(std::string_view name, TNVFormHandler handler) {
    BuiltIns& b = built_ins();
    std::lock_guard lock(b.mutex);
    if (equal_ignoring_case(name, kContactFormHandler)) b.contact = handler;
    if (equal_ignoring_case(name, kScreenshotFormHandler)) b.screenshot = handler;
}

TNVFormHandler ResolvePageHandler(std::string_view text) {
    if (text.empty()) return nullptr;
    BuiltIns& b = built_ins();
    {
        std::lock_guard lock(b.mutex);
        if (equal_ignoring_case(text, kContactFormHandler)) return b.contact;
        if (equal_ignoring_case(text, kScreenshotFormHandler)) return b.screenshot;
    }
    const std::optional<std::uint32_t> address = find_page_handler_in_program(text);
    return address ? reinterpret_cast<TNVFormHandler>(static_cast<std::uintptr_t>(*address)) : nullptr;
}

std::optional<std::uint32_t> find_page_handler(const TMapFile& map, const MemoryReader& memory, std::string_view text) {
    const std::size_t dot = text.find('.');
    if (dot == std::string_view::npos || dot == 0 || dot + 1 == text.size() || !map.Loaded) return std::nullopt;
    const std::optional<TMfPublic> found = map.FindPublicByName(text.substr(0, dot), text.substr(dot + 1));
    if (!found || !found->IsCode) return std::nullopt;
    // The analyser keeps to the module's code through its symbols; they borrow the map.
    const MapFileSymbols symbols(std::shared_ptr<const TMapFile>(std::shared_ptr<const TMapFile>{}, &map), true);
    const TFunctionInfo info = analyse_function(found->Address, memory, &symbols);
    if (!info.Valid || info.CodeLength < 3) return std::nullopt;
    std::uint8_t end[3];
    if (!memory.try_read(info.CodeStart + info.CodeLength - 3, end, 3)) return std::nullopt;
    if (end[0] != 0xC2 || end[1] != 0x04 || end[2] != 0x00) return std::nullopt;
    return found->Address;
}

}  // namespace roadsum
