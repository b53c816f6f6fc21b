// What the system tells the send methods: its DNS servers, its proxy, whether it is online,
// and the shell that opens the page an upload server sends us to.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "crash/send/http_upload.h"

namespace roadsum {

// NameServer, else DhcpNameServer of the TCP/IP parameters, else the IP helper's list.
std::vector<std::string> system_dns_servers();

// The internet settings' proxy text, when a proxy is set.
std::optional<std::string> system_http_proxy();

// One ICMP echo to a well-known host; without a reply and when the user may be asked, the
// system is asked to dial and the echo tried once more.
bool machine_online(bool hidden);

// Opens a redirection's address in the browser. Only web addresses are opened (a relative one
// against the upload server); a server cannot make us start a program or open a file.
bool open_redirect_location(std::string_view location, const HttpEndpoint& server);

}  // namespace roadsum
