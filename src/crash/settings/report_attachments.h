// The extra files that go along with a sent report (the AddAttachs setting), in order.
#pragma once

#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "crash/settings/change_notifier.h"
#include "crash/settings/ref_counted.h"

namespace roadsum {

struct Attachment {
    std::string file;     // the file to attach
    std::string send_as;  // the name it is sent as
    std::string zip;      // the ZIP archive it is packed into; empty: not packed
    std::string field;    // the form field of the HTTP upload

    friend bool operator==(const Attachment&, const Attachment&) = default;
};

class INXAttachments : public virtual RefCounted {
public:
    virtual int Count() const = 0;
    virtual std::vector<Attachment> Items() const = 0;
    // An empty send-as name becomes the file's own name; an empty field name the send-as
    // name without its extension. Without a file nothing is added (false).
    virtual bool Add(std::string_view file, std::string_view send_as = {}, std::string_view zip = {},
                     std::string_view field = {}) = 0;
    virtual bool Delete(int index) = 0;
    virtual void Clear() = 0;
};

class TReportAttachments final : public INXAttachments {
public:
    int Count() const override;
    std::vector<Attachment> Items() const override;
    bool Add(std::string_view file, std::string_view send_as = {}, std::string_view zip = {},
             std::string_view field = {}) override;
    bool Delete(int index) override;
    void Clear() override;

    // The setting's form: entries separated by "|", each "file>send-as>zip>field".
    void Load(std::string_view text);  // replaces the list without telling the owner
    std::string Joined() const;

    ChangeNotifier& OnChange() { return on_change_; }

private:
    mutable std::mutex lock_;
    std::vector<Attachment> items_;
    ChangeNotifier on_change_;
};

// The attachment as added: defaults filled in; nothing when it has no file.
std::optional<Attachment> complete_attachment(std::string_view file, std::string_view send_as,
                                              std::string_view zip, std::string_view field);

}  // namespace roadsum
