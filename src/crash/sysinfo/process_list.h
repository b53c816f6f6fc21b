// The "processes" section: every running process with its id, session, GUI object counts,
// priority class and folder.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "crash/common/byte_view.h"
#include "crash/settings/ansi_code_page.h"

namespace roadsum {

struct TProcessEntry {
    std::string Name;  // file name
    std::string Path;  // folder without its trailing backslash; "" when unknown
    std::uint32_t Id = 0;
    std::uint32_t Session = 0;
    int PriorityClass = -1;  // -1 when unknown
    std::uint32_t GdiObjects = 0, UserObjects = 0;
};

struct TProcessList {
    std::vector<TProcessEntry> Entries;
    bool HasGuiResources = false;  // the system can count GUI objects: the GDI and USER columns
};

// A process as the system's process list names it.
struct RunningProcess {
    std::string Image;  // file name or full path; "" for the idle process
    std::uint32_t Id = 0;
    std::uint32_t Session = 0;
};

struct ProcessDetails {
    int PriorityClass = -1;
    std::uint32_t GdiObjects = 0, UserObjects = 0;
};

// What the process list needs from the system. Whatever the system lacks yields nothing.
class ProcessSystem {
public:
    virtual ~ProcessSystem() = default;
    virtual std::vector<RunningProcess> running() const = 0;
    // The full image path from the process itself; "" when it cannot be read.
    virtual std::string image_path(std::uint32_t id) const = 0;
    virtual std::string system_directory() const = 0;
    // Priority -1 and no objects when the process cannot be opened.
    virtual ProcessDetails details(std::uint32_t id) const = 0;
    virtual bool has_gui_resources() const = 0;
};

TProcessList collect_processes(const ProcessSystem& system);

// "normal", "idle", "high", "realtime", "below normal", "above normal"; "" for 0 and -1; "$"
// and hex digits for anything else.
std::string priority_class_text(int priority_class);

// A kernel-style image path made usable: "\SystemRoot\System32\" becomes the system directory
// and a leading "\??\" goes.
std::string process_image_path(std::string_view path, std::string_view system_directory);

// Columns: the id in hex zero-padded to the widest, the name, the session (only when some
// process has a non-zero one), the GDI and USER counts (only when the system counts them), the
// priority, each padded to its longest value + 1; then the folder.
std::string format_process_list(const TProcessList& list);

// The entries of the native process information (information class 5) in its 32-bit layout.
// buffer_address is where the buffer lay when the system filled it: the names point into it.
// A chain that leaves the buffer ends the list.
std::vector<RunningProcess> parse_process_information(ByteView buffer, std::uint32_t buffer_address,
                                                      const AnsiCodePage& code_page);

// Fills a buffer by query, which returns false when the buffer was too small: first with the
// size the system asked for (0: none), then with 128 KB doubling up to 4 MB. Nothing when no
// size was enough.
std::optional<std::vector<std::uint8_t>> query_with_growing_buffer(
    std::uint32_t asked_size, const std::function<bool(std::vector<std::uint8_t>&)>& query);

}  // namespace roadsum
