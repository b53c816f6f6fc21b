#include "crash/send/mail_delivery.h"

namespace roadsum {

bool send_through_server(Connector& connector, const std::string& server, int port, const SmtpJob& job,
                         SendFiles& files, SendProgress& progress) {
    progress.Area(SendArea::Connect);
    const auto connection = connector.Connect(server, port, kSmtpTimeoutMs);
    return connection && run_smtp_session(*connection, job, files, progress);
}

bool send_to_exchangers(Connector& connector, DnsTransport& dns, const MxLookupOptions& lookup, int port,
                        const SmtpJob& job, SendFiles& files, SendProgress& progress) {
    bool any = false;
    for (const std::string& recipient : job.recipients) {
        progress.Area(SendArea::MxLookup);
        const auto exchanger = find_mail_exchanger(recipient, dns, lookup);
        if (!exchanger) continue;
        SmtpJob single = job;
        single.account.clear();
        single.password.clear();
        single.recipients = {recipient};
        any |= send_through_server(connector, *exchanger, port, single, files, progress);
    }
    return any;
}

}  // namespace roadsum
