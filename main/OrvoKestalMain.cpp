#include "main/COrvoKestalApp.h"

// The application object; the framework's WinMain runs it.
COrvoKestalApp theApp;

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand)
{
    return AfxWinMain(instance, previous, commandLine, showCommand);
}
