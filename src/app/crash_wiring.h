// Joins the application's toolkit and the crash reporter: the reporter starts first, the
// application object's exception routines and the toolkit's threads lead into it.
#pragma once

namespace roadsum {

class TApplication;

// Starts the reporter and runs every toolkit thread inside its frame.
void StartCrashReporting();
// The application object's handle- and show-exception routines report through the reporter,
// which decides by its settings what happens next, instead of showing a plain message box.
void WireApplication(TApplication& application);

}  // namespace roadsum
