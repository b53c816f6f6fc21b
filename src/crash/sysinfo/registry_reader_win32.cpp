#include "crash/sysinfo/registry_reader_win32.h"

#include <windows.h>

#include "crash/common/little_endian.h"
#include "crash/common/scoped_handle_win32.h"

namespace roadsum {

namespace {

struct RegistryKeyTraits {
    using Handle = HKEY;
    static Handle invalid() { return nullptr; }
    static bool close(Handle h) { return RegCloseKey(h) == ERROR_SUCCESS; }
};
using ScopedRegistryKey = ScopedHandle<RegistryKeyTraits>;

ScopedRegistryKey open_key(RegistryRoot root, std::string_view key) {
    HKEY parent = root == RegistryRoot::DynamicData ? HKEY_DYN_DATA : HKEY_LOCAL_MACHINE;
    HKEY opened = nullptr;
    if (RegOpenKeyExA(parent, std::string(key).c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return {};
    return ScopedRegistryKey(opened);
}

// The value's bytes, or nothing when it cannot be read.
std::optional<std::string> value_bytes(RegistryRoot root, std::string_view key, std::string_view value, DWORD& type) {
    ScopedRegistryKey opened = open_key(root, key);
    if (!opened.valid()) return std::nullopt;
    const std::string name(value);
    std::string data(256, '\0');
    for (;;) {
        DWORD size = static_cast<DWORD>(data.size());
        LONG status = RegQueryValueExA(opened.get(), name.c_str(), nullptr, &type,
                                       reinterpret_cast<BYTE*>(data.data()), &size);
        if (status == ERROR_MORE_DATA && size > data.size() && size <= 0x100000) {
            data.resize(size);
            continue;
        }
        if (status != ERROR_SUCCESS) return std::nullopt;
        data.resize(size);
        return data;
    }
}

}  // namespace

std::string Win32RegistryReader::text(RegistryRoot root, std::string_view key, std::string_view value) const {
    DWORD type = 0;
    std::optional<std::string> data = value_bytes(root, key, value, type);
    if (!data || (type != REG_SZ && type != REG_EXPAND_SZ && type != REG_MULTI_SZ)) return {};
    // Stored texts normally end with a zero, but need not; a list shows its first text.
    return data->substr(0, data->find('\0'));
}

std::optional<std::uint32_t> Win32RegistryReader::four_bytes(RegistryRoot root, std::string_view key,
                                                             std::string_view value) const {
    DWORD type = 0;
    std::optional<std::string> data = value_bytes(root, key, value, type);
    if (!data || data->size() != 4) return std::nullopt;
    return get_le32(reinterpret_cast<const std::uint8_t*>(data->data()));
}

std::vector<std::string> Win32RegistryReader::subkeys(RegistryRoot root, std::string_view key) const {
    std::vector<std::string> names;
    ScopedRegistryKey opened = open_key(root, key);
    if (!opened.valid()) return names;
    char name[MAX_PATH];
    for (DWORD i = 0;; ++i) {
        DWORD size = sizeof name;
        const LONG status = RegEnumKeyExA(opened.get(), i, name, &size, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS) break;
        if (status == ERROR_SUCCESS) names.emplace_back(name, size);
        else if (status != ERROR_MORE_DATA) break;
    }
    return names;
}

}  // namespace roadsum
