#include "crash/assistants/screenshot_editing_win32.h"

#include <shellapi.h>

#include "crash/common/pixel_image_win32.h"
#include "crash/common/scoped_gdi_win32.h"

namespace roadsum {

std::string ShellScreenshotEditing::FilePath() {
    char temp[MAX_PATH];
    const DWORD n = GetTempPathA(sizeof temp, temp);
    if (n == 0 || n >= sizeof temp) return {};
    // The reporter's own folder there, emptied whenever a failure is handled.
    std::string folder(temp, n);
    if (folder.back() != '\\') folder += '\\';
    folder += ".noxExcept\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder + "screenShot.bmp";
}

bool ShellScreenshotEditing::Write(const std::string& path, const INVBitmap& picture) { return picture.SaveAsBmp(path); }

std::optional<std::uint64_t> ShellScreenshotEditing::FileTime(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
    return std::uint64_t(data.ftLastWriteTime.dwHighDateTime) << 32 | data.ftLastWriteTime.dwLowDateTime;
}

// Through the system's loader, which reads every kind of bitmap file an editor may save.
std::shared_ptr<INVBitmap> ShellScreenshotEditing::Load(const std::string& path) {
    ScopedBitmap loaded(static_cast<HBITMAP>(
        LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION)));
    if (!loaded.valid()) return nullptr;
    PixelImage pixels = pixels_of_bitmap(loaded.get());
    if (pixels.empty()) return nullptr;
    return std::make_shared<TINVBitmap>(std::move(pixels));
}

bool ShellScreenshotEditing::StartEditor(const std::string& path) {
    SHELLEXECUTEINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.lpVerb = "edit";
    info.lpFile = path.c_str();
    info.nShow = SW_SHOWMAXIMIZED;
    if (!ShellExecuteExA(&info)) return false;
    editor_.reset(info.hProcess);
    return true;
}

bool ShellScreenshotEditing::EditorRunning() {
    if (!editor_.valid()) return false;
    if (WaitForSingleObject(editor_.get(), 0) == WAIT_TIMEOUT) return true;
    editor_.reset();
    return false;
}

}  // namespace roadsum
