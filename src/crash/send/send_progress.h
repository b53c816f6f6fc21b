// What a send method tells the progress window: which of its areas runs now and how far the
// area has come. The window itself lives elsewhere; a method without one passes nothing.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace roadsum {

// The areas of the sending progress window, in the order the window lists them.
enum class SendArea {
    PrepareAttachments,  // PrepAttMsg
    MxLookup,            // MxLookMsg
    Connect,             // ConnMsg
    Authenticate,        // AuthMsg
    SendMail,            // SendMailMsg
    Fields,              // FieldMsg
    SendAttachments,     // SendAttMsg
    Finalize,            // SendFinalMsg
};

class SendProgress {
public:
    virtual ~SendProgress() = default;
    virtual void Area(SendArea area) = 0;
    // Progress within the current area in thousandths (0..1000).
    virtual void Position(int permille) = 0;
};

// Tells nobody.
class NoSendProgress final : public SendProgress {
public:
    void Area(SendArea) override {}
    void Position(int) override {}
};

// The areas a send shows, each with its text, in the window's order.
using SendAreaTexts = std::vector<std::pair<SendArea, std::string>>;

// Opens the sending progress window (caption, the "NXISEND32" bitmap, the areas); it closes
// when the returned object goes. Supplied by the room of the reporter's windows.
class SendProgressWindows {
public:
    virtual ~SendProgressWindows() = default;
    virtual std::unique_ptr<SendProgress> Open(const std::string& caption, const SendAreaTexts& areas) = 0;
};

}  // namespace roadsum
