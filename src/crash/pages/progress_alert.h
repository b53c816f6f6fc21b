// The progress window's interface (noxNVPrgrAlert): work split into weighted areas, each run
// from position 0 to 1000, shown as one bar over the whole. Portable, so that the stack
// tracer, the report completion and the sending code report progress without knowing windows.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace roadsum {

class IProgressAlert {
public:
    virtual ~IProgressAlert() = default;

    virtual std::string Title() const = 0;
    virtual void SetTitle(const std::string& title) = 0;

    // Appends an area after the others; without a text it repeats the previous area's text.
    // Weights are relative; negative weights count as 0.
    virtual void AddArea(std::optional<std::string> text, std::int64_t weight) = 0;
    virtual void ClearAreas() = 0;
    // Finishes the current area: the next one starts (after the last: the bar is full).
    virtual void AreaDone() = 0;
    // Starts area n at position 0 and shows its text; n equal to the number of areas
    // finishes the last area. Other values are ignored.
    virtual void SetCurrentArea(int area) = 0;
    virtual int CurrentArea() const = 0;
    // 0 to 1000 within the current area; values outside are clamped.
    virtual void SetPosition(int position) = 0;
    // The bar's position over all areas, 0 to 1000.
    virtual int OverallPosition() const = 0;

    // Opens the window over the owner (a window handle, 0 for none), which stays disabled
    // until Close; false when the window cannot be made.
    virtual bool Show(std::uintptr_t owner = 0) = 0;
    virtual void Close() = 0;
    // Handles the window's pending messages (on the window's thread).
    virtual void ProcessMessages() = 0;
    // Whether the user asked to stop (the window's button or its close box).
    virtual bool Cancelled() const = 0;
};

// The progress window with a title and, when bitmap_name is given, the bitmap resource of
// that name (type 2) from the module drawn at the left of the text. Where there are no
// windows (away from Windows) the alert keeps its areas and shows nothing.
std::shared_ptr<IProgressAlert> NewProgressAlert(const std::string& title, std::uintptr_t bitmap_module = 0,
                                                 const std::string& bitmap_name = {});

}  // namespace roadsum
