#include "symbol_names.h"

#include <cxxabi.h>

#include <cstdlib>
#include <memory>
#include <optional>
#include <vector>

#include "crash/common/file_names.h"

namespace roadsum {

namespace {

constexpr std::size_t kMaxStoredName = 255;  // what a packed string holds

bool is_identifier_char(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

std::optional<std::string> demangle(std::string_view itanium) {
    int status = 0;
    const std::string name(itanium);
    std::unique_ptr<char, void (*)(void*)> text(abi::__cxa_demangle(name.c_str(), nullptr, nullptr, &status), std::free);
    if (status != 0 || !text) return std::nullopt;
    return std::string(text.get());
}

bool opens(char c) { return c == '<' || c == '(' || c == '[' || c == '{'; }
bool closes(char c) { return c == '>' || c == ')' || c == ']' || c == '}'; }

// Where "operator" starts as a name of its own at nesting depth 0, or npos.
std::size_t operator_position(std::string_view text) {
    int depth = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (depth == 0 && text.compare(i, 8, "operator") == 0 && (i == 0 || !is_identifier_char(text[i - 1])) &&
            (i + 8 >= text.size() || !is_identifier_char(text[i + 8])))
            return i;
        if (opens(text[i])) ++depth;
        if (closes(text[i]) && depth > 0) --depth;
    }
    return std::string_view::npos;
}

// Splits at "::" and, when wanted, at blanks, both at nesting depth 0. The last blank-separated
// piece is the qualified name when a return type precedes it.
std::vector<std::string> split_top_level(std::string_view text, bool at_blanks) {
    std::vector<std::string> parts(1);
    int depth = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (depth == 0 && c == ':' && i + 1 < text.size() && text[i + 1] == ':') {
            parts.emplace_back();
            ++i;
            continue;
        }
        if (depth == 0 && at_blanks && c == ' ') {
            parts.assign(1, {});
            continue;
        }
        if (opens(c)) ++depth;
        if (closes(c) && depth > 0) --depth;
        parts.back() += c;
    }
    return parts;
}

// The text before the parameter list of a function's demangled name.
std::string_view without_parameters(std::string_view text) {
    const std::size_t close = text.rfind(')');
    if (close == std::string_view::npos) return text;
    int depth = 0;
    for (std::size_t i = close + 1; i-- > 0;) {
        if (text[i] == ')') ++depth;
        if (text[i] == '(' && --depth == 0) return text.substr(0, i);
    }
    return text;
}

std::string_view strip_prefixes(std::string_view text) {
    static constexpr std::string_view kPrefixes[] = {"non-virtual thunk to ", "virtual thunk to ",
                                                     "covariant return thunk to ", "TLS init function for ",
                                                     "TLS wrapper function for ", "transaction clone for "};
    for (bool again = true; again;) {
        again = false;
        for (std::string_view p : kPrefixes)
            if (text.substr(0, p.size()) == p) {
                text.remove_prefix(p.size());
                again = true;
            }
    }
    return text;
}

std::string_view strip_clone_suffixes(std::string_view text) {
    for (std::size_t at = text.rfind(" [clone "); at != std::string_view::npos && text.back() == ']';
         at = text.rfind(" [clone "))
        text = text.substr(0, at);
    return text;
}

void replace_all(std::string& text, std::string_view from, std::string_view to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

// One scope or name: blanks go (or become '_' between two words), characters that the stored
// form gives a meaning ('@', '$') become '_', and lambdas lose their parameter lists.
std::string clean_component(std::string c) {
    if (c.rfind("{lambda(", 0) == 0) {
        const std::size_t hash = c.rfind(")#");
        if (hash != std::string::npos) c = "{lambda" + c.substr(hash + 1);
    }
    std::string out;
    for (std::size_t i = 0; i < c.size(); ++i) {
        char ch = c[i];
        if (ch == ' ') {
            if (!out.empty() && is_identifier_char(out.back()) && i + 1 < c.size() && is_identifier_char(c[i + 1]))
                out += '_';
            continue;
        }
        if (ch == '@' || ch == '$') ch = '_';
        out += ch;
    }
    return out;
}

// A function scope ("Method(int)" in "Class::Method(int)::{lambda...}") without parameters.
std::string without_scope_parameters(const std::string& c) {
    if (c.empty() || c[0] == '{' || c.rfind("operator", 0) == 0) return c;
    int depth = 0;
    for (std::size_t i = 0; i < c.size(); ++i) {
        if (c[i] == '(' && depth == 0) return c.substr(0, i);
        if (opens(c[i])) ++depth;
        if (closes(c[i]) && depth > 0) --depth;
    }
    return c;
}

// Template arguments shortened to "<...>" when a name is too long to be stored.
std::string shorten_templates(const std::string& c) {
    std::string out;
    int depth = 0;
    for (char ch : c) {
        if (ch == '<') {
            if (depth++ == 0) out += "<...>";
            continue;
        }
        if (ch == '>' && depth > 0) {
            --depth;
            continue;
        }
        if (depth == 0) out += ch;
    }
    return out;
}

enum class Special { none, constructor, destructor };

std::string join(const std::vector<std::string>& parts, std::size_t count, char separator) {
    std::string out;
    for (std::size_t i = 0; i < count; ++i) {
        if (i) out += separator;
        out += parts[i];
    }
    return out;
}

// stdcall and fastcall names end in "@" and the size of their arguments, before any clone
// suffix (".cold", ".part.0") that the compiler adds to a part of a function.
std::string without_argument_size(std::string_view raw) {
    const std::size_t dot = raw.find('.', 1);
    const std::string_view name = raw.substr(0, dot), clone = dot == std::string_view::npos ? "" : raw.substr(dot);
    const std::size_t at = name.rfind('@');
    if (at == std::string_view::npos || at == 0 || at + 1 == name.size() ||
        name.find_first_not_of("0123456789", at + 1) != std::string_view::npos)
        return std::string(raw);
    return std::string(name.substr(0, at)) + std::string(clone);
}

// A C name shows without its leading underscore, its argument size and its clone suffix, so
// that the parts of a function share its name.
std::string plain_c_name(std::string_view raw) {
    std::string name = without_argument_size(raw);
    name = name.substr(0, name.find('.', 1));
    if (!name.empty() && (name[0] == '_' || name[0] == '@')) name.erase(0, 1);
    for (char& c : name)
        if (c == '@' || c == '$' || c == ' ') c = '_';
    return name;
}

}  // namespace

std::string unit_name_of_source(std::string_view path) {
    path = file_name_of(path);
    const std::size_t dot = path.rfind('.');
    if (dot != std::string_view::npos && dot > 0) path = path.substr(0, dot);
    std::string unit;
    bool word_start = true;
    for (char c : path) {
        if (!is_identifier_char(c) || c == '_') {
            word_start = true;
            continue;
        }
        unit += word_start && c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
        word_start = false;
    }
    return unit;
}

std::string stored_symbol_name(std::string_view raw, std::string_view unit) {
    const std::string undecorated = without_argument_size(raw);
    const std::string_view itanium = std::string_view(undecorated).substr(undecorated.rfind("__Z", 0) == 0 ? 1 : 0);
    const std::optional<std::string> demangled = itanium.substr(0, 2) == "_Z" ? demangle(itanium) : std::nullopt;
    if (!demangled) return plain_c_name(raw);

    std::string text(strip_clone_suffixes(strip_prefixes(*demangled)));
    replace_all(text, "(anonymous namespace)::", "");
    std::string_view name = without_parameters(text);
    std::vector<std::string> parts;
    std::string operator_name;
    const std::size_t op = operator_position(name);
    if (op != std::string_view::npos) {
        operator_name = std::string(name.substr(op));
        name = name.substr(0, op);
    }
    parts = split_top_level(name, true);
    if (!parts.empty() && parts.back().empty()) parts.pop_back();
    if (!operator_name.empty()) parts.push_back(operator_name);
    if (!parts.empty() && parts.front() == "roadsum") parts.erase(parts.begin());
    for (std::size_t i = 0; i < parts.size(); ++i) {
        replace_all(parts[i], "roadsum::", "");
        if (i + 1 < parts.size()) parts[i] = without_scope_parameters(parts[i]);
        parts[i] = clean_component(parts[i]);
    }
    if (parts.empty() || parts.back().empty()) return plain_c_name(raw);

    Special special = Special::none;
    const std::string& last = parts.back();
    if (last[0] == '~') {
        special = Special::destructor;
    } else if (parts.size() >= 2) {
        const std::string& owner = parts[parts.size() - 2];
        if (last == owner.substr(0, owner.find('<'))) special = Special::constructor;
    }
    const std::size_t scope_parts = special == Special::none ? parts.size() : parts.size() - 1;
    const auto compose = [&] {
        std::string stored = "@" + std::string(unit) + "@" + join(parts, scope_parts, '@');
        if (special != Special::none) stored += special == Special::constructor ? "@$ctor" : "@$dtor";
        else if (stored.back() == ')') stored += '$';
        return stored;
    };
    std::string stored = compose();
    if (stored.size() > kMaxStoredName) {
        for (std::string& p : parts) p = shorten_templates(p);
        stored = compose();
    }
    return stored.substr(0, kMaxStoredName);
}

}  // namespace roadsum
