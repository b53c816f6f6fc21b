// The "hardware" section: the installed devices grouped by class, classes and devices each in
// case-insensitive order, with the driver's version where a vendor other than the system's
// supplied it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "crash/sysinfo/registry_reader.h"

namespace roadsum {

struct THardwareDevice {
    std::string Name;
    std::string DriverKey;              // under the local machine root; may be empty
    std::optional<std::string> Driver;  // the driver's version text, when the list shows it
};

struct THardwareClass {
    std::string Name;
    std::vector<THardwareDevice> Devices;
};

// Adds devices class by class, keeping both levels sorted case-insensitively; a class that
// differs only in case joins the one already there.
class THardwareList {
public:
    void Add(const std::string& class_name, THardwareDevice device);
    const std::vector<THardwareClass>& Classes() const { return classes_; }

private:
    std::vector<THardwareClass> classes_;
};

// The properties of one device as the setup library reports them on the NT family.
struct DeviceProperties {
    std::string ClassName;     // property 7
    std::string HardwareId;    // property 1, the first of its list
    std::string ClassGuid;     // property 8
    std::string FriendlyName;  // property 12
    std::string Description;   // property 0
    std::string Driver;        // property 9
};

// The NT family: devices of the classes "LegacyDriver", "Unknown" and "Volume", software
// devices ("sw\...") and devices whose driver is hidden are left out; the class is shown by
// its registered name.
THardwareList hardware_from_devices(const std::vector<DeviceProperties>& devices, const RegistryReader& registry);

// The Windows 9x family: the configuration manager's list in the dynamic data, read backwards.
THardwareList hardware_from_config_manager(const RegistryReader& registry);

// The version text of a driver that did not come from the system's vendor; nothing when the
// driver key names no other provider.
std::optional<std::string> third_party_driver_version(const RegistryReader& registry, const std::string& driver_key);

// "+ class" lines, each followed by its "  - device" lines, with " (driver version)".
std::string format_hardware_list(const THardwareList& list);

}  // namespace roadsum
