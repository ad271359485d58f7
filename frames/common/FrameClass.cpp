#include "frames/common/FrameClass.h"

bool UseOwnFrameClass(CREATESTRUCTA& cs, const char* className)
{
    WNDCLASSEXA wc = {sizeof(wc)};
    if (!GetClassInfoExA(cs.hInstance, className, &wc)) {
        if (!cs.lpszClass || !GetClassInfoExA(cs.hInstance, cs.lpszClass, &wc))
            return false;
        wc.cbSize = sizeof(wc);
        wc.lpszClassName = className;
        if (!RegisterClassExA(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
            return false;
    }
    cs.lpszClass = className;
    return true;
}
