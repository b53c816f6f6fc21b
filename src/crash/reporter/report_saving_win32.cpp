// Saving a report, automatically into the report file or where the user chooses.
#include <windows.h>
#include <commdlg.h>
#include <shlobj.h>

#include "crash/debuginfo/map_file_win32.h"
#include "crash/report/exception_report_win32.h"
#include "crash/reporter/reporter_win32.h"
#include "crash/reporter/save_dialog_start.h"

namespace roadsum {

namespace {

std::string desktop_folder() {
    char path[MAX_PATH] = {};
    if (SHGetFolderPathA(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, SHGFP_TYPE_CURRENT, path) != S_OK) return {};
    return path;
}

// The chosen file's full path; "" when the user cancelled.
std::string ask_for_file(const SaveDialogStart& start, HWND owner) {
    char file[MAX_PATH] = {};
    start.FileName.copy(file, sizeof file - 1);
    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = "Text files (*.txt)\0*.txt\0All files (*.*)\0*.*\0";
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file;
    dialog.nMaxFile = sizeof file;
    dialog.lpstrInitialDir = start.Folder.empty() ? nullptr : start.Folder.c_str();
    dialog.lpstrDefExt = "txt";
    // No overwrite question: with AppendBugReps the report joins the file's earlier ones.
    dialog.Flags = OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_EXPLORER;
    return GetSaveFileNameA(&dialog) ? std::string(file) : std::string();
}

}  // namespace

bool AutoSaveReport(TCrashException& report) {
    if (report.Get(keys::AutoSaveIfNotSent) && report.Sent()) return false;
    report.WaitComplete(kSaveCompletionPatience);
    return SaveExceptionReport(report);
}

bool SaveReportInteractively(TCrashException& report, void* owner) {
    if (RefusedWhileBlocked()) return false;
    const std::string executable = module_file_path(reinterpret_cast<std::uintptr_t>(GetModuleHandleA(nullptr)));
    const std::string path =
        ask_for_file(save_dialog_start(report.BugRepFileName(), executable, desktop_folder()), static_cast<HWND>(owner));
    if (path.empty()) return false;
    report.WaitComplete(kSaveCompletionPatience);
    return SaveExceptionReport(report, path);
}

}  // namespace roadsum
