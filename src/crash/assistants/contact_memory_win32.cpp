// The contact page's remembered name and address in the current user's registry.
#include "crash/assistants/contact_memory_win32.h"

#include <windows.h>

#include <algorithm>

namespace roadsum {
namespace {

constexpr const char* kKey = "Software\\Pelwin\\ContactForm";

std::optional<std::string> read_value(const char* name) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return std::nullopt;
    DWORD type = 0, size = 0;
    std::optional<std::string> value;
    if (RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) == ERROR_SUCCESS && type == REG_SZ) {
        std::string text(size, '\0');
        if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &size) == ERROR_SUCCESS) {
            text.resize(std::min<std::size_t>(size, text.size()));
            while (!text.empty() && text.back() == '\0') text.pop_back();
            value = text;
        }
    }
    RegCloseKey(key);
    return value;
}

}  // namespace

std::optional<std::string> RegistryContactMemory::Name() { return read_value("RememberName"); }
std::optional<std::string> RegistryContactMemory::Email() { return read_value("RememberEmail"); }

void RegistryContactMemory::Remember(const std::string& name, const std::string& email) {
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return;
    RegSetValueExA(key, "RememberName", 0, REG_SZ, reinterpret_cast<const BYTE*>(name.c_str()),
                   static_cast<DWORD>(name.size() + 1));
    RegSetValueExA(key, "RememberEmail", 0, REG_SZ, reinterpret_cast<const BYTE*>(email.c_str()),
                   static_cast<DWORD>(email.size() + 1));
    RegCloseKey(key);
}

void RegistryContactMemory::Forget() {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
    RegDeleteValueA(key, "RememberName");
    RegDeleteValueA(key, "RememberEmail");
    RegCloseKey(key);
}

}  // namespace roadsum
