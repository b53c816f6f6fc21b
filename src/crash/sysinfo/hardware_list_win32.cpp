#include "crash/sysinfo/hardware_list.h"

#include <windows.h>
#include <setupapi.h>

#include <algorithm>
#include <memory>

#include "crash/sysinfo/os_info_win32.h"
#include "crash/sysinfo/registry_reader_win32.h"
#include "crash/sysinfo/section_plugins.h"
#include "crash/sysinfo/system_function_win32.h"

namespace roadsum {

namespace {

// The device setup library, loaded when the list is first made; empty when it is missing.
struct SetupLibrary {
    using ClassDevicesFunction = HDEVINFO(WINAPI*)(const GUID*, PCSTR, HWND, DWORD);
    using EnumFunction = BOOL(WINAPI*)(HDEVINFO, DWORD, SP_DEVINFO_DATA*);
    using PropertyFunction = BOOL(WINAPI*)(HDEVINFO, SP_DEVINFO_DATA*, DWORD, DWORD*, BYTE*, DWORD, DWORD*);
    using DestroyFunction = BOOL(WINAPI*)(HDEVINFO);

    ClassDevicesFunction class_devices = system_function<ClassDevicesFunction>("setupapi.dll", "SetupDiGetClassDevsA");
    EnumFunction enum_device = system_function<EnumFunction>("setupapi.dll", "SetupDiEnumDeviceInfo");
    PropertyFunction property = system_function<PropertyFunction>("setupapi.dll", "SetupDiGetDeviceRegistryPropertyA");
    DestroyFunction destroy = system_function<DestroyFunction>("setupapi.dll", "SetupDiDestroyDeviceInfoList");

    bool complete() const { return class_devices && enum_device && property && destroy; }
};

const SetupLibrary& setup_library() {
    static const SetupLibrary setup;
    return setup;
}

struct DeviceListDeleter {
    void operator()(void* list) const { setup_library().destroy(list); }
};

// A text property; a list property gives its first text. "" when the device has none.
std::string device_property(const SetupLibrary& setup, HDEVINFO set, SP_DEVINFO_DATA& device, DWORD code) {
    std::string data(512, '\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
        DWORD type = 0, required = 0;
        if (setup.property(set, &device, code, &type, reinterpret_cast<BYTE*>(data.data()),
                           static_cast<DWORD>(data.size()), &required)) {
            if (type != REG_SZ && type != REG_EXPAND_SZ && type != REG_MULTI_SZ) return {};
            data.resize(std::min<std::size_t>(required, data.size()));
            return data.substr(0, data.find('\0'));
        }
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || required <= data.size() || required > 0x10000) break;
        data.resize(required);
    }
    return {};
}

std::vector<DeviceProperties> present_devices() {
    const SetupLibrary& setup = setup_library();
    std::vector<DeviceProperties> devices;
    if (!setup.complete()) return devices;
    HDEVINFO set = setup.class_devices(nullptr, nullptr, nullptr, DIGCF_PRESENT | DIGCF_ALLCLASSES);
    if (set == INVALID_HANDLE_VALUE) return devices;
    const std::unique_ptr<void, DeviceListDeleter> owned(set);
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    for (DWORD i = 0; setup.enum_device(set, i, &device); ++i) {
        DeviceProperties& d = devices.emplace_back();
        d.ClassName = device_property(setup, set, device, SPDRP_CLASS);
        d.HardwareId = device_property(setup, set, device, SPDRP_HARDWAREID);
        d.ClassGuid = device_property(setup, set, device, SPDRP_CLASSGUID);
        d.FriendlyName = device_property(setup, set, device, SPDRP_FRIENDLYNAME);
        d.Description = device_property(setup, set, device, SPDRP_DEVICEDESC);
        d.Driver = device_property(setup, set, device, SPDRP_DRIVER);
    }
    return devices;
}

}  // namespace

std::string hardware_text() {
    const Win32RegistryReader registry;
    if (os_info().Is9x) return format_hardware_list(hardware_from_config_manager(registry));
    return format_hardware_list(hardware_from_devices(present_devices(), registry));
}

}  // namespace roadsum
