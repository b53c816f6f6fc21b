// The screenshot page's file and editor on Windows: "screenShot.bmp" in the reporter's
// temporary folder, opened with the shell's "edit" verb.
#pragma once

#include <windows.h>

#include "crash/assistants/screenshot_form_handler.h"
#include "crash/common/scoped_handle_win32.h"

namespace roadsum {

class ShellScreenshotEditing final : public ScreenshotEditing {
public:
    std::string FilePath() override;
    bool Write(const std::string& path, const INVBitmap& picture) override;
    std::optional<std::uint64_t> FileTime(const std::string& path) override;
    std::shared_ptr<INVBitmap> Load(const std::string& path) override;
    bool StartEditor(const std::string& path) override;
    bool EditorRunning() override;
    void ReleaseEditor() override { editor_.reset(); }
    void Delete(const std::string& path) override { DeleteFileA(path.c_str()); }
    void Beep() override { ::Beep(60, 60); }

private:
    ScopedThread editor_;  // the editor's process, when the shell started one
};

}  // namespace roadsum
