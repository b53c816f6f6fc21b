#include "crash/archive/zip_files.h"

#include <exception>

#include "crash/archive/zip_writer.h"

namespace roadsum {
namespace {

void append_utf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | c >> 6);
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | c >> 12);
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | c >> 18);
        out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

bool is_high_surrogate(char32_t c) { return c >= 0xD800 && c < 0xDC00; }
bool is_low_surrogate(char32_t c) { return c >= 0xDC00 && c < 0xE000; }

}  // namespace

std::string utf8_from_wide(std::wstring_view text) {
    constexpr char32_t kReplacement = 0xFFFD;
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = static_cast<char32_t>(text[i]);
        if constexpr (sizeof(wchar_t) == 2) c &= 0xFFFF;
        if (is_high_surrogate(c) && i + 1 < text.size() && is_low_surrogate(static_cast<char32_t>(text[i + 1]))) {
            c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<char32_t>(text[++i]) - 0xDC00);
        } else if (is_high_surrogate(c) || is_low_surrogate(c) || c > 0x10FFFF) {
            c = kReplacement;
        }
        append_utf8(out, c);
    }
    return out;
}

std::wstring_view name_without_path(std::wstring_view path) {
    const std::size_t cut = path.find_last_of(L"\\/:");
    return cut == std::wstring_view::npos ? path : path.substr(cut + 1);
}

bool zip_files(ZipFileSystem& fs, const std::wstring& archive, const std::vector<std::wstring>& sources,
               const std::vector<std::wstring>& stored_names) {
    std::unique_ptr<ByteSink> sink = fs.create(archive);
    if (!sink) return false;
    bool ok = true;
    try {
        ZipWriter writer(*sink);
        for (std::size_t i = 0; i < sources.size() && ok; ++i) {
            const std::wstring_view name = i < stored_names.size() && !stored_names[i].empty()
                                               ? std::wstring_view(stored_names[i])
                                               : name_without_path(sources[i]);
            std::optional<ZipSourceFile> file = fs.read(sources[i]);
            if (!file) continue;
            const ZipEntryInfo entry{utf8_from_wide(name), file->stamp, file->attributes};
            ok = writer.add(entry, file->bytes) != ZipWriter::Added::write_failed;
        }
        ok = ok && writer.entry_count() > 0 && writer.finish() && sink->flush();
    } catch (const std::exception&) {
        ok = false;  // out of memory for a name: nothing may escape the reporter
    }
    sink.reset();  // closed before it can be deleted
    if (!ok) fs.remove(archive);
    return ok;
}

}  // namespace roadsum
