// The per-process list of module settings. Every module of the process that carries the
// reporter finds the same list, so the records have one plain layout and live in memory that
// any module can free (the process heap on Windows), not in one module's C++ objects.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "crash/settings/value.h"

namespace roadsum {

class RawHeap {
public:
    virtual ~RawHeap() = default;
    virtual void* allocate(std::size_t size) = 0;  // null when there is no room
    virtual void release(void* block) = 0;
};

// The shared layout. Keep it plain: other modules may have been built separately.
struct SharedSetting {
    char* name;
    char* text;
    std::uint32_t text_length;
    std::int32_t int_value;
    std::uint8_t kind;
    std::uint8_t byte_value;
};

struct ModuleRecord {
    std::uintptr_t module;
    std::int32_t ref_count;
    std::int32_t count;
    std::int32_t capacity;
    std::uint32_t valid;  // 0: the module has no settings resource
    SharedSetting* settings;
    ModuleRecord* next;
};

inline constexpr std::int32_t kInitialSettingsCapacity = 131;

// A module's settings as one module's code uses them.
struct ModuleSettingsData {
    std::vector<SettingValue> entries;
    bool valid = false;
};

// Operations on a list of module records. The caller holds the list's lock.
class ModuleList {
public:
    ModuleList(ModuleRecord*& head, RawHeap& heap) : head_(head), heap_(heap) {}

    ModuleRecord* find(ModuleHandle module) const;
    // References the module's record, appending one filled by `load` when the module is not
    // listed. Null when memory ran out.
    ModuleRecord* acquire(ModuleHandle module, const std::function<ModuleSettingsData()>& load);
    // Drops one reference; the record is unlinked and freed with its last one. False when the
    // module is not listed.
    bool release(ModuleHandle module);
    bool empty() const { return head_ == nullptr; }

    static ModuleSettingsData copy_of(const ModuleRecord& record);

private:
    ModuleRecord* create(ModuleHandle module, const ModuleSettingsData& data);
    bool append_setting(ModuleRecord& record, const SettingValue& value);
    char* copy_text(const std::string& text);
    void free_record(ModuleRecord* record);

    ModuleRecord*& head_;
    RawHeap& heap_;
};

// Where settings objects take their module's settings from.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    // References the module's record; `load` fills it when the module is not listed yet.
    // Nothing when the store cannot be opened.
    virtual std::optional<ModuleSettingsData> acquire(ModuleHandle module,
                                                      const std::function<ModuleSettingsData()>& load) = 0;
    virtual void release(ModuleHandle module) = 0;
};

class MallocHeap final : public RawHeap {
public:
    void* allocate(std::size_t size) override;
    void release(void* block) override;
};

// A store inside this module only: for programs without a shared buffer, and for tests.
class InProcessSettingsStore final : public SettingsStore {
public:
    InProcessSettingsStore() = default;
    ~InProcessSettingsStore() override;
    InProcessSettingsStore(const InProcessSettingsStore&) = delete;
    InProcessSettingsStore& operator=(const InProcessSettingsStore&) = delete;

    std::optional<ModuleSettingsData> acquire(ModuleHandle module,
                                              const std::function<ModuleSettingsData()>& load) override;
    void release(ModuleHandle module) override;

    // The module's record references; 0 when it is not listed.
    int references(ModuleHandle module);
    bool empty();

private:
    std::mutex lock_;
    MallocHeap heap_;
    ModuleRecord* head_ = nullptr;
};

}  // namespace roadsum

namespace roadsum {

// The name of a per-process named object: the prefix, "$" and the process id in upper-case
// hexadecimal ("noxExceptSettingsBuf$00000A3C").
std::string process_object_name(std::string_view prefix, std::uint32_t process_id);

}  // namespace roadsum
