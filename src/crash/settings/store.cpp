#include "crash/settings/store.h"

#include <cstdlib>
#include <cstring>

namespace roadsum {

ModuleRecord* ModuleList::find(ModuleHandle module) const {
    for (ModuleRecord* r = head_; r; r = r->next)
        if (r->module == module) return r;
    return nullptr;
}

ModuleRecord* ModuleList::acquire(ModuleHandle module, const std::function<ModuleSettingsData()>& load) {
    if (ModuleRecord* r = find(module)) {
        ++r->ref_count;
        return r;
    }
    ModuleRecord* r = create(module, load());
    if (!r) return nullptr;
    ModuleRecord** tail = &head_;
    while (*tail) tail = &(*tail)->next;
    *tail = r;
    return r;
}

bool ModuleList::release(ModuleHandle module) {
    for (ModuleRecord** link = &head_; *link; link = &(*link)->next) {
        ModuleRecord* r = *link;
        if (r->module != module) continue;
        if (--r->ref_count <= 0) {
            *link = r->next;
            free_record(r);
        }
        return true;
    }
    return false;
}

ModuleSettingsData ModuleList::copy_of(const ModuleRecord& record) {
    ModuleSettingsData data;
    data.valid = record.valid != 0;
    data.entries.reserve(static_cast<std::size_t>(record.count));
    for (std::int32_t i = 0; i < record.count; ++i) {
        const SharedSetting& s = record.settings[i];
        SettingValue v;
        v.name = s.name;
        v.kind = static_cast<SettingKind>(s.kind);
        v.byte_value = s.byte_value;
        v.int_value = s.int_value;
        v.text.assign(s.text, s.text_length);
        data.entries.push_back(std::move(v));
    }
    return data;
}

ModuleRecord* ModuleList::create(ModuleHandle module, const ModuleSettingsData& data) {
    auto* r = static_cast<ModuleRecord*>(heap_.allocate(sizeof(ModuleRecord)));
    if (!r) return nullptr;
    *r = ModuleRecord{module, 1, 0, 0, data.valid ? 1u : 0u, nullptr, nullptr};
    for (const SettingValue& v : data.entries) {
        if (!append_setting(*r, v)) {
            free_record(r);
            return nullptr;
        }
    }
    return r;
}

bool ModuleList::append_setting(ModuleRecord& record, const SettingValue& value) {
    if (record.count == record.capacity) {
        std::int32_t capacity = record.capacity == 0 ? kInitialSettingsCapacity : record.capacity * 2;
        auto* grown = static_cast<SharedSetting*>(heap_.allocate(sizeof(SharedSetting) * capacity));
        if (!grown) return false;
        if (record.count) std::memcpy(grown, record.settings, sizeof(SharedSetting) * record.count);
        heap_.release(record.settings);
        record.settings = grown;
        record.capacity = capacity;
    }
    char* name = copy_text(value.name);
    char* text = name ? copy_text(value.text) : nullptr;
    if (!text) {
        heap_.release(name);
        return false;
    }
    record.settings[record.count++] = SharedSetting{name,
                                                    text,
                                                    static_cast<std::uint32_t>(value.text.size()),
                                                    value.int_value,
                                                    static_cast<std::uint8_t>(value.kind),
                                                    value.byte_value};
    return true;
}

char* ModuleList::copy_text(const std::string& text) {
    auto* copy = static_cast<char*>(heap_.allocate(text.size() + 1));
    if (!copy) return nullptr;
    std::memcpy(copy, text.data(), text.size());
    copy[text.size()] = '\0';
    return copy;
}

void ModuleList::free_record(ModuleRecord* record) {
    for (std::int32_t i = 0; i < record->count; ++i) {
        heap_.release(record->settings[i].name);
        heap_.release(record->settings[i].text);
    }
    heap_.release(record->settings);
    heap_.release(record);
}

void* MallocHeap::allocate(std::size_t size) { return std::malloc(size); }
void MallocHeap::release(void* block) { std::free(block); }

InProcessSettingsStore::~InProcessSettingsStore() {
    // Records still referenced when the store goes: free them with it.
    while (head_) {
        ModuleHandle module = head_->module;
        head_->ref_count = 1;
        ModuleList(head_, heap_).release(module);
    }
}

std::optional<ModuleSettingsData> InProcessSettingsStore::acquire(ModuleHandle module,
                                                                  const std::function<ModuleSettingsData()>& load) {
    std::lock_guard guard(lock_);
    ModuleRecord* r = ModuleList(head_, heap_).acquire(module, load);
    if (!r) return std::nullopt;
    return ModuleList::copy_of(*r);
}

void InProcessSettingsStore::release(ModuleHandle module) {
    std::lock_guard guard(lock_);
    ModuleList(head_, heap_).release(module);
}

int InProcessSettingsStore::references(ModuleHandle module) {
    std::lock_guard guard(lock_);
    ModuleRecord* r = ModuleList(head_, heap_).find(module);
    return r ? r->ref_count : 0;
}

bool InProcessSettingsStore::empty() {
    std::lock_guard guard(lock_);
    return head_ == nullptr;
}

}  // namespace roadsum

namespace roadsum {

std::string process_object_name(std::string_view prefix, std::uint32_t process_id) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string name(prefix);
    name += '$';
    for (int shift = 28; shift >= 0; shift -= 4) name += kHex[(process_id >> shift) & 15];
    return name;
}

}  // namespace roadsum
