#include "crash/assistants/screenshot_form_handler.h"

#include <algorithm>
#include <atomic>
#include <map>
#include <mutex>

#include "crash/assistants/report_assistant.h"

namespace roadsum {
namespace {

std::atomic<ScreenshotEditing*> g_editing{nullptr};

// What a shown page has written for the editor: the file and the time it was last taken from.
struct EditedFile {
    bool written = false;
    std::string path;
    std::uint64_t time = 0;
};
std::mutex g_files_lock;
std::map<const INVForm*, EditedFile> g_files;

EditedFile file_of(const INVForm& form) {
    std::lock_guard lock(g_files_lock);
    return g_files[&form];
}

void keep(const INVForm& form, const EditedFile& file) {
    std::lock_guard lock(g_files_lock);
    g_files[&form] = file;
}

void show(INVForm& form, const std::shared_ptr<INVBitmap>& picture) {
    const std::shared_ptr<INVImage> image = form.Image("ScrShotImg");
    if (!image || !picture) return;
    if (image->Width() <= 0 || image->Height() <= 0) {
        image->SetBitmap(std::make_shared<PixelImage>(picture->Pixels()));
        return;
    }
    image->SetBitmap(std::make_shared<PixelImage>(FitPicture(*picture, image->Width(), image->Height(), kScreenshotMargin)));
}

void clicked(INVForm& form, ScreenshotEditing& editing, INXException& report) {
    if (editing.EditorRunning()) return;
    EditedFile file = file_of(form);
    if (!file.written) {
        const std::shared_ptr<INVBitmap> picture = report.Screenshot();
        file.path = editing.FilePath();
        if (!picture || file.path.empty() || !editing.Write(file.path, *picture)) {
            editing.Beep();
            return;
        }
        file.written = true;
        file.time = editing.FileTime(file.path).value_or(0);
        keep(form, file);
    }
    if (!editing.StartEditor(file.path)) editing.Beep();
}

void tick(INVForm& form, ScreenshotEditing& editing, INXException& report) {
    EditedFile file = file_of(form);
    if (!file.written) return;
    const std::optional<std::uint64_t> time = editing.FileTime(file.path);
    if (!time || *time == file.time) return;
    // An editor that is still writing gives no picture yet; the next tick tries again.
    const std::shared_ptr<INVBitmap> edited = editing.Load(file.path);
    if (!edited) return;
    file.time = *time;
    keep(form, file);
    report.SetScreenshot(edited);
    show(form, edited);
}

void closing(INVForm& form, ScreenshotEditing& editing, INXException& report) {
    editing.ReleaseEditor();
    EditedFile file;
    {
        std::lock_guard lock(g_files_lock);
        const auto found = g_files.find(&form);
        if (found != g_files.end()) {
            file = found->second;
            g_files.erase(found);
        }
    }
    if (file.written) editing.Delete(file.path);
    if (const auto attach = form.CheckBox("AttachCheck")) report.SetAppendScreenshot(attach->Checked());
}

// Without a file to edit the page still beeps.
class NoEditing final : public ScreenshotEditing {
public:
    std::string FilePath() override { return {}; }
    bool Write(const std::string&, const INVBitmap&) override { return false; }
    std::optional<std::uint64_t> FileTime(const std::string&) override { return std::nullopt; }
    std::shared_ptr<INVBitmap> Load(const std::string&) override { return nullptr; }
    bool StartEditor(const std::string&) override { return false; }
    bool EditorRunning() override { return false; }
    void ReleaseEditor() override {}
    void Delete(const std::string&) override {}
    void Beep() override {}
};

}  // namespace

PixelImage FitPicture(const INVBitmap& picture, int width, int height, std::uint32_t background) {
    PixelImage out(width, height, background);
    if (out.empty() || picture.Width() <= 0 || picture.Height() <= 0) return out;
    // The larger side of the picture decides the scale, so that all of it is seen.
    const long long pw = picture.Width(), ph = picture.Height();
    int w = width, h = static_cast<int>(ph * width / pw);
    if (h > height) h = height, w = static_cast<int>(pw * height / ph);
    w = std::max(w, 1), h = std::max(h, 1);
    const std::shared_ptr<INVBitmap> zoomed = picture.Zoom(w, h);
    if (!zoomed) return out;
    const int left = (width - w) / 2, top = (height - h) / 2;
    for (int y = 0; y < h; ++y) std::copy_n(zoomed->Pixels().row(y), w, out.row(top + y) + left);
    return out;
}

void ScreenshotFormEvent(INVForm& form, int action, INVItem* item, INXException* report, ScreenshotEditing& editing) {
    if (!report) return;
    switch (action) {
        case nvaFormShown:
            show(form, report->Screenshot());
            if (const auto attach = form.CheckBox("AttachCheck")) attach->SetChecked(report->AppendScreenshot());
            break;
        case nvaItemEvent:
            if (!item)
                tick(form, editing, *report);
            else if (item->Kind() == NVItemKind::image)
                clicked(form, editing, *report);
            break;
        case nvaFormClosing: closing(form, editing, *report); break;
        default: break;
    }
}

void NV_HANDLER_CALL HandleScreenshotForm(INVForm* form, int action, INVItem* item, void* exception) {
    static NoEditing none;
    ScreenshotEditing* editing = g_editing.load();
    if (form) ScreenshotFormEvent(*form, action, item, ReportOfHandler(exception), editing ? *editing : none);
}

void SetScreenshotEditing(ScreenshotEditing* editing) { g_editing = editing; }

}  // namespace roadsum
