// The settings of one module as the crash reporter asks them: typed getters and setters by
// key, generic access by name, expanded texts, assistants, plug-ins and the extra lists.
//
// A getter looks in the object's own set, then, for the module whose settings rule the
// process, in the built-in defaults, and for any other module in the ruling settings. Setters
// change only the object's own set, so a report object (derived from TCrashSettings) can
// change its copy without touching the module's.
#pragma once

#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "crash/settings/expand.h"
#include "crash/settings/keys.h"
#include "crash/settings/ref_counted.h"
#include "crash/settings/report_attachments.h"
#include "crash/settings/report_fields.h"
#include "crash/settings/store.h"
#include "crash/settings/value.h"

namespace roadsum {

class SettingsContext;

class INXModuleSettings : public virtual RefCounted {
public:
    virtual ModuleHandle Module() const = 0;
    // False when the module has no settings resource: getters answer defaults, setters fail.
    virtual bool Valid() const = 0;
    // The module's VersionVar text, else its file version, else "?".
    virtual std::string VersionText() const = 0;
};

struct AssistantDefinition {
    std::string name;
    std::string caption;
    std::vector<std::string> pages;

    friend bool operator==(const AssistantDefinition&, const AssistantDefinition&) = default;
};

// What the user entered into one item of an assistant page.
struct CachedPageItem {
    std::string text;
    bool checked = false;

    friend bool operator==(const CachedPageItem&, const CachedPageItem&) = default;
};

class INXSettings : public virtual INXModuleSettings {
public:
    // Generic access by key name. A missing key reads as false, 0 or "".
    virtual bool GetBool(std::string_view name) const = 0;
    virtual std::int32_t GetInteger(std::string_view name) const = 0;
    virtual std::uint32_t GetValue(std::string_view name) const = 0;  // the 32 bits of a number
    virtual std::string GetText(std::string_view name) const = 0;     // expanded
    // False when the object has no valid settings.
    virtual bool SetBool(std::string_view name, bool value) = 0;
    virtual bool SetInteger(std::string_view name, std::int32_t value) = 0;
    virtual bool SetByte(std::string_view name, std::uint8_t value) = 0;
    virtual bool SetText(std::string_view name, std::string_view value) = 0;

    // Typed access: one getter and one setter for every key of settings_keys.h.
    bool Get(BoolKey key) const { return GetBool(key.name); }
    std::int32_t Get(IntKey key) const { return GetInteger(key.name); }
    int Get(EnumKey key) const { return GetInteger(key.name); }
    std::string Get(TextKey key) const { return GetText(key.name); }
    bool Set(BoolKey key, bool value) { return SetBool(key.name, value); }
    bool Set(IntKey key, std::int32_t value) { return SetInteger(key.name, value); }
    bool Set(EnumKey key, std::uint8_t value) { return SetByte(key.name, value); }
    bool Set(TextKey key, std::string_view value) { return SetText(key.name, value); }

    // The percent variables replaced as for a text setting of this object.
    virtual std::string ExpandText(std::string_view text) const = 0;
    // BugRepFile as a file name: "%appname%" and "%modname%" without their extensions.
    virtual std::string BugRepFileName() const = 0;

    // The assistant named (ignoring case) by one of Assistant1, Assistant2, ...
    virtual std::optional<AssistantDefinition> FindAssistant(std::string_view name) const = 0;
    // What users typed into assistant pages, kept for the next assistant of the same report.
    virtual void StorePageItem(std::string_view page, std::string_view item, const CachedPageItem& value) = 0;
    virtual std::optional<CachedPageItem> PageItem(std::string_view page, std::string_view item) const = 0;

    // Plug-in names in Plugins (compared ignoring case). Adding puts the name in front.
    virtual bool HasPlugin(std::string_view name) const = 0;
    virtual bool SetPlugin(std::string_view name, bool enabled) = 0;

    // AddAttachs and AddFields as lists; a change writes the list back into this object's set.
    virtual Ref<INXAttachments> AddAttachs() = 0;
    virtual Ref<INXFields> AddFields() = 0;
};

class TCrashSettings : public virtual INXSettings {
public:
    // The settings of `module` with the data its record held; `referenced` tells whether the
    // object holds one of the record's references (released when it goes).
    TCrashSettings(SettingsContext& context, ModuleHandle module, ModuleSettingsData data, bool referenced);
    ~TCrashSettings() override;

    ModuleHandle Module() const override { return module_; }
    bool Valid() const override { return valid_; }
    std::string VersionText() const override;

    bool GetBool(std::string_view name) const override;
    std::int32_t GetInteger(std::string_view name) const override;
    std::uint32_t GetValue(std::string_view name) const override;
    std::string GetText(std::string_view name) const override;
    bool SetBool(std::string_view name, bool value) override;
    bool SetInteger(std::string_view name, std::int32_t value) override;
    bool SetByte(std::string_view name, std::uint8_t value) override;
    bool SetText(std::string_view name, std::string_view value) override;

    std::string ExpandText(std::string_view text) const override;
    std::string BugRepFileName() const override;

    std::optional<AssistantDefinition> FindAssistant(std::string_view name) const override;
    void StorePageItem(std::string_view page, std::string_view item, const CachedPageItem& value) override;
    std::optional<CachedPageItem> PageItem(std::string_view page, std::string_view item) const override;

    bool HasPlugin(std::string_view name) const override;
    bool SetPlugin(std::string_view name, bool enabled) override;

    Ref<INXAttachments> AddAttachs() override;
    Ref<INXFields> AddFields() override;

    // The value a getter starts from: own set, then defaults or the ruling settings.
    std::optional<SettingValue> Lookup(std::string_view name) const;

protected:
    // A report object's copy: the same module, its own reference to the module's record and
    // its own copy of the settings as they stand now.
    explicit TCrashSettings(const TCrashSettings& source);

    // Report objects give "%exceptClass%", "%exceptMsg%" and "%bugReport%"; settings leave them.
    virtual std::optional<std::string> ReportVariable(TextVariable variable) const;
    // Report objects tell whether they carry a screenshot; settings have none to tell.
    virtual std::optional<bool> ReportHasScreenshot() const { return std::nullopt; }

    SettingsContext& Context() const { return context_; }

private:
    class Variables;
    enum class NameForm { Plain, FileName };

    std::string Expand(std::string_view text, NameForm form) const;
    std::string RawText(std::string_view name) const;
    bool Store(SettingValue value);
    template <class List>
    Ref<List> ListOf(Ref<List>& slot, TextKey key);

    SettingsContext& context_;
    const ModuleHandle module_;
    const bool valid_;
    const bool referenced_;

    mutable std::mutex lock_;  // own set, page cache and lists: report objects are shared between threads
    std::vector<SettingValue> own_;
    std::map<std::string, CachedPageItem, std::less<>> page_cache_;
    Ref<TReportAttachments> attachments_;
    Ref<TReportFields> fields_;
};

}  // namespace roadsum
