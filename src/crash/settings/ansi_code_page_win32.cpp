#include <windows.h>

#include "crash/settings/ansi_code_page.h"

namespace roadsum {

namespace {

class SystemCodePage final : public AnsiCodePage {
public:
    std::string from_utf16(std::u16string_view text) const override {
        if (text.empty()) return {};
        const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
        int length = static_cast<int>(text.size());
        int n = WideCharToMultiByte(CP_ACP, 0, wide, length, nullptr, 0, nullptr, nullptr);
        if (n <= 0) return Windows1252CodePage().from_utf16(text);
        std::string out(static_cast<std::size_t>(n), '\0');
        WideCharToMultiByte(CP_ACP, 0, wide, length, out.data(), n, nullptr, nullptr);
        return out;
    }
};

}  // namespace

const AnsiCodePage& system_ansi_code_page() {
    static const SystemCodePage code_page;
    return code_page;
}

}  // namespace roadsum
