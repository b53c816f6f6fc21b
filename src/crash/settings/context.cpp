#include "crash/settings/context.h"

#include "crash/settings/settings_stream.h"

namespace roadsum {

SettingsContext::SettingsContext(SettingsEnvironment& environment, ModuleSource& modules, SettingsStore& store)
    : environment_(environment), modules_(modules), store_(store) {}

SettingsContext::~SettingsContext() { ReleaseRuling(); }

ModuleSettingsData SettingsContext::Load(ModuleHandle module, std::optional<std::string>& error) const {
    ModuleSettingsData data;
    std::optional<std::vector<std::uint8_t>> resource = modules_.settings_resource(module);
    if (!resource) return data;
    LoadedSettings loaded = read_settings_stream(*resource, environment_.code_page());
    data.entries = std::move(loaded.entries);
    data.valid = true;
    error = std::move(loaded.error);
    return data;
}

Ref<TCrashSettings> SettingsContext::SettingsOf(ModuleHandle module) {
    std::optional<std::string> error;
    std::optional<ModuleSettingsData> data = store_.acquire(module, [&] { return Load(module, error); });
    // Messages wait until the store's lock is free again.
    if (error) environment_.show_error(*error, kSettingsMessageCaption);
    if (!data) {
        environment_.show_error(kSettingsBufferErrorMessage, kSettingsMessageCaption);
        return make_ref<TCrashSettings>(*this, module, ModuleSettingsData{}, false);
    }
    return make_ref<TCrashSettings>(*this, module, std::move(*data), true);
}

bool SettingsContext::Reference(ModuleHandle module) {
    // The record is listed while the source object holds it, so nothing is loaded here.
    return store_.acquire(module, [] { return ModuleSettingsData{}; }).has_value();
}

void SettingsContext::Release(ModuleHandle module) { store_.release(module); }

Ref<TCrashSettings> SettingsContext::RulingSettings() {
    std::lock_guard guard(ruling_lock_);
    if (!ruling_holder_) {
        ruling_holder_ = ChooseRuling();
        ruling_.store(ruling_holder_.get(), std::memory_order_release);
    }
    return ruling_holder_;
}

void SettingsContext::ReleaseRuling() {
    Ref<TCrashSettings> old;
    {
        std::lock_guard guard(ruling_lock_);
        ruling_.store(nullptr, std::memory_order_release);
        old = std::move(ruling_holder_);
    }
}

Ref<TCrashSettings> SettingsContext::ChooseRuling() {
    auto counts = [](const Ref<TCrashSettings>& s) { return s->Valid() && !s->Get(keys::NoSettings); };
    Ref<TCrashSettings> own = SettingsOf(modules_.reporter_module());
    if (counts(own)) return own;
    if (ModuleHandle ide = modules_.find_loaded(kIdePackageName)) {
        Ref<TCrashSettings> s = SettingsOf(ide);
        if (s->Valid()) return s;
    }
    Ref<TCrashSettings> first;
    for (ModuleHandle module : modules_.images()) {
        Ref<TCrashSettings> s = module == own->Module() ? own : SettingsOf(module);
        if (!s->Valid()) continue;
        if (counts(s)) return s;
        if (!first) first = s;
    }
    return first ? first : own;
}

}  // namespace roadsum
