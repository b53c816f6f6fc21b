// The hardware list: which devices show, under which class, in which order, with which driver
// versions, on both families.
#include <gtest/gtest.h>

#include <map>
#include <tuple>

#include "crash/common/little_endian.h"
#include "crash/sysinfo/hardware_list.h"

namespace roadsum {
namespace {

// A registry of made-up keys; names compare as given.
class FakeRegistry final : public RegistryReader {
public:
    using Key = std::tuple<RegistryRoot, std::string, std::string>;
    std::map<Key, std::string> values;
    std::map<std::string, std::vector<std::string>> children;  // dynamic data only

    void set(std::string key, std::string value, std::string data, RegistryRoot root = RegistryRoot::LocalMachine) {
        values[{root, std::move(key), std::move(value)}] = std::move(data);
    }
    std::string text(RegistryRoot root, std::string_view key, std::string_view value) const override {
        auto it = values.find({root, std::string(key), std::string(value)});
        return it == values.end() ? std::string() : it->second;
    }
    std::optional<std::uint32_t> four_bytes(RegistryRoot root, std::string_view key,
                                            std::string_view value) const override {
        const std::string data = text(root, key, value);
        if (data.size() != 4) return std::nullopt;
        return get_le32(reinterpret_cast<const std::uint8_t*>(data.data()));
    }
    std::vector<std::string> subkeys(RegistryRoot root, std::string_view key) const override {
        auto it = children.find(std::string(key));
        return root != RegistryRoot::DynamicData || it == children.end() ? std::vector<std::string>() : it->second;
    }
};

const std::string kClass = "System\\CurrentControlSet\\Control\\Class\\";

TEST(HardwareList, ClassesOnceAndEverythingInCaseInsensitiveOrder) {
    THardwareList list;
    list.Add("Ports", {"COM2", "", std::nullopt});
    list.Add("display adapters", {"b card", "", std::nullopt});
    list.Add("Ports", {"com1", "", std::nullopt});
    list.Add("Display adapters", {"A card", "", std::string("1.0")});
    list.Add("Ports", {"Com1", "", std::nullopt});
    EXPECT_EQ(format_hardware_list(list),
              "+ display adapters\r\n"
              "  - A card (driver 1.0)\r\n"
              "  - b card\r\n"
              "+ Ports\r\n"
              "  - com1\r\n"
              "  - Com1\r\n"
              "  - COM2");
    EXPECT_EQ(format_hardware_list(THardwareList()), "");
}

TEST(HardwareList, NtDevicesFilteredAndNamed) {
    FakeRegistry registry;
    const std::string display_guid = "{4d36e968-e325-11ce-bfc1-08002be10318}";
    registry.set(kClass + display_guid, "", "Display adapters");
    // Driver keys: a vendor's with version, one with only a date, the system's own, and hidden ones.
    registry.set(kClass + display_guid + "\\0000", "ProviderName", "ACME Graphics");
    registry.set(kClass + display_guid + "\\0000", "DriverVersion", " 8.17.12.9573 ");
    registry.set(kClass + display_guid + "\\0000", "DriverDate", "1-1-2020");
    registry.set(kClass + "{net}\\0001", "ProviderName", "Realtek");
    registry.set(kClass + "{net}\\0001", "DriverDate", "6-21-2006");
    registry.set(kClass + "{net}\\0002", "ProviderName", "MICROSOFT");
    registry.set(kClass + "{net}\\0002", "DriverVersion", "5.1");
    registry.set(kClass + "{net}\\0003", "ProviderName", "(Standard network adapters)");
    registry.set(kClass + "{net}\\0003", "DriverVersion", "5.1");
    registry.set(kClass + "{net}\\0004", "Characteristics", le32_bytes(0x89));
    registry.set(kClass + "{net}\\0004", "ProviderName", "Hidden Inc");
    registry.set(kClass + "{net}\\0005", "Characteristics", le32_bytes(0x84));
    registry.set(kClass + "{net}\\0006", "ProviderName", "Empty Versions Ltd");
    const std::vector<DeviceProperties> devices = {
        {"Display", "PCI\\VEN_1234", display_guid, "", "Standard VGA", display_guid + "\\0000"},
        {"Net", "PCI\\VEN_10EC", "{net}", "LAN (Realtek)", "Realtek RTL8139", "{net}\\0001"},
        {"Net", "ROOT\\MS_PPPOE", "{net}", "", "WAN Miniport (PPPOE)", "{net}\\0002"},
        {"Net", "ROOT\\NET", "{net}", "", "Packet Scheduler", "{net}\\0003"},
        {"Net", "ROOT\\HIDDEN", "{net}", "", "Hidden miniport", "{net}\\0004"},
        {"Net", "ROOT\\SHOWN", "{net}", "", "Shown miniport", "{net}\\0005"},
        {"Net", "ROOT\\EMPTY", "{net}", "", "No versions", "{net}\\0006"},
        {"Net", "PCI\\NODRIVER", "{net}", "", "No driver", ""},
        {"LegacyDriver", "", "{legacy}", "", "Beep", ""},
        {"unknown", "", "", "", "Mystery", ""},
        {"Volume", "STORAGE\\Volume", "{vol}", "", "Generic volume", ""},
        {"System", "SW\\{b7eafdc0}", "{sys}", "", "Software bus device", ""},
        {"", "", "", "", "No class at all", ""},
    };
    EXPECT_EQ(format_hardware_list(hardware_from_devices(devices, registry)),
              "+ Display adapters\r\n"
              "  - Standard VGA (driver 8.17.12.9573)\r\n"
              "+ Net\r\n"
              "  - LAN (Realtek) (driver 6-21-2006)\r\n"
              "  - No driver\r\n"
              "  - No versions (driver )\r\n"
              "  - Packet Scheduler\r\n"
              "  - Shown miniport\r\n"
              "  - WAN Miniport (PPPOE)");
}

TEST(HardwareList, Windows9xConfigurationManagerReadBackwards) {
    FakeRegistry registry;
    const std::string cm = "Config Manager\\Enum";
    registry.children[cm] = {"C1", "C2", "C3", "C4", "C5", "C6"};
    auto status = [&](const std::string& entry, const std::string& hardware_key, std::optional<std::uint32_t> problem) {
        registry.set(cm + "\\" + entry, "HardWareKey", hardware_key, RegistryRoot::DynamicData);
        if (problem) registry.set(cm + "\\" + entry, "Problem", le32_bytes(*problem), RegistryRoot::DynamicData);
    };
    status("C1", "PCI\\VEN_8086", 0);
    status("C2", "SCSI\\DISK", std::nullopt);
    status("C3", "PCI\\DISABLED", 22);
    status("C4", "ROOT\\SWENUM\\KS", 0);
    status("C5", "NETWORK\\TCP", 0);
    status("C6", "ISAPNP\\SOUND", 0);
    const std::string services = "System\\CurrentControlSet\\Services\\Class\\";
    registry.set("Enum\\PCI\\VEN_8086", "Class", "hdc");
    registry.set("Enum\\PCI\\VEN_8086", "DeviceDesc", "Intel IDE controller");
    registry.set("Enum\\PCI\\VEN_8086", "Driver", "hdc\\0000");
    registry.set(services + "hdc", "", "Hard disk controllers");
    registry.set(services + "hdc\\0000", "ProviderName", "Intel");
    registry.set(services + "hdc\\0000", "DriverDate", "2-2-1999");
    registry.set("Enum\\SCSI\\DISK", "Class", "DiskDrive");
    registry.set("Enum\\SCSI\\DISK", "DeviceDesc", "GENERIC IDE DISK");
    registry.set("Enum\\SCSI\\DISK", "CurrentDriveLetterAssignment", "C");
    registry.set("Enum\\PCI\\DISABLED", "Class", "Display");
    registry.set("Enum\\ROOT\\SWENUM\\KS", "Class", "System");
    registry.set("Enum\\NETWORK\\TCP", "Class", "NetTrans");
    registry.set("Enum\\ISAPNP\\SOUND", "Class", "MEDIA");
    registry.set("Enum\\ISAPNP\\SOUND", "DeviceDesc", "Sound Blaster 16");
    EXPECT_EQ(format_hardware_list(hardware_from_config_manager(registry)),
              "+ DiskDrive\r\n"
              "  - [C:] GENERIC IDE DISK\r\n"
              "+ Hard disk controllers\r\n"
              "  - Intel IDE controller (driver 2-2-1999)\r\n"
              "+ MEDIA\r\n"
              "  - Sound Blaster 16");
}

}  // namespace
}  // namespace roadsum
