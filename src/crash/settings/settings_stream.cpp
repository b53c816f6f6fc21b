#include "crash/settings/settings_stream.h"


#include "crash/settings/keys.h"
#include "crash/settings/password.h"

namespace roadsum {

namespace {

SettingValue from_stream(const StreamProperty& p, const AnsiCodePage& code_page) {
    const StreamValue& v = p.value;
    if (v.is_integer()) return SettingValue::integer(p.name, v.integer);
    if (v.is_boolean()) return SettingValue::boolean(p.name, v.type == ValueType::True);
    if (v.type == ValueType::WString) return SettingValue::text_value(p.name, code_page.from_utf16(v.wide));
    if (v.type == ValueType::Utf8String)
        return SettingValue::text_value(p.name, code_page.from_utf16(utf8_to_utf16(v.bytes)));
    return SettingValue::text_value(p.name, v.bytes);
}

SettingValue* find(std::vector<SettingValue>& entries, std::string_view name) {
    for (SettingValue& e : entries)
        if (e.name == name) return &e;
    return nullptr;
}

// A stored form that does not decipher (made for another account or server, or damaged)
// leaves the password empty rather than sending a wrong one.
void decipher(std::vector<SettingValue>& entries, TextKey password, TextKey account, TextKey server) {
    SettingValue* e = find(entries, password.name);
    if (!e || e->kind != SettingKind::Text || e->text.empty()) return;
    e->text = decipher_password(e->text, text_of(entries, account), text_of(entries, server)).value_or("");
}

}  // namespace

std::string text_of(const std::vector<SettingValue>& entries, TextKey key) {
    for (const SettingValue& e : entries)
        if (e.name == key.name) return e.kind == SettingKind::Text ? e.text : std::string();
    return {};
}

std::string min_debug_info_of(std::string_view settings_resource) {
    const LoadedSettings settings = read_settings_stream(
        {reinterpret_cast<const std::uint8_t*>(settings_resource.data()), settings_resource.size()},
        Windows1252CodePage());
    return text_of(settings.entries, keys::MinDebugInfo);
}

LoadedSettings read_settings_stream(std::span<const std::uint8_t> data, const AnsiCodePage& code_page) {
    StreamReadOptions options;
    options.accepted = kSettingsValueTypes;
    options.read_children = false;
    StreamReadResult read = read_component_stream(data, options);

    LoadedSettings loaded;
    for (const StreamProperty& p : read.root.properties) {
        SettingValue value = from_stream(p, code_page);
        // A key given twice: the later value wins, as when properties are assigned in turn.
        if (SettingValue* existing = find(loaded.entries, value.name))
            *existing = std::move(value);
        else
            loaded.entries.push_back(std::move(value));
    }
    decipher(loaded.entries, keys::SmtpPassword, keys::SmtpAccount, keys::SmtpServer);
    decipher(loaded.entries, keys::HttpPassword, keys::HttpAccount, keys::HttpServer);
    if (!read.complete()) loaded.error = invalid_settings_message(read);
    return loaded;
}

std::string invalid_settings_message(const StreamReadResult& result) { return invalid_resource_message("settings", result); }

}  // namespace roadsum
