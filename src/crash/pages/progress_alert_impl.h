// TIProgressAlert: the areas, the current area and position, and the window they drive
// through a small view interface (the Win32 window, or a test's fake).
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "crash/pages/progress_alert.h"
#include "crash/pages/progress_areas.h"

namespace roadsum {

class ProgressView {
public:
    virtual ~ProgressView() = default;
    // Makes and shows the window; `texts` are the area texts the label must have room for.
    virtual bool open(const std::string& title, const std::vector<std::string>& texts, std::uintptr_t owner) = 0;
    virtual void set_title(const std::string& title) = 0;
    virtual void set_text(const std::string& text) = 0;
    // 0 to 1000; may be called from any thread.
    virtual void set_position(int position) = 0;
    virtual void close() = 0;
    virtual void process_messages() = 0;
    virtual bool cancelled() const = 0;
};

// The view of this platform: the Win32 window, or none away from Windows.
std::unique_ptr<ProgressView> NewProgressView(std::uintptr_t bitmap_module, const std::string& bitmap_name);

class TIProgressAlert final : public IProgressAlert {
public:
    TIProgressAlert(std::string title, std::unique_ptr<ProgressView> view);
    ~TIProgressAlert() override;

    std::string Title() const override;
    void SetTitle(const std::string& title) override;
    void AddArea(std::optional<std::string> text, std::int64_t weight) override;
    void ClearAreas() override;
    void AreaDone() override;
    void SetCurrentArea(int area) override;
    int CurrentArea() const override;
    void SetPosition(int position) override;
    int OverallPosition() const override;
    bool Show(std::uintptr_t owner) override;
    void Close() override;
    void ProcessMessages() override;
    bool Cancelled() const override;

private:
    // What the window shows now; called with the lock held.
    void update_view(bool text);

    // Recursive: the window handles its messages while a position is set, and a handler
    // there may set the next one.
    mutable std::recursive_mutex mutex_;
    std::string title_;
    ProgressAreas areas_;
    std::size_t current_ = 0;
    int position_ = 0;
    bool shown_ = false;
    std::unique_ptr<ProgressView> view_;
};

}  // namespace roadsum
