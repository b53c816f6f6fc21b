// Plain Winsock for the send methods: a session that starts and cleans up Winsock around one
// method, TCP connections with time-outs for SMTP and HTTP, and DNS over UDP.
#pragma once

#include <memory>
#include <string>

#include "crash/send/mail_delivery.h"
#include "crash/send/mx_lookup.h"
#include "crash/send/stream_connection.h"

namespace roadsum {

// Winsock 2.2 for as long as the object lives.
class WinsockSession {
public:
    WinsockSession();
    ~WinsockSession();
    WinsockSession(const WinsockSession&) = delete;
    WinsockSession& operator=(const WinsockSession&) = delete;
    bool Started() const { return started_; }

private:
    bool started_ = false;
};

class TcpConnection final : public StreamConnection {
public:
    // A connection to host:port (a name or an IPv4 address) made within `timeout_ms`;
    // nullptr when the name is unknown, nobody answers or the time runs out.
    static std::unique_ptr<TcpConnection> Connect(const std::string& host, int port, int timeout_ms);
    ~TcpConnection() override;

    bool Send(ByteView bytes) override;
    ReceiveStatus Receive(std::string& into, std::size_t max_bytes, int timeout_ms) override;

private:
    explicit TcpConnection(std::uintptr_t socket) : socket_(socket) {}
    std::uintptr_t socket_;
};

class TcpConnector final : public Connector {
public:
    std::unique_ptr<StreamConnection> Connect(const std::string& host, int port, int timeout_ms) override {
        return TcpConnection::Connect(host, port, timeout_ms);
    }
};

// Asks DNS servers over UDP from one bound local port; `port` is 53 but for tests.
class UdpDnsTransport final : public DnsTransport {
public:
    explicit UdpDnsTransport(int port = 53) : port_(port) {}
    std::optional<std::vector<std::uint8_t>> Exchange(const std::vector<std::string>& servers, ByteView query,
                                                      int timeout_ms,
                                                      const std::function<bool(ByteView)>& accept) override;

private:
    int port_;
};

}  // namespace roadsum
