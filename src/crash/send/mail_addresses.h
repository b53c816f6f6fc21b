// Recipient lists as the settings hold them ("a@x; Name <b@y>"), and the domains the MX lookup
// asks for.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace roadsum {

// The items of a list separated by ";" or ",", blanks around them removed, empty ones left out.
std::vector<std::string> address_items(std::string_view list);

// The address of an item in angle brackets, for the SMTP envelope: an item without "<" is
// wrapped, one with "<" is cut to the part from "<" on ("Name <a@x>" gives "<a@x>").
std::string envelope_address(std::string_view item);

// The list for a "To:" header: items joined by ", ", each kept whole when it has "<" and
// wrapped in angle brackets otherwise; line breaks cannot get in.
std::string header_address_list(std::string_view list);

// The domain of an address: the part after the last "@", without a closing ">".
std::string address_domain(std::string_view address);

// The last three labels of a domain (all of it when it has fewer).
std::string base_domain(std::string_view domain);

}  // namespace roadsum
