#include "crash/send/attachment_preparation.h"

#include "crash/common/file_names.h"
#include "crash/common/text_lists.h"

namespace roadsum {

int png_mode_for_depth(int depth) {
    switch (depth) {
        case 4: return 1;
        case 51200: return 2;
        case 102400: return 3;
        case 204800: return 4;
        case 307200: return 5;
        default: return 0;
    }
}

std::vector<PreparedAttachment> pack_attachments(const std::vector<Attachment>& attachments, const std::string& folder,
                                                 AttachmentWorkspace& workspace) {
    std::vector<PreparedAttachment> out;
    std::vector<bool> done(attachments.size(), false);
    for (std::size_t i = 0; i < attachments.size(); ++i) {
        const Attachment& first = attachments[i];
        if (done[i]) continue;
        if (first.zip.empty()) {
            if (workspace.Exists(first.file)) out.push_back({first.file, first.send_as, first.field});
            continue;
        }
        std::vector<std::string> files, names;
        for (std::size_t j = i; j < attachments.size(); ++j) {
            if (done[j] || !equal_ignoring_case(attachments[j].zip, first.zip)) continue;
            done[j] = true;
            if (!workspace.Exists(attachments[j].file)) continue;
            files.push_back(attachments[j].file);
            names.push_back(attachments[j].send_as);
        }
        const std::string archive = folder + std::string(file_name_of(first.zip));
        if (!files.empty() && workspace.Zip(archive, files, names)) out.push_back({archive, first.zip, first.zip});
    }
    return out;
}

PreparedAttachments prepare_attachments(INXSettings& settings, const AttachmentRequest& request,
                                        AttachmentWorkspace& workspace) {
    PreparedAttachments prepared;
    const std::string folder = workspace.TemporaryFolder();
    std::vector<Attachment> list;
    if (settings.Get(keys::AttachBugRep)) {
        const std::string copy = folder + std::string(file_name_of(request.report_file));
        bool written = false;
        if (settings.Get(keys::AttachBugRepFile) && workspace.Copy(request.report_file, copy)) {
            written = request.report_saved || workspace.WriteReport(copy, true);
            // Only when the saved reports went along may the report file go afterwards.
            prepared.delete_report_file = written && settings.Get(keys::DelBugRepFile);
        }
        if (!written) written = workspace.WriteReport(copy, false);
        if (written) list.push_back({copy, settings.Get(keys::BugRepSendAs), settings.Get(keys::BugRepZip), "BugReport"});
    }
    if (request.has_screenshot) {
        const std::string shot = folder + "screenShot.png";
        if (workspace.WriteScreenshot(shot, png_mode_for_depth(settings.Get(keys::ScrShotDepth)))) {
            prepared.screenshot_file = shot;
            list.push_back({shot, settings.Get(keys::ScrShotSendAs), settings.Get(keys::ScrShotZip), "ScreenShot"});
        }
    }
    for (const Attachment& extra : settings.AddAttachs()->Items()) list.push_back(extra);
    prepared.items = pack_attachments(list, folder, workspace);
    return prepared;
}

}  // namespace roadsum
