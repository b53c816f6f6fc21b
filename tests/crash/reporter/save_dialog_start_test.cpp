// Where the save dialog opens for the report file names a user may have set.
#include <gtest/gtest.h>

#include "crash/reporter/save_dialog_start.h"

namespace roadsum {
namespace {

TEST(SaveDialogStart, OpensOnTheDesktopOrInTheFolderTheNameGives) {
    const char* exe = "C:\\Programs\\Roadsum\\Roadsum.exe";
    const char* desktop = "C:\\Users\\ann\\Desktop";
    struct Case {
        const char* name;
        const char* folder;
        const char* file;
    };
    const Case cases[] = {
        {"bugreport.txt", desktop, "bugreport.txt"},
        {"", desktop, ""},
        {"D:\\reports\\bugreport.txt", "D:\\reports", "bugreport.txt"},
        {"D:/reports/sub/../Roadsum.txt", "D:\\reports", "Roadsum.txt"},  // "/" and ".." as an automatic save reads them
        {"logs\\bugreport.txt", "C:\\Programs\\Roadsum\\logs", "bugreport.txt"},  // beside the program
        {"\\reports\\bug.txt", "C:\\reports", "bug.txt"},                  // the program's drive
        {"D:\\bug.txt", "D:\\", "bug.txt"},                                // a drive's root keeps its backslash
        {"D:bug.txt", "D:\\", "bug.txt"},
        {"\\\\server\\share\\bug.txt", "\\\\server\\share", "bug.txt"},
        {"D:\\reports\\", "D:\\reports", ""},  // a folder alone: the dialog asks for the name
    };
    for (const Case& c : cases) {
        const SaveDialogStart start = save_dialog_start(c.name, exe, desktop);
        EXPECT_EQ(start.Folder, c.folder) << c.name;
        EXPECT_EQ(start.FileName, c.file) << c.name;
    }
}

}  // namespace
}  // namespace roadsum
