#include "crash/send/mailto_link.h"

#include <cctype>

#include "crash/send/mail_addresses.h"

namespace roadsum {

std::string percent_encode(std::string_view text, std::string_view keep) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size() * 3);
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~' || keep.find(ch) != std::string_view::npos) {
            out += ch;
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

std::string mailto_link(std::string_view recipients, std::string_view subject, std::string_view body) {
    std::string link = "mailto:";
    bool first = true;
    for (const std::string& item : address_items(recipients)) {
        if (!first) link += ',';
        first = false;
        link += percent_encode(item, "@");
    }
    return link + "?subject=" + percent_encode(subject) + "&body=" + percent_encode(body);
}

std::string mailto_command(std::string_view command, std::string_view link, std::size_t limit) {
    std::string before(command), after;
    if (const std::size_t slot = command.find("%1"); slot != std::string_view::npos) {
        before = command.substr(0, slot);
        after = command.substr(slot + 2);
    } else if (!before.empty() && before.back() != ' ') {
        before += ' ';
    }
    const std::size_t rest = before.size() + after.size();
    if (rest + link.size() > limit) {
        std::size_t keep = rest < limit ? limit - rest : 0;
        if (keep >= 1 && link[keep - 1] == '%') keep -= 1;
        else if (keep >= 2 && link[keep - 2] == '%') keep -= 2;
        link = link.substr(0, keep);
    }
    std::string line = before + std::string(link) + after;
    if (line.size() > limit) line.resize(limit);
    return line;
}

}  // namespace roadsum
