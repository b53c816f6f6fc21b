#include "crash/send/sockets_win32.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <chrono>

namespace roadsum {
namespace {

using Clock = std::chrono::steady_clock;

// SIO_UDP_CONNRESET of the Windows SDK, which MinGW's headers do not all carry.
constexpr DWORD kUdpConnectionReset = IOC_IN | IOC_VENDOR | 12;

int milliseconds_left(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// Waits until the socket can be read (or written); false on time-out or error.
bool wait_for(SOCKET s, bool write, int timeout_ms) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(s, &set);
    fd_set errors = set;
    timeval tv{timeout_ms / 1000, (timeout_ms % 1000) * 1000};
    const int ready = select(0, write ? nullptr : &set, write ? &set : nullptr, &errors, &tv);
    return ready > 0 && FD_ISSET(s, &set);
}

std::optional<in_addr> ipv4_address(const std::string& host) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || !found) return std::nullopt;
    const in_addr address = reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr;
    freeaddrinfo(found);
    return address;
}

}  // namespace

WinsockSession::WinsockSession() {
    WSADATA data;
    started_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
}

WinsockSession::~WinsockSession() {
    if (started_) WSACleanup();
}

std::unique_ptr<TcpConnection> TcpConnection::Connect(const std::string& host, int port, int timeout_ms) {
    if (port <= 0 || port > 65535) return nullptr;
    const auto address = ipv4_address(host);
    if (!address) return nullptr;
    const SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET) return nullptr;
    std::unique_ptr<TcpConnection> connection(new TcpConnection(s));
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<u_short>(port));
    to.sin_addr = *address;
    // Non-blocking while connecting, so the time-out holds; blocking afterwards.
    u_long nonblocking = 1;
    ioctlsocket(s, FIONBIO, &nonblocking);
    if (connect(s, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0 && WSAGetLastError() != WSAEWOULDBLOCK)
        return nullptr;
    if (!wait_for(s, true, timeout_ms)) return nullptr;
    int error = 0;
    int length = sizeof error;
    if (getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length) != 0 || error != 0) return nullptr;
    nonblocking = 0;
    ioctlsocket(s, FIONBIO, &nonblocking);
    return connection;
}

TcpConnection::~TcpConnection() {
    shutdown(socket_, SD_BOTH);
    closesocket(socket_);
}

bool TcpConnection::Send(ByteView bytes) {
    while (!bytes.empty()) {
        const int chunk = static_cast<int>(std::min<std::size_t>(bytes.size(), 1 << 16));
        const int sent = send(socket_, reinterpret_cast<const char*>(bytes.data()), chunk, 0);
        if (sent <= 0) return false;
        bytes = bytes.subspan(static_cast<std::size_t>(sent));
    }
    return true;
}

ReceiveStatus TcpConnection::Receive(std::string& into, std::size_t max_bytes, int timeout_ms) {
    if (max_bytes == 0) return ReceiveStatus::Failed;
    if (!wait_for(socket_, false, timeout_ms)) return ReceiveStatus::TimedOut;
    char buffer[4096];
    const int got = recv(socket_, buffer, static_cast<int>(std::min(sizeof buffer, max_bytes)), 0);
    if (got == 0) return ReceiveStatus::Closed;
    if (got < 0) return ReceiveStatus::Failed;
    into.append(buffer, static_cast<std::size_t>(got));
    return ReceiveStatus::Data;
}

std::optional<std::vector<std::uint8_t>> UdpDnsTransport::Exchange(const std::vector<std::string>& servers,
                                                                   ByteView query, int timeout_ms,
                                                                   const std::function<bool(ByteView)>& accept) {
    const SOCKET s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (s == INVALID_SOCKET) return std::nullopt;
    struct Closer {
        SOCKET s;
        ~Closer() { closesocket(s); }
    } closer{s};
    sockaddr_in local{};
    local.sin_family = AF_INET;
    if (bind(s, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) return std::nullopt;
    // A server's "port unreachable" would otherwise fail every later read of the socket.
    BOOL report_resets = FALSE;
    DWORD returned = 0;
    WSAIoctl(s, kUdpConnectionReset, &report_resets, sizeof report_resets, nullptr, 0, &returned, nullptr, nullptr);
    std::vector<sockaddr_in> asked;
    for (const std::string& server : servers) {
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(static_cast<u_short>(port_));
        if (inet_pton(AF_INET, server.c_str(), &to.sin_addr) != 1) continue;
        if (sendto(s, reinterpret_cast<const char*>(query.data()), static_cast<int>(query.size()), 0,
                   reinterpret_cast<sockaddr*>(&to), sizeof to) == static_cast<int>(query.size()))
            asked.push_back(to);
    }
    if (asked.empty()) return std::nullopt;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
    std::vector<std::uint8_t> buffer(1500);
    std::vector<bool> answered(asked.size(), false);
    while (int left = milliseconds_left(deadline)) {
        if (!wait_for(s, false, left)) break;
        sockaddr_in from{};
        int from_length = sizeof from;
        const int got = recvfrom(s, reinterpret_cast<char*>(buffer.data()), static_cast<int>(buffer.size()), 0,
                                 reinterpret_cast<sockaddr*>(&from), &from_length);
        if (got <= 0) continue;  // an ICMP "unreachable" of one server ends nothing
        // Only the servers asked may answer, and each once: when all have answered without
        // a usable reply, none will come.
        bool known = false;
        for (std::size_t i = 0; i < asked.size(); ++i) {
            if (asked[i].sin_addr.s_addr != from.sin_addr.s_addr || asked[i].sin_port != from.sin_port) continue;
            known = true;
            answered[i] = true;
        }
        const ByteView reply(buffer.data(), static_cast<std::size_t>(got));
        if (known && accept(reply)) return std::vector<std::uint8_t>(reply.begin(), reply.end());
        if (std::find(answered.begin(), answered.end(), false) == answered.end()) break;
    }
    return std::nullopt;
}

}  // namespace roadsum
