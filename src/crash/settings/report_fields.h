// An ordered list of named fields (label and content): a report's header fields and
// sections, and the extra form fields of an upload (the AddFields setting).
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "crash/settings/change_notifier.h"
#include "crash/settings/ref_counted.h"

namespace roadsum {

using NamedField = std::pair<std::string, std::string>;  // label, content

class INXFields : public virtual RefCounted {
public:
    virtual int Count() const = 0;
    virtual std::vector<NamedField> Items() const = 0;
    virtual std::optional<std::string> Find(std::string_view label) const = 0;
    // The position of the label; -1 when it is not listed.
    virtual int IndexOf(std::string_view label) const = 0;
    // The content is trimmed; an existing label keeps its place and takes the new content;
    // empty content deletes the label; a new label goes to the end or to the insert index.
    virtual void Add(std::string_view label, std::string_view content) = 0;
    virtual void Delete(std::string_view label) = 0;
    virtual void Clear() = 0;
    // Where new labels go (each insertion moves the index on); -1 for the end.
    virtual void SetInsertIndex(int index) = 0;
    // Counts every change, so that a text made from the list knows whether it is still current.
    virtual std::uint64_t Modification() const = 0;
};

class TReportFields final : public INXFields {
public:
    int Count() const override;
    std::vector<NamedField> Items() const override;
    std::optional<std::string> Find(std::string_view label) const override;
    int IndexOf(std::string_view label) const override;
    void Add(std::string_view label, std::string_view content) override;
    void Delete(std::string_view label) override;
    void Clear() override;
    void SetInsertIndex(int index) override;
    std::uint64_t Modification() const override { return modification_.load(std::memory_order_acquire); }

    // The "name=value|name=value" form of the AddFields setting; names and values are trimmed,
    // an entry without either is left out.
    void Load(std::string_view text);  // replaces the list without telling the owner (but counts)
    std::string Joined() const;

    ChangeNotifier& OnChange() { return on_change_; }

private:
    mutable std::mutex lock_;
    std::vector<NamedField> items_;
    int insert_index_ = -1;
    std::atomic<std::uint64_t> modification_{0};
    ChangeNotifier on_change_;

    void Changed();  // with lock_ held
};

}  // namespace roadsum
