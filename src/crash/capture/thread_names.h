// The thread name list: a name for each thread that has one ("main thread", "-" for the
// reporter's own threads, names given by the program), and for threads started through the
// reporter's hooks who created them, from where, and the class of a thread object. Every
// module of the process that carries the reporter shares one list, so the nodes have a plain
// layout and live in memory any module can free.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "crash/settings/store.h"

namespace roadsum {

inline constexpr const char* kMainThreadName = "main thread";
// The reporter's own threads; they are left out of reports unless a process trace asks.
inline constexpr const char* kReporterThreadName = "-";

// The shared layout: keep it plain.
struct TThreadNameNode {
    TThreadNameNode* Next;
    std::uint32_t ThreadId;
    std::uint32_t CreatorId;       // 0 when the thread was not created through the hooks
    std::uint32_t ThreadFunction;  // its function's address
    char Name[64];
    char ClassName[64];            // of a thread object
};

struct TThreadNameEntry {
    std::uint32_t ThreadId = 0;
    std::uint32_t CreatorId = 0;
    std::uint32_t ThreadFunction = 0;
    std::string Name;
    std::string ClassName;

    friend bool operator==(const TThreadNameEntry&, const TThreadNameEntry&) = default;
};

// Operations on one list. The caller holds the list's lock.
class TThreadNameList {
public:
    TThreadNameList(TThreadNameNode*& head, RawHeap& heap) : head_(head), heap_(heap) {}

    // Names a thread, entering it when it is not listed; names longer than 63 characters are
    // cut. False when memory ran out.
    bool SetName(std::uint32_t thread_id, std::string_view name);
    // Enters a thread started through the hooks (keeping a name it was given already).
    bool EnterCreated(std::uint32_t thread_id, std::uint32_t creator_id, std::uint32_t thread_function,
                      std::string_view class_name);
    bool Remove(std::uint32_t thread_id);
    std::optional<TThreadNameEntry> Find(std::uint32_t thread_id) const;
    std::vector<TThreadNameEntry> Entries() const;
    void Clear();

private:
    TThreadNameNode* node(std::uint32_t thread_id) const;
    TThreadNameNode* add(std::uint32_t thread_id);

    TThreadNameNode*& head_;
    RawHeap& heap_;
};

}  // namespace roadsum
