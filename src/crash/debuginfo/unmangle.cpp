#include "crash/debuginfo/unmangle.h"

namespace roadsum {

namespace {

std::string replace_scope_operators(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == ':' && i + 1 < text.size() && text[i + 1] == ':') {
            out += '.';
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

struct Walked {
    std::string text;  // '@' turned into '.', cut at the first '$'
    std::string unit;  // between the leading '@' and the next one
    bool destructor = false;
};

// Both the plain marker ("$d...") and the usual destructor encoding ("$bdtr") name a
// destructor; the latter begins with 'b' like the constructor's "$bctr".
bool marks_destructor(std::string_view encoding) {
    return (!encoding.empty() && encoding[0] == 'd') || encoding.substr(0, 4) == "bdtr";
}

// The unit is only collected for a name that starts with '@'.
Walked walk(std::string_view s) {
    Walked w;
    bool in_unit = !s.empty() && s[0] == '@';
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '$') {
            w.destructor = marks_destructor(s.substr(i + 1));
            break;
        }
        if (c == '@') {
            if (i > 0) in_unit = false;
            w.text += '.';
        } else {
            if (in_unit) w.unit += c;
            w.text += c;
        }
    }
    return w;
}

void trim_spaces(std::string& s) {
    const std::size_t first = s.find_first_not_of(' ');
    if (first == std::string::npos) {
        s.clear();
        return;
    }
    s = s.substr(first, s.find_last_not_of(' ') - first + 1);
}

}  // namespace

UnmangledName Unmangle(std::string_view stored) {
    std::string s = replace_scope_operators(stored);
    if (s.empty() || s[0] != '@') return {s, {}};

    // A template ("@%Name$args%@Member$encoding") carries no unit; its member is the suffix.
    std::string suffix;
    if (s.size() > 1 && s[1] == '%') {
        const std::size_t p = s.rfind("%@");
        if (p != std::string::npos && p > 1) {
            suffix = walk(std::string_view(s).substr(p + 1)).text.substr(1);
            s.erase(p);
        }
        s.erase(0, 1);
    }
    if (s.rfind("@_$", 0) == 0) {
        const std::size_t p = s.find("$@", 3);
        if (p != std::string::npos) s.erase(0, p + 1);
    }

    const bool has_unit = s[0] == '@';
    Walked w = walk(s);
    UnmangledName result;
    if (has_unit && w.text.size() > w.unit.size() + 2) {
        result.name = w.text.substr(w.unit.size() + 2);
        result.unit = w.unit;
    } else {
        result.name = w.text;
    }
    if (!suffix.empty()) result.name += "." + suffix;
    if (!result.name.empty() && result.name[0] == '%') result.name.erase(0, 1);
    if (!result.name.empty() && result.name[0] == '.') result.name[0] = '@';

    // A name that ends at its class names a constructor, or a destructor when its encoding
    // says so; one that ends there only once its blanks are trimmed is not known.
    if (!result.name.empty() && result.name.back() == '.') result.name += w.destructor ? "Destroy" : "Create";
    trim_spaces(result.name);
    if (!result.name.empty() && result.name.back() == '.') result.name += '?';
    return result;
}

}  // namespace roadsum
