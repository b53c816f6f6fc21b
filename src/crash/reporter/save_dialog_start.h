// Where the save dialog of an interactive save opens: the report file's name from the settings
// decides the folder and the name the dialog offers.
#pragma once

#include <string>
#include <string_view>

namespace roadsum {

struct SaveDialogStart {
    std::string Folder;    // the folder the dialog shows first
    std::string FileName;  // the name it offers, without a folder
};

// name: the report file's name with its variables expanded; executable: the program's full
// path; desktop: the user's desktop folder. A name without a folder opens on the desktop; a
// name with one opens in that folder (a relative folder lies beside the program, as for the
// automatic save). Windows paths; "/" counts as "\".
SaveDialogStart save_dialog_start(std::string_view name, std::string_view executable, std::string_view desktop);

}  // namespace roadsum
