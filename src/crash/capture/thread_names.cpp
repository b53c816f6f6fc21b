#include "crash/capture/thread_names.h"

#include <algorithm>
#include <cstring>

namespace roadsum {

namespace {

void copy_cut(char (&to)[64], std::string_view text) {
    const std::size_t n = std::min(text.size(), sizeof to - 1);
    std::memcpy(to, text.data(), n);
    to[n] = '\0';
}

TThreadNameEntry entry_of(const TThreadNameNode& n) {
    return {n.ThreadId, n.CreatorId, n.ThreadFunction, n.Name, n.ClassName};
}

}  // namespace

TThreadNameNode* TThreadNameList::node(std::uint32_t thread_id) const {
    for (TThreadNameNode* n = head_; n; n = n->Next)
        if (n->ThreadId == thread_id) return n;
    return nullptr;
}

TThreadNameNode* TThreadNameList::add(std::uint32_t thread_id) {
    if (TThreadNameNode* n = node(thread_id)) return n;
    auto* n = static_cast<TThreadNameNode*>(heap_.allocate(sizeof(TThreadNameNode)));
    if (!n) return nullptr;
    std::memset(n, 0, sizeof *n);
    n->ThreadId = thread_id;
    // At the end, so that the list keeps the order in which threads were entered.
    TThreadNameNode** link = &head_;
    while (*link) link = &(*link)->Next;
    *link = n;
    return n;
}

bool TThreadNameList::SetName(std::uint32_t thread_id, std::string_view name) {
    TThreadNameNode* n = add(thread_id);
    if (!n) return false;
    copy_cut(n->Name, name);
    return true;
}

bool TThreadNameList::EnterCreated(std::uint32_t thread_id, std::uint32_t creator_id, std::uint32_t thread_function,
                                   std::string_view class_name) {
    TThreadNameNode* n = add(thread_id);
    if (!n) return false;
    n->CreatorId = creator_id;
    n->ThreadFunction = thread_function;
    copy_cut(n->ClassName, class_name);
    return true;
}

bool TThreadNameList::Remove(std::uint32_t thread_id) {
    for (TThreadNameNode** link = &head_; *link; link = &(*link)->Next) {
        if ((*link)->ThreadId != thread_id) continue;
        TThreadNameNode* gone = *link;
        *link = gone->Next;
        heap_.release(gone);
        return true;
    }
    return false;
}

std::optional<TThreadNameEntry> TThreadNameList::Find(std::uint32_t thread_id) const {
    if (const TThreadNameNode* n = node(thread_id)) return entry_of(*n);
    return std::nullopt;
}

std::vector<TThreadNameEntry> TThreadNameList::Entries() const {
    std::vector<TThreadNameEntry> out;
    for (const TThreadNameNode* n = head_; n; n = n->Next) out.push_back(entry_of(*n));
    return out;
}

void TThreadNameList::Clear() {
    while (head_) {
        TThreadNameNode* gone = head_;
        head_ = gone->Next;
        heap_.release(gone);
    }
}

}  // namespace roadsum
