// Roadsum's entry: the application object, its title, the main window and the message loop.
#include <windows.h>

#include "toolkit/application.h"
#include "ui/roadsum_frm.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    roadsum::TApplication application;
    application.Initialize();
    application.SetTitle("Roadsum");
    application.CreateForm<roadsum::TRoadsumFrm>();
    application.Run();
    return 0;
}
