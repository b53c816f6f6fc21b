// The screenshot page's handler: the report's screenshot on the page, edited in the program
// the shell opens bitmaps with for editing, taken back when the file changes, and whether it
// goes along.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "crash/capture/crash_exception.h"
#include "crash/common/pixel_image.h"
#include "crash/pages/nv_form.h"
#include "crash/picture/bitmap.h"

namespace roadsum {

// The file and the editor behind the page ("screenShot.bmp" in the reporter's temporary
// folder, the shell's "edit" verb on Windows).
class ScreenshotEditing {
public:
    virtual ~ScreenshotEditing() = default;
    virtual std::string FilePath() = 0;
    virtual bool Write(const std::string& path, const INVBitmap& picture) = 0;
    // The file's last-write time; nothing when there is no such file.
    virtual std::optional<std::uint64_t> FileTime(const std::string& path) = 0;
    // Null when the file cannot be read as a bitmap (yet).
    virtual std::shared_ptr<INVBitmap> Load(const std::string& path) = 0;
    // Starts the editor on the file, maximised; false when nothing could open it.
    virtual bool StartEditor(const std::string& path) = 0;
    virtual bool EditorRunning() = 0;
    // Lets go of the editor (it keeps running).
    virtual void ReleaseEditor() = 0;
    virtual void Delete(const std::string& path) = 0;
    virtual void Beep() = 0;
};

// One event of the screenshot page (see page_handlers.h); nothing happens without a report.
void ScreenshotFormEvent(INVForm& form, int action, INVItem* item, INXException* report, ScreenshotEditing& editing);

// The picture shown in an image of width × height: zoomed to fit with its proportions kept,
// centred on `background`.
PixelImage FitPicture(const INVBitmap& picture, int width, int height, std::uint32_t background);
// Around the screenshot on the page: grey, so that a screenshot's own white edges show.
inline constexpr std::uint32_t kScreenshotMargin = rgb_pixel(0xA0, 0xA0, 0xA0);

// The handler the page resource names; it edits through what is set here (none: clicking the
// picture only beeps where that can be done).
void NV_HANDLER_CALL HandleScreenshotForm(INVForm* form, int action, INVItem* item, void* exception);
void SetScreenshotEditing(ScreenshotEditing* editing);

}  // namespace roadsum
