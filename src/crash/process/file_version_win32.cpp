#include "crash/process/file_version.h"

#include <windows.h>

#include <cstring>

namespace roadsum {

std::string file_version_text(const std::string& path) {
    if (path.empty()) return {};
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    if (!size) return {};
    std::string block(size, '\0');
    if (!GetFileVersionInfoA(path.c_str(), 0, size, block.data())) return {};
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length) && fixed &&
        length >= sizeof *fixed && (fixed->dwFileVersionMS || fixed->dwFileVersionLS))
        return fixed_file_version_text(fixed->dwFileVersionMS, fixed->dwFileVersionLS);
    WORD* translation = nullptr;
    if (!VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &length) ||
        !translation || length < 4)
        return {};
    const std::string query = file_version_string_query(translation[0], translation[1]);
    char* value = nullptr;
    if (!VerQueryValueA(block.data(), query.c_str(), reinterpret_cast<void**>(&value), &length) || !value) return {};
    return std::string(value, strnlen(value, length));
}

}  // namespace roadsum
