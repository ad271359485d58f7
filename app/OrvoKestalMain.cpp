#include <windows.h>
#include <commctrl.h>

#include "app/MainFrameWindow.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand)
{
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);

    MainFrameWindow frame;
    if (!frame.Create(instance, showCommand))
        return 1;
    return RunMessageLoop();
}
