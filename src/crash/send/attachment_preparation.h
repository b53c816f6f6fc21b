// The files that go along with a sent report: the report file (or the report alone), the
// screenshot, the extra attachments of AddAttachs, and the ZIP archives they are packed into.
#pragma once

#include <string>
#include <vector>

#include "crash/settings/crash_settings.h"

namespace roadsum {

struct PreparedAttachment {
    std::string path;     // the file to send
    std::string send_as;  // its name on the wire
    std::string field;    // the form field of the upload

    friend bool operator==(const PreparedAttachment&, const PreparedAttachment&) = default;
};

// The files and writers the preparation needs. The report and the screenshot are written by
// the rooms that know them (the report file's rules, the PNG writer); the folder is the
// reporter's temporary folder.
class AttachmentWorkspace {
public:
    virtual ~AttachmentWorkspace() = default;
    virtual std::string TemporaryFolder() = 0;  // ends with a backslash
    virtual bool Exists(const std::string& path) = 0;
    virtual bool Copy(const std::string& from, const std::string& to) = 0;
    // Writes the current report into `path`: added to what the file holds with the report
    // file's rules (duplicates merged) when `append`, else as the file's only content.
    virtual bool WriteReport(const std::string& path, bool append) = 0;
    virtual bool WriteScreenshot(const std::string& path, int png_mode) = 0;
    // A ZIP archive of the files, each stored under the name of the same position.
    virtual bool Zip(const std::string& archive, const std::vector<std::string>& files,
                     const std::vector<std::string>& names) = 0;
};

struct AttachmentRequest {
    std::string report_file;        // BugRepFile as an absolute path
    bool report_saved = false;      // the current report is in the report file already
    bool has_screenshot = false;
};

struct PreparedAttachments {
    std::vector<PreparedAttachment> items;
    std::string screenshot_file;     // to delete after the send; empty when none was written
    bool delete_report_file = false;  // after a successful send: the file's reports went along
};

// The PNG writer's mode for a ScrShotDepth value: 4 → 1, 51200 → 2, 102400 → 3, 204800 → 4,
// 307200 → 5, anything else → 0.
int png_mode_for_depth(int depth);

// Attachments naming the same archive (ignoring case) packed into one archive of that name in
// `folder`, each under its send-as name, sent under the archive's name; files that do not
// exist are left out.
std::vector<PreparedAttachment> pack_attachments(const std::vector<Attachment>& attachments, const std::string& folder,
                                                 AttachmentWorkspace& workspace);

PreparedAttachments prepare_attachments(INXSettings& settings, const AttachmentRequest& request,
                                        AttachmentWorkspace& workspace);

}  // namespace roadsum
