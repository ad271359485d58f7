#include "engine/rkui/Cursor.h"

#include "res/resource.h"

namespace RkUI {

namespace {

// The resource of each index, or the system cursor standing in for it (when the resource is not
// linked, as in tests without the program's resources, the system cursor is used).
struct CursorSource
{
    int resource;
    LPCSTR system;
};

const CursorSource kSources[Cursor::kCount] = {
    {IDC_RK_ORBIT_VERTICAL, IDC_SIZENS},   {IDC_RK_ORBIT_HORIZONTAL, IDC_SIZEWE},
    {IDC_RK_ORBIT_OUTSIDE, IDC_ARROW},     {IDC_RK_ORBIT_INSIDE, IDC_SIZEALL},
    {IDC_RK_ZOOM_IN, IDC_CROSS},           {IDC_RK_ZOOM_OUT, IDC_CROSS},
    {IDC_RK_ZOOM_WINDOW, IDC_CROSS},       {0, IDC_ARROW},
    {0, IDC_ARROW},                        {0, IDC_ARROW},
    {IDC_RK_PAN, IDC_SIZEALL},             {IDC_RK_PAN_DRAG, IDC_SIZEALL},
    {0, IDC_CROSS},                        {0, IDC_HAND},
    {0, IDC_SIZENS},                       {0, IDC_SIZEWE},
    {0, IDC_SIZENESW},                     {0, IDC_SIZENWSE},
    {0, IDC_SIZEALL},                      {IDC_RK_OUTSIDE_WINDOW, IDC_NO},
};

} // namespace

void Cursor::Load(HINSTANCE module)
{
    for (int i = 0; i < kCount; ++i) {
        HCURSOR cursor = nullptr;
        if (kSources[i].resource)
            cursor = LoadCursorA(module, MAKEINTRESOURCEA(kSources[i].resource));
        if (!cursor)
            cursor = LoadCursorA(nullptr, kSources[i].system);
        m_cursors[i] = cursor;
    }
}

HCURSOR Cursor::operator[](int index) const
{
    if (index < 0 || index >= kCount || !m_cursors[index])
        return LoadCursorA(nullptr, IDC_ARROW);
    return m_cursors[index];
}

} // namespace RkUI
