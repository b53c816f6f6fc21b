#include "crash/pages/page_resources_win32.h"

#include <windows.h>

#include "crash/pages/form_resource.h"

namespace roadsum {
namespace {

class ModuleFormResources final : public FormResources {
public:
    explicit ModuleFormResources(HMODULE module) : module_(module) {}
    std::optional<std::vector<std::uint8_t>> find(const std::string& name) const override {
        HRSRC info = FindResourceA(module_, name.c_str(), MAKEINTRESOURCEA(10));  // raw data
        if (!info) return std::nullopt;
        HGLOBAL loaded = LoadResource(module_, info);
        const auto* bytes = static_cast<const std::uint8_t*>(loaded ? LockResource(loaded) : nullptr);
        if (!bytes) return std::nullopt;
        return std::vector<std::uint8_t>(bytes, bytes + SizeofResource(module_, info));
    }
    bool has(const std::string& name) const { return FindResourceA(module_, name.c_str(), MAKEINTRESOURCEA(10)) != nullptr; }

private:
    HMODULE module_;
};

}  // namespace

void ShowResourceError(const std::string& text, const std::string& caption) {
    MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

std::shared_ptr<TNVAssistant> LoadAssistant(std::uintptr_t module, const std::string& title,
                                            const std::vector<std::string>& form_names, std::uintptr_t resource_module,
                                            ResourceErrorSink errors) {
    const ModuleFormResources own(reinterpret_cast<HMODULE>(module));
    const ModuleFormResources language(reinterpret_cast<HMODULE>(resource_module));
    const bool use_language =
        resource_module && resource_module != module && !form_names.empty() && language.has(form_resource_name(form_names[0]));
    return BuildAssistant(title, form_names, use_language ? language : own, errors ? errors : ShowResourceError);
}

}  // namespace roadsum
