// The sending progress window on the reporter's progress alert: one area for each step the
// send shows, the bar moved as the methods report.
#pragma once

#include <cstdint>
#include <functional>

#include "crash/pages/progress_alert.h"
#include "crash/send/send_progress.h"

namespace roadsum {

class ProgressAlertWindows final : public SendProgressWindows {
public:
    // Makes the alert for a caption; the program's makes the reporter's window with the
    // "NXISEND32" bitmap of the module.
    using AlertMaker = std::function<std::shared_ptr<IProgressAlert>(const std::string& caption)>;
    static AlertMaker WithBitmapOf(std::uintptr_t bitmap_module);

    // The window sits over `owner`.
    ProgressAlertWindows(AlertMaker make, std::uintptr_t owner) : make_(std::move(make)), owner_(owner) {}
    std::unique_ptr<SendProgress> Open(const std::string& caption, const SendAreaTexts& areas) override;

private:
    AlertMaker make_;
    std::uintptr_t owner_;
};

}  // namespace roadsum
