// An assistant (TNVAssistant): a title and pages shown one after the other. Built from the
// page resources of a module; a page whose resource is missing or corrupt is left out.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "crash/pages/nv_form.h"

namespace roadsum {

class INVAssistant {
public:
    virtual ~INVAssistant() = default;
    virtual const std::string& Title() const = 0;
    virtual void SetTitle(const std::string& title) = 0;
    virtual int FormCount() const = 0;
    virtual std::shared_ptr<INVForm> Form(int index) const = 0;  // null outside the range
    virtual std::shared_ptr<INVForm> Form(std::string_view name) const = 0;
    // The pages in turn over the owner, which stays disabled meanwhile: 3 when a page was
    // cancelled, else 1.
    virtual int ShowModal(std::uintptr_t owner = 0) = 0;
    // What the pages' handlers receive with each event (the report); kept alive here.
    virtual std::shared_ptr<void> Exception() const = 0;
    virtual void SetException(std::shared_ptr<void> exception) = 0;
};

class TNVAssistant final : public INVAssistant {
public:
    explicit TNVAssistant(std::string title) : title_(std::move(title)) {}

    const std::string& Title() const override { return title_; }
    void SetTitle(const std::string& title) override { title_ = title; }
    int FormCount() const override { return static_cast<int>(forms_.size()); }
    std::shared_ptr<INVForm> Form(int index) const override;
    std::shared_ptr<INVForm> Form(std::string_view name) const override;
    int ShowModal(std::uintptr_t owner = 0) override;
    std::shared_ptr<void> Exception() const override { return exception_; }
    void SetException(std::shared_ptr<void> exception) override { exception_ = std::move(exception); }

    void AddForm(std::shared_ptr<TNVForm> form) { forms_.push_back(std::move(form)); }

private:
    std::string title_;
    std::vector<std::shared_ptr<TNVForm>> forms_;
    std::shared_ptr<void> exception_;
};

// Where page resources come from: the bytes of a raw-data resource by name, or nothing.
class FormResources {
public:
    virtual ~FormResources() = default;
    virtual std::optional<std::vector<std::uint8_t>> find(const std::string& resource_name) const = 0;
};

// Shows the reporter's message about a corrupt resource (a message box on Windows).
using ResourceErrorSink = std::function<void(const std::string& text, const std::string& caption)>;

// An assistant of the named pages, each read from its resource "TNX" + NAME; missing pages are
// left out, corrupt ones too after their message. The creation hook then sees it.
std::shared_ptr<TNVAssistant> BuildAssistant(const std::string& title, const std::vector<std::string>& form_names,
                                             const FormResources& resources, const ResourceErrorSink& errors);

// Called with every assistant built, so that the crash reporter can adjust it; returns the
// hook before.
using AssistantHook = std::function<void(INVAssistant&)>;
AssistantHook SetAssistantCreatedHook(AssistantHook hook);

}  // namespace roadsum
