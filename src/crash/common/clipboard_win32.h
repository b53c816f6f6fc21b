// The clipboard, for the reporter's copies of a report.
#pragma once

#include <string_view>

namespace roadsum {

// The text replaces the clipboard's contents as plain text; false when the clipboard stayed
// busy (another program may hold it for a moment, so a few tries are made) or took nothing.
bool CopyTextToClipboard(std::string_view text, void* owner_window = nullptr);

}  // namespace roadsum
