// The two ways a mail leaves on our own sockets: through the configured SMTP server, or
// straight to the mail exchanger of each recipient. How connections are made is the caller's
// (TCP in the program, scripted peers in tests).
#pragma once

#include <memory>
#include <string>

#include "crash/send/mx_lookup.h"
#include "crash/send/smtp_session.h"

namespace roadsum {

class Connector {
public:
    virtual ~Connector() = default;
    // A connection to host:port, or nullptr.
    virtual std::unique_ptr<StreamConnection> Connect(const std::string& host, int port, int timeout_ms) = 0;
};

// One session with the server for all recipients.
bool send_through_server(Connector& connector, const std::string& server, int port, const SmtpJob& job,
                         SendFiles& files, SendProgress& progress);

// Each recipient by itself to its domain's mail exchanger, without authentication. Sent when
// any recipient's delivery went through.
bool send_to_exchangers(Connector& connector, DnsTransport& dns, const MxLookupOptions& lookup, int port,
                        const SmtpJob& job, SendFiles& files, SendProgress& progress);

}  // namespace roadsum
