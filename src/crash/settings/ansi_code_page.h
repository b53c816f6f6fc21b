// Texts of the reporter are ANSI byte strings; wide and UTF-8 texts from resources are turned
// into the system's ANSI code page.
#pragma once

#include <string>
#include <string_view>

namespace roadsum {

class AnsiCodePage {
public:
    virtual ~AnsiCodePage() = default;
    // Characters the code page lacks become "?".
    virtual std::string from_utf16(std::u16string_view text) const = 0;
};

// The Western code page, used where there is no system to ask.
class Windows1252CodePage final : public AnsiCodePage {
public:
    std::string from_utf16(std::u16string_view text) const override;
};

// The code page of the system: the ANSI code page on Windows, Windows-1252 elsewhere.
const AnsiCodePage& system_ansi_code_page();

// Decodes UTF-8; a malformed sequence becomes U+FFFD and clears *valid when given.
std::u16string utf8_to_utf16(std::string_view text, bool* valid = nullptr);

}  // namespace roadsum
