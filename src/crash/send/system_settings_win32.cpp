#include "crash/send/system_settings_win32.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <iphlpapi.h>
#include <shellapi.h>
#include <wininet.h>

#include <atomic>

#include "crash/common/text_lists.h"
#include "crash/send/icmp_echo.h"
#include "crash/send/mx_lookup.h"
#include "crash/send/sockets_win32.h"

namespace roadsum {
namespace {

std::string registry_text(HKEY root, const char* key, const char* value) {
    HKEY opened;
    if (RegOpenKeyExA(root, key, 0, KEY_READ, &opened) != ERROR_SUCCESS) return {};
    char buffer[2048] = {};
    DWORD size = sizeof buffer - 1, type = 0;
    const bool read = RegQueryValueExA(opened, value, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) ==
                          ERROR_SUCCESS && (type == REG_SZ || type == REG_EXPAND_SZ);
    RegCloseKey(opened);
    return read ? std::string(buffer) : std::string();
}

// A system library loaded for one call and let go afterwards.
class Library {
public:
    explicit Library(const char* name) : module_(LoadLibraryA(name)) {}
    ~Library() {
        if (module_) FreeLibrary(module_);
    }
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;
    template <class F>
    F Function(const char* name) const {
        return module_ ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module_, name))) : nullptr;
    }

private:
    HMODULE module_;
};

// The host whose echo tells that the internet is there.
constexpr const char* kWellKnownHost = "www.google.com";

bool echo_answered(const std::string& host) {
    static std::atomic<std::uint16_t> sequence{0};
    WinsockSession winsock;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    addrinfo* found = nullptr;
    if (!winsock.Started() || getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || !found) return false;
    sockaddr_in to = *reinterpret_cast<sockaddr_in*>(found->ai_addr);
    freeaddrinfo(found);
    const SOCKET s = socket(AF_INET, SOCK_RAW, IPPROTO_ICMP);
    if (s == INVALID_SOCKET) return false;
    const int ttl = 30, timeout = 1000;
    setsockopt(s, IPPROTO_IP, IP_TTL, reinterpret_cast<const char*>(&ttl), sizeof ttl);
    setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
    const auto id = static_cast<std::uint16_t>(GetCurrentProcessId());
    const std::uint16_t seq = ++sequence;
    const auto packet = echo_request(id, seq);
    bool answered = false;
    if (sendto(s, reinterpret_cast<const char*>(packet.data()), static_cast<int>(packet.size()), 0,
               reinterpret_cast<sockaddr*>(&to), sizeof to) == static_cast<int>(packet.size())) {
        std::uint8_t reply[1024];
        for (int tries = 0; tries < 8 && !answered; ++tries) {
            const int got = recv(s, reinterpret_cast<char*>(reply), sizeof reply, 0);
            if (got <= 0) break;
            answered = is_echo_reply(ByteView(reply, static_cast<std::size_t>(got)), id, seq);
        }
    }
    closesocket(s);
    return answered;
}

}  // namespace

std::vector<std::string> system_dns_servers() {
    const OSVERSIONINFOA version = [] {
        OSVERSIONINFOA v{};
        v.dwOSVersionInfoSize = sizeof v;
        GetVersionExA(&v);
        return v;
    }();
    const char* key = version.dwPlatformId == VER_PLATFORM_WIN32_NT ? "System\\CurrentControlSet\\Services\\Tcpip\\Parameters"
                                                                    : "System\\CurrentControlSet\\Services\\VxD\\MSTCP";
    for (const char* value : {"NameServer", "DhcpNameServer"})
        if (auto servers = dns_server_list(registry_text(HKEY_LOCAL_MACHINE, key, value)); !servers.empty()) return servers;

    std::vector<std::string> servers;
    const Library iphlpapi("IpHlpApi.dll");
    using GetNetworkParamsFn = DWORD(WINAPI*)(PFIXED_INFO, PULONG);
    const auto get_params = iphlpapi.Function<GetNetworkParamsFn>("GetNetworkParams");
    if (!get_params) return servers;
    ULONG size = 0;
    get_params(nullptr, &size);
    std::vector<std::uint8_t> buffer(size ? size : sizeof(FIXED_INFO));
    auto* info = reinterpret_cast<FIXED_INFO*>(buffer.data());
    if (get_params(info, &size) != ERROR_SUCCESS) return servers;
    for (const IP_ADDR_STRING* item = &info->DnsServerList; item; item = item->Next)
        if (item->IpAddress.String[0]) servers.emplace_back(item->IpAddress.String);
    return servers;
}

std::optional<std::string> system_http_proxy() {
    const Library wininet("wininet.dll");
    using QueryFn = BOOL(WINAPI*)(HINTERNET, DWORD, LPVOID, LPDWORD);
    const auto query = wininet.Function<QueryFn>("InternetQueryOptionA");
    if (!query) return std::nullopt;
    DWORD size = 0;
    query(nullptr, INTERNET_OPTION_PROXY, nullptr, &size);
    if (size < sizeof(INTERNET_PROXY_INFO)) return std::nullopt;
    std::vector<std::uint8_t> buffer(size);
    auto* info = reinterpret_cast<INTERNET_PROXY_INFO*>(buffer.data());
    if (!query(nullptr, INTERNET_OPTION_PROXY, info, &size) || info->dwAccessType != INTERNET_OPEN_TYPE_PROXY ||
        !info->lpszProxy)
        return std::nullopt;
    return std::string(reinterpret_cast<const char*>(info->lpszProxy));
}

bool machine_online(bool hidden) {
    if (echo_answered(kWellKnownHost)) return true;
    if (hidden) return false;
    const Library wininet("wininet.dll");
    using AttemptFn = DWORD(WINAPI*)(DWORD);
    const auto attempt = wininet.Function<AttemptFn>("InternetAttemptConnect");
    return attempt && attempt(0) == ERROR_SUCCESS && echo_answered(kWellKnownHost);
}

bool open_redirect_location(std::string_view location, const HttpEndpoint& server) {
    const auto address = redirect_address(location, server);
    if (!address) return false;
    return reinterpret_cast<INT_PTR>(ShellExecuteA(nullptr, "open", address->c_str(), nullptr, nullptr, SW_SHOWNORMAL)) > 32;
}

}  // namespace roadsum
