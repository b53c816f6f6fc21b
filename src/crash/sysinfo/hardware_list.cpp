#include "crash/sysinfo/hardware_list.h"

#include <algorithm>
#include <cctype>
#include <initializer_list>
#include <string_view>

#include "crash/common/text_lists.h"
#include "crash/sysinfo/list_text.h"

namespace roadsum {

namespace {

bool less_ignoring_case(std::string_view a, std::string_view b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](unsigned char x, unsigned char y) {
        return std::tolower(x) < std::tolower(y);
    });
}

bool contains_ignoring_case(std::string_view text, std::string_view part) {
    for (std::size_t i = 0; i + part.size() <= text.size(); ++i)
        if (equal_ignoring_case(text.substr(i, part.size()), part)) return true;
    return false;
}

bool is_one_of(std::string_view name, std::initializer_list<std::string_view> names) {
    return std::any_of(names.begin(), names.end(), [&](std::string_view n) { return equal_ignoring_case(name, n); });
}

constexpr std::string_view kNtClassKey = "System\\CurrentControlSet\\Control\\Class\\";
constexpr std::string_view kWin9xClassKey = "System\\CurrentControlSet\\Services\\Class\\";
constexpr std::uint32_t kHiddenDevice = 0x8;
constexpr std::uint32_t kDisabledDevice = 22;

// The class as the registry names it for people, else its key name.
std::string class_display_name(const RegistryReader& registry, std::string_view class_key, const std::string& name) {
    std::string shown = registry.text(RegistryRoot::LocalMachine, class_key, "");
    return shown.empty() ? name : shown;
}

THardwareDevice make_device(const RegistryReader& registry, std::string name, std::string driver_key) {
    THardwareDevice device{std::move(name), std::move(driver_key), std::nullopt};
    device.Driver = third_party_driver_version(registry, device.DriverKey);
    return device;
}

}  // namespace

void THardwareList::Add(const std::string& class_name, THardwareDevice device) {
    auto cls = std::lower_bound(classes_.begin(), classes_.end(), class_name,
                                [](const THardwareClass& c, const std::string& n) { return less_ignoring_case(c.Name, n); });
    if (cls == classes_.end() || !equal_ignoring_case(cls->Name, class_name))
        cls = classes_.insert(cls, THardwareClass{class_name, {}});
    auto& devices = cls->Devices;
    auto at = std::upper_bound(devices.begin(), devices.end(), device.Name,
                               [](const std::string& n, const THardwareDevice& d) { return less_ignoring_case(n, d.Name); });
    devices.insert(at, std::move(device));
}

THardwareList hardware_from_devices(const std::vector<DeviceProperties>& devices, const RegistryReader& registry) {
    THardwareList list;
    for (const DeviceProperties& d : devices) {
        if (is_one_of(d.ClassName, {"LegacyDriver", "Unknown", "Volume"}) || starts_with_ignoring_case(d.HardwareId, "sw\\"))
            continue;
        std::string class_name = d.ClassGuid.empty()
                                     ? d.ClassName
                                     : class_display_name(registry, std::string(kNtClassKey) + d.ClassGuid, d.ClassName);
        // A device the system could not place in any class is as unknown as the "Unknown" class.
        if (class_name.empty()) continue;
        std::string driver_key = d.Driver.empty() ? std::string() : std::string(kNtClassKey) + d.Driver;
        if (!driver_key.empty()) {
            auto characteristics = registry.four_bytes(RegistryRoot::LocalMachine, driver_key, "Characteristics");
            if (characteristics && (*characteristics & kHiddenDevice)) continue;
        }
        list.Add(class_name, make_device(registry, d.FriendlyName.empty() ? d.Description : d.FriendlyName,
                                         std::move(driver_key)));
    }
    return list;
}

THardwareList hardware_from_config_manager(const RegistryReader& registry) {
    constexpr std::string_view kConfigManager = "Config Manager\\Enum\\";
    THardwareList list;
    const std::vector<std::string> entries = registry.subkeys(RegistryRoot::DynamicData, "Config Manager\\Enum");
    for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) {
        const std::string status_key = std::string(kConfigManager) + *entry;
        const std::string hardware_key = registry.text(RegistryRoot::DynamicData, status_key, "HardWareKey");
        const auto problem = registry.four_bytes(RegistryRoot::DynamicData, status_key, "Problem");
        if (hardware_key.empty() || (problem && *problem == kDisabledDevice) ||
            contains_ignoring_case(hardware_key, "\\SWENUM\\"))
            continue;
        const std::string device_key = "Enum\\" + hardware_key;
        const std::string class_key = registry.text(RegistryRoot::LocalMachine, device_key, "Class");
        if (class_key.empty() || is_one_of(class_key, {"NetClient", "NetService", "NetTrans"})) continue;
        std::string name = registry.text(RegistryRoot::LocalMachine, device_key, "DeviceDesc");
        const std::string drive = registry.text(RegistryRoot::LocalMachine, device_key, "CurrentDriveLetterAssignment");
        if (!drive.empty()) name = "[" + drive + ":] " + name;
        const std::string driver = registry.text(RegistryRoot::LocalMachine, device_key, "Driver");
        list.Add(class_display_name(registry, std::string(kWin9xClassKey) + class_key, class_key),
                 make_device(registry, std::move(name), driver.empty() ? std::string() : std::string(kWin9xClassKey) + driver));
    }
    return list;
}

std::optional<std::string> third_party_driver_version(const RegistryReader& registry, const std::string& driver_key) {
    if (driver_key.empty()) return std::nullopt;
    const std::string provider = registry.text(RegistryRoot::LocalMachine, driver_key, "ProviderName");
    if (provider.empty() || provider.front() == '(' || equal_ignoring_case(provider, "Microsoft")) return std::nullopt;
    std::string version = registry.text(RegistryRoot::LocalMachine, driver_key, "DriverVersion");
    if (version.empty()) version = registry.text(RegistryRoot::LocalMachine, driver_key, "DriverDate");
    return std::string(trim_blanks(version));
}

std::string format_hardware_list(const THardwareList& list) {
    std::vector<std::string> lines;
    for (const THardwareClass& cls : list.Classes()) {
        lines.push_back("+ " + cls.Name);
        for (const THardwareDevice& device : cls.Devices) {
            std::string& line = lines.emplace_back("  - " + device.Name);
            if (device.Driver) line += " (driver " + *device.Driver + ")";
        }
    }
    return join_lines(lines);
}

}  // namespace roadsum
