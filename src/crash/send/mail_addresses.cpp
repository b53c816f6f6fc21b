#include "crash/send/mail_addresses.h"

#include "crash/common/text_lists.h"
#include "crash/send/header_values.h"

namespace roadsum {

std::vector<std::string> address_items(std::string_view list) {
    std::string commas(list);
    for (char& c : commas)
        if (c == ';') c = ',';
    std::vector<std::string> items;
    for (std::string_view item : split_list(commas, ','))
        if (const std::string_view trimmed = trim_blanks(item); !trimmed.empty()) items.emplace_back(trimmed);
    return items;
}

std::string envelope_address(std::string_view item) {
    item = trim_blanks(item);
    const std::size_t open = item.find('<');
    if (open == std::string_view::npos) return header_safe("<" + std::string(item) + ">");
    std::string_view from_open = item.substr(open);
    if (const std::size_t close = from_open.find('>'); close != std::string_view::npos)
        from_open = from_open.substr(0, close + 1);
    // A text with "<" but no ">" still ends as an address in brackets.
    std::string out = header_safe(from_open);
    if (out.back() != '>') out += '>';
    return out;
}

std::string header_address_list(std::string_view list) {
    std::string out;
    for (const std::string& item : address_items(list)) {
        if (!out.empty()) out += ", ";
        out += item.find('<') == std::string::npos ? "<" + item + ">" : item;
    }
    return header_safe(out);
}

std::string address_domain(std::string_view address) {
    const std::size_t at = address.rfind('@');
    if (at == std::string_view::npos) return {};
    std::string_view domain = address.substr(at + 1);
    if (const std::size_t close = domain.find('>'); close != std::string_view::npos) domain = domain.substr(0, close);
    return std::string(trim_blanks(domain));
}

std::string base_domain(std::string_view domain) {
    std::size_t cut = domain.size();
    for (int labels = 0; labels < 3; ++labels) {
        cut = cut == 0 ? std::string_view::npos : domain.rfind('.', cut - 1);
        if (cut == std::string_view::npos) return std::string(domain);
    }
    return std::string(domain.substr(cut + 1));
}

}  // namespace roadsum
