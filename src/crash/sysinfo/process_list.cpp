#include "crash/sysinfo/process_list.h"

#include <algorithm>
#include <cstdio>

#include "crash/common/little_endian.h"
#include "crash/common/text_lists.h"
#include "crash/sysinfo/list_text.h"

namespace roadsum {

TProcessList collect_processes(const ProcessSystem& system) {
    TProcessList list;
    list.HasGuiResources = system.has_gui_resources();
    list.Entries.reserve(64);
    std::optional<std::string> system_directory;
    for (const RunningProcess& process : system.running()) {
        std::string image = process.Image.empty() ? "Idle" : process.Image;
        if (std::string path = system.image_path(process.Id); !path.empty()) {
            if (!system_directory) system_directory = system.system_directory();
            image = process_image_path(path, *system_directory);
        }
        TProcessEntry& entry = list.Entries.emplace_back();
        split_at_last_backslash(image, entry.Path, entry.Name, false);
        entry.Id = process.Id;
        entry.Session = process.Session;
        const ProcessDetails details = system.details(process.Id);
        entry.PriorityClass = details.PriorityClass;
        entry.GdiObjects = details.GdiObjects;
        entry.UserObjects = details.UserObjects;
    }
    return list;
}

std::string priority_class_text(int priority_class) {
    switch (priority_class) {
    case 0: case -1: return "";
    case 0x20: return "normal";
    case 0x40: return "idle";
    case 0x80: return "high";
    case 0x100: return "realtime";
    case 0x4000: return "below normal";
    case 0x8000: return "above normal";
    default: {
        char text[12];
        std::snprintf(text, sizeof text, "$%X", static_cast<unsigned>(priority_class));
        return text;
    }
    }
}

std::string process_image_path(std::string_view path, std::string_view system_directory) {
    constexpr std::string_view kSystemRoot = "\\SystemRoot\\System32\\";
    constexpr std::string_view kDosDevices = "\\??\\";
    if (starts_with_ignoring_case(path, kSystemRoot)) {
        std::string result(system_directory);
        if (!result.empty() && result.back() != '\\') result += '\\';
        return result.append(path.substr(kSystemRoot.size()));
    }
    if (path.starts_with(kDosDevices)) path.remove_prefix(kDosDevices.size());
    return std::string(path);
}

std::string format_process_list(const TProcessList& list) {
    const auto& entries = list.Entries;
    const bool sessions = std::any_of(entries.begin(), entries.end(), [](const TProcessEntry& e) { return e.Session; });
    int id_digits = 1;
    for (const TProcessEntry& e : entries)
        id_digits = std::max(id_digits, std::snprintf(nullptr, 0, "%X", static_cast<unsigned>(e.Id)));
    std::vector<TextRow> rows;
    rows.reserve(entries.size());
    for (const TProcessEntry& e : entries) {
        char id[12];
        std::snprintf(id, sizeof id, "%0*X", id_digits, static_cast<unsigned>(e.Id));
        TextRow& row = rows.emplace_back(TextRow{id, e.Name});
        if (sessions) row.push_back(std::to_string(e.Session));
        if (list.HasGuiResources) {
            row.push_back(std::to_string(e.GdiObjects));
            row.push_back(std::to_string(e.UserObjects));
        }
        row.push_back(priority_class_text(e.PriorityClass));
        row.push_back(e.Path);
    }
    return format_columns(rows);
}

namespace {

// The fields of one entry that the list reads, in the 32-bit layout.
constexpr std::size_t kNextEntryOffset = 0x00;
constexpr std::size_t kImageNameLength = 0x38;  // in bytes
constexpr std::size_t kImageNameBuffer = 0x3C;
constexpr std::size_t kProcessId = 0x44;
constexpr std::size_t kSessionId = 0x50;
constexpr std::size_t kEntryFields = 0x54;

}  // namespace

std::vector<RunningProcess> parse_process_information(ByteView buffer, std::uint32_t buffer_address,
                                                      const AnsiCodePage& code_page) {
    std::vector<RunningProcess> processes;
    processes.reserve(64);
    std::size_t offset = 0;
    while (buffer.size() >= kEntryFields && offset <= buffer.size() - kEntryFields) {
        const std::uint8_t* entry = buffer.data() + offset;
        RunningProcess& process = processes.emplace_back();
        process.Id = get_le32(entry + kProcessId);
        process.Session = get_le32(entry + kSessionId);
        const std::size_t name_bytes = get_le16(entry + kImageNameLength) & ~1u;
        const std::uint32_t name_address = get_le32(entry + kImageNameBuffer);
        const std::size_t name_offset = name_address - buffer_address;  // wraps when below the buffer
        if (name_address && name_bytes && name_offset <= buffer.size() && name_bytes <= buffer.size() - name_offset) {
            std::u16string name(name_bytes / 2, u'\0');
            for (std::size_t i = 0; i < name.size(); ++i)
                name[i] = static_cast<char16_t>(get_le16(buffer.data() + name_offset + 2 * i));
            process.Image = code_page.from_utf16(name);
        }
        const std::uint32_t next = get_le32(entry + kNextEntryOffset);
        if (next == 0 || next > buffer.size() - offset) break;
        offset += next;
    }
    return processes;
}

std::optional<std::vector<std::uint8_t>> query_with_growing_buffer(
    std::uint32_t asked_size, const std::function<bool(std::vector<std::uint8_t>&)>& query) {
    constexpr std::size_t kFirst = 0x20000, kLast = 0x400000;
    // Processes started between asking and querying need a little more room.
    constexpr std::size_t kSlack = 0x4000;
    constexpr std::size_t kBelievable = 0x4000000;
    std::vector<std::uint8_t> buffer;
    std::size_t tried = 0;
    if (asked_size > 0 && asked_size <= kBelievable) {
        buffer.assign(asked_size + kSlack, 0);
        if (query(buffer)) return buffer;
        tried = buffer.size();
    }
    for (std::size_t size = kFirst; size <= kLast; size *= 2) {
        if (size <= tried) continue;
        buffer.assign(size, 0);
        if (query(buffer)) return buffer;
    }
    return std::nullopt;
}

}  // namespace roadsum
