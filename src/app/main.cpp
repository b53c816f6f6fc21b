// Roadsum's entry: the crash reporter first, then the application object, its title, the main
// window and the message loop.
#include <windows.h>

#include "app/crash_wiring.h"
#include "crash/capture/capture_win32.h"
#include "toolkit/application.h"
#include "ui/roadsum_frm.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    roadsum::StartCrashReporting();
    {
        roadsum::TApplication application;
        roadsum::WireApplication(application);
        application.Initialize();
        application.SetTitle("Roadsum");
        application.CreateForm<roadsum::TRoadsumFrm>();
        application.Run();
    }  // the windows and their threads go while the reporter still watches
    roadsum::ShutdownCrashReporter();
    return 0;
}
