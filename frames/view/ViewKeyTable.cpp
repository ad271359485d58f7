#include "frames/view/ViewKeyTable.h"

#include "render/workers/TDwgDrawThread.h"

#include <iterator>

namespace ViewKeyTable {

namespace {

struct Entry
{
    UINT key;
    KeyAction action;
};

constexpr KeyAction Pan(int request, int x, int y)
{
    return {Action::kPan, request, x, y};
}

constexpr KeyAction Do(Action action)
{
    return {action, 0, 0, 0};
}

constexpr Entry kTable[] = {
    {VK_ESCAPE, Do(Action::kEscape)},
    {VK_LEFT, Pan(TDwgDrawThread::kRequestPanLeft, 1, 0)},
    {VK_NUMPAD4, Pan(TDwgDrawThread::kRequestPanLeft, 1, 0)},
    {VK_RIGHT, Pan(TDwgDrawThread::kRequestPanRight, -1, 0)},
    {VK_NUMPAD6, Pan(TDwgDrawThread::kRequestPanRight, -1, 0)},
    {VK_UP, Pan(TDwgDrawThread::kRequestPanUp, 0, -1)},
    {VK_NUMPAD8, Pan(TDwgDrawThread::kRequestPanUp, 0, -1)},
    {VK_DOWN, Pan(TDwgDrawThread::kRequestPanDown, 0, 1)},
    {VK_NUMPAD2, Pan(TDwgDrawThread::kRequestPanDown, 0, 1)},
    {VK_NUMPAD1, Pan(TDwgDrawThread::kRequestPanLeftDown, 1, 1)},
    {VK_NUMPAD3, Pan(TDwgDrawThread::kRequestPanRightDown, -1, 1)},
    {VK_NUMPAD7, Pan(TDwgDrawThread::kRequestPanLeftUp, 1, -1)},
    {VK_NUMPAD9, Pan(TDwgDrawThread::kRequestPanRightUp, -1, -1)},
    {'1', Do(Action::kActualSize)},
    {'8', Do(Action::kFit)},
    {VK_NUMPAD5, Do(Action::kFit)},
    {VK_MULTIPLY, Do(Action::kFit)},
    {VK_ADD, Do(Action::kZoomIn)},
    {VK_OEM_PLUS, Do(Action::kZoomIn)},
    {VK_SUBTRACT, Do(Action::kZoomOut)},
    {VK_OEM_MINUS, Do(Action::kZoomOut)},
    {'H', Do(Action::kHighlight)},
    {VK_F2, Do(Action::kQuickMode)},
    {VK_BROWSER_BACK, Do(Action::kPreviousFile)},
    {VK_BROWSER_FORWARD, Do(Action::kNextFile)},
};

} // namespace

KeyAction LookUp(UINT virtualKey)
{
    for (const Entry& entry : kTable) {
        if (entry.key == virtualKey)
            return entry.action;
    }
    return {};
}

POINT ImagePan(const KeyAction& key, int width, int height)
{
    if (key.action != Action::kPan)
        return {0, 0};
    return {key.imageX * (width / 16), key.imageY * (height / 16)};
}

} // namespace ViewKeyTable
