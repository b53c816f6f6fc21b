#include "crash/settings/crash_settings.h"

#include <algorithm>
#include <cstdio>

#include "crash/common/file_names.h"
#include "crash/common/text_lists.h"
#include "crash/settings/context.h"
#include "crash/settings/defaults.h"

namespace roadsum {

namespace {

std::string_view without_extension(std::string_view name) { return name.substr(0, name.rfind('.')); }

std::string_view folder_of(std::string_view path) {
    std::size_t slash = path.find_last_of("\\/");
    return slash == std::string_view::npos ? std::string_view() : path.substr(0, slash);
}

std::string page_cache_key(std::string_view page, std::string_view item) {
    std::string key(page);
    key += '\0';
    key += item;
    return key;
}

}  // namespace

// The variables as this object sees them; each value is worked out once per expansion.
class TCrashSettings::Variables final : public TextVariables {
public:
    Variables(const TCrashSettings& owner, NameForm form) : owner_(owner), form_(form) {}

    std::optional<std::string> value(TextVariable variable) const override {
        SettingsEnvironment& env = owner_.context_.Environment();
        switch (variable) {
            case TextVariable::AppName: return name_of(env.executable());
            case TextVariable::ModName: return name_of(owner_.module_);
            case TextVariable::AppVersion:
                if (owner_.module_ == env.executable()) return owner_.VersionText();
                return owner_.context_.SettingsOf(env.executable())->VersionText();
            case TextVariable::ModVersion: return owner_.VersionText();
            case TextVariable::ExceptClass:
            case TextVariable::ExceptMsg:
            case TextVariable::BugReport: return owner_.ReportVariable(variable);
            case TextVariable::LineBreak: return std::string("\r\n");
            case TextVariable::Date: return local_date_text(now());
            case TextVariable::Time: return local_time_text(now());
            case TextVariable::DateTime: return local_date_text(now()) + ", " + local_time_text(now());
            case TextVariable::ComputerName: return env.computer_name();
            case TextVariable::UserAppData: return folder(SpecialFolder::UserAppData);
            case TextVariable::CommonAppData: return folder(SpecialFolder::CommonAppData);
        }
        return std::nullopt;
    }

private:
    std::string name_of(ModuleHandle module) const {
        std::string path = owner_.context_.Environment().module_path(module);
        std::string_view name = file_name_of(path);
        return std::string(form_ == NameForm::FileName ? without_extension(name) : name);
    }

    // One reading of the clock, so that "%date% %time%" cannot straddle midnight.
    const LocalTime& now() const {
        if (!now_) now_ = owner_.context_.Environment().local_time();
        return *now_;
    }

    std::optional<std::string> folder(SpecialFolder which) const {
        SettingsEnvironment& env = owner_.context_.Environment();
        std::optional<std::string> path = env.special_folder(which);
        if (!path) return std::nullopt;
        if (path->empty()) *path = folder_of(env.module_path(env.executable()));
        while (!path->empty() && (path->back() == '\\' || path->back() == '/')) path->pop_back();
        return path;
    }

    const TCrashSettings& owner_;
    NameForm form_;
    mutable std::optional<LocalTime> now_;
};

TCrashSettings::TCrashSettings(SettingsContext& context, ModuleHandle module, ModuleSettingsData data, bool referenced)
    : context_(context), module_(module), valid_(data.valid), referenced_(referenced), own_(std::move(data.entries)) {}

TCrashSettings::TCrashSettings(const TCrashSettings& source)
    : RefCounted(),
      context_(source.context_),
      module_(source.module_),
      valid_(source.valid_),
      referenced_(source.referenced_ && source.context_.Reference(source.module_)) {
    std::lock_guard guard(source.lock_);
    own_ = source.own_;
    page_cache_ = source.page_cache_;
}

TCrashSettings::~TCrashSettings() {
    if (attachments_) attachments_->OnChange().detach();
    if (fields_) fields_->OnChange().detach();
    if (referenced_) context_.Release(module_);
}

std::optional<SettingValue> TCrashSettings::Lookup(std::string_view name) const {
    {
        std::lock_guard guard(lock_);
        for (const SettingValue& v : own_)
            if (v.name == name) return v;
    }
    const TCrashSettings* ruling = context_.CurrentRuling();
    if (ruling && ruling->Module() != module_) return ruling->Lookup(name);
    if (const SettingValue* d = find_builtin_default(name)) return *d;
    return std::nullopt;
}

bool TCrashSettings::GetBool(std::string_view name) const {
    std::optional<SettingValue> v = Lookup(name);
    return v && v->as_bool();
}

std::int32_t TCrashSettings::GetInteger(std::string_view name) const {
    std::optional<SettingValue> v = Lookup(name);
    return v ? v->as_int() : 0;
}

std::uint32_t TCrashSettings::GetValue(std::string_view name) const {
    return static_cast<std::uint32_t>(GetInteger(name));
}

std::string TCrashSettings::RawText(std::string_view name) const {
    std::optional<SettingValue> v = Lookup(name);
    return v && v->kind == SettingKind::Text ? v->text : std::string();
}

std::string TCrashSettings::GetText(std::string_view name) const { return Expand(RawText(name), NameForm::Plain); }

bool TCrashSettings::Store(SettingValue value) {
    if (!valid_) return false;
    Ref<TReportAttachments> attachments;
    Ref<TReportFields> fields;
    {
        std::lock_guard guard(lock_);
        auto it = std::find_if(own_.begin(), own_.end(), [&](const SettingValue& v) { return v.name == value.name; });
        if (it != own_.end())
            *it = value;
        else
            own_.push_back(value);
        if (value.name == keys::AddAttachs.name) attachments = attachments_;
        if (value.name == keys::AddFields.name) fields = fields_;
    }
    // A list handed out earlier follows a text set directly.
    if (attachments) attachments->Load(value.kind == SettingKind::Text ? value.text : std::string());
    if (fields) fields->Load(value.kind == SettingKind::Text ? value.text : std::string());
    return true;
}

bool TCrashSettings::SetBool(std::string_view name, bool value) {
    return Store(SettingValue::boolean(std::string(name), value));
}

bool TCrashSettings::SetInteger(std::string_view name, std::int32_t value) {
    return Store(SettingValue::integer(std::string(name), value));
}

bool TCrashSettings::SetByte(std::string_view name, std::uint8_t value) {
    return Store(SettingValue::byte(std::string(name), value));
}

bool TCrashSettings::SetText(std::string_view name, std::string_view value) {
    return Store(SettingValue::text_value(std::string(name), std::string(value)));
}

std::string TCrashSettings::VersionText() const {
    SettingsEnvironment& env = context_.Environment();
    std::int32_t offset = Get(keys::VersionVar);
    std::string text = offset != 0 ? env.version_variable(module_, offset) : std::string();
    if (text.empty()) text = env.file_version(module_);
    return text.empty() ? "?" : text;
}

std::optional<std::string> TCrashSettings::ReportVariable(TextVariable) const { return std::nullopt; }

std::string TCrashSettings::Expand(std::string_view text, NameForm form) const {
    if (text.find('%') == std::string_view::npos) return std::string(text);
    return expand_text_variables(text, Variables(*this, form));
}

std::string TCrashSettings::ExpandText(std::string_view text) const { return Expand(text, NameForm::Plain); }

std::string TCrashSettings::BugRepFileName() const {
    return Expand(RawText(keys::BugRepFile.name), NameForm::FileName);
}

std::optional<AssistantDefinition> TCrashSettings::FindAssistant(std::string_view name) const {
    if (name.empty()) return std::nullopt;
    for (int n = 1;; ++n) {
        std::string definition = GetText(std::string(keys::AssistantPrefix) + std::to_string(n));
        if (definition.empty()) return std::nullopt;
        std::vector<std::string_view> fields = split_list(definition, '|');
        if (!equal_ignoring_case(fields[0], name)) continue;

        AssistantDefinition assistant;
        assistant.name = fields[0];
        if (fields.size() > 1) assistant.caption = fields[1];
        std::optional<bool> screenshot = ReportHasScreenshot();
        bool drop_screenshot_page = (screenshot && !*screenshot) || Get(keys::ScrShotDepth) == 0;
        for (std::size_t i = 2; i < fields.size(); ++i) {
            if (fields[i].empty()) continue;
            if (drop_screenshot_page && equal_ignoring_case(fields[i], "ScrShotForm")) continue;
            assistant.pages.emplace_back(fields[i]);
        }
        return assistant;
    }
}

void TCrashSettings::StorePageItem(std::string_view page, std::string_view item, const CachedPageItem& value) {
    std::lock_guard guard(lock_);
    page_cache_[page_cache_key(page, item)] = value;
}

std::optional<CachedPageItem> TCrashSettings::PageItem(std::string_view page, std::string_view item) const {
    std::lock_guard guard(lock_);
    auto it = page_cache_.find(page_cache_key(page, item));
    if (it == page_cache_.end()) return std::nullopt;
    return it->second;
}

bool TCrashSettings::HasPlugin(std::string_view name) const {
    std::string list = RawText(keys::Plugins.name);
    for (std::string_view item : split_list(list, '|'))
        if (equal_ignoring_case(item, name)) return true;
    return false;
}

bool TCrashSettings::SetPlugin(std::string_view name, bool enabled) {
    if (name.empty() || name.find('|') != std::string_view::npos) return false;
    std::string list = RawText(keys::Plugins.name);
    if (enabled) {
        if (HasPlugin(name)) return valid_;
        return Set(keys::Plugins, list.empty() ? std::string(name) : std::string(name) + "|" + list);
    }
    std::string kept;
    for (std::string_view item : split_list(list, '|')) {
        if (equal_ignoring_case(item, name)) continue;
        if (!kept.empty()) kept += '|';
        kept += item;
    }
    return Set(keys::Plugins, kept);
}

// Lists are made on first use and then follow the setting both ways.
template <class List>
Ref<List> TCrashSettings::ListOf(Ref<List>& slot, TextKey key) {
    std::string text = RawText(key.name);
    std::lock_guard guard(lock_);
    if (!slot) {
        slot = make_ref<List>();
        slot->Load(text);
        List* list = slot.get();
        list->OnChange().attach([this, list, key] { SetText(key.name, list->Joined()); });
    }
    return slot;
}

Ref<INXAttachments> TCrashSettings::AddAttachs() { return ListOf(attachments_, keys::AddAttachs); }

Ref<INXFields> TCrashSettings::AddFields() { return ListOf(fields_, keys::AddFields); }

}  // namespace roadsum
