// What the user entered on an assistant's pages: kept in the report for the next assistant of
// the same report, and put into the report as header fields and sections.
#pragma once

#include "crash/pages/nv_assistant.h"
#include "crash/settings/crash_settings.h"

namespace roadsum {

// Each edit and check box takes what an earlier assistant of the report left for it (by page
// and item name).
void FillFromPageCache(INVAssistant& assistant, const INXSettings& report);
// Keeps the text and check state of each edit and check box of every page in the report.
void StoreInPageCache(const INVAssistant& assistant, INXSettings& report);

// Every page the user continued from gives its items with an output name: a check box a
// header field "yes" or "no"; an edit a header field with its text (lines joined by blanks),
// or, for a memo of two lines or more whose output is its own section, the section. Header
// fields go where the list inserts them (before "callstack crc" in a report); an empty text
// takes an earlier field or section of the name away.
void PutAssistantIntoReport(const INVAssistant& assistant, INXFields& header, INXFields& sections);

}  // namespace roadsum
