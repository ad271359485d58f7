#include "ui/FileClipboard.h"

#include "ui/CDragDropList.h"
#include "ui/CFileDropTarget.h"

#include <oleidl.h>
#include <shlobj.h>

namespace FileClipboard
{
namespace {

// A clipboard open for one call, closed on every way out.
class OpenedClipboard
{
public:
    explicit OpenedClipboard(HWND owner) : m_open(::OpenClipboard(owner) != 0) {}
    ~OpenedClipboard()
    {
        if (m_open)
            ::CloseClipboard();
    }
    OpenedClipboard(const OpenedClipboard&) = delete;
    OpenedClipboard& operator=(const OpenedClipboard&) = delete;
    bool IsOpen() const { return m_open; }

private:
    bool m_open;
};

UINT DropEffectFormat()
{
    return ::RegisterClipboardFormatA("Preferred DropEffect");
}

HGLOBAL MakeEffectBlock(DWORD effect)
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, sizeof(DWORD));
    auto* value = block != nullptr ? static_cast<DWORD*>(GlobalLock(block)) : nullptr;
    if (value == nullptr) {
        if (block != nullptr)
            GlobalFree(block);
        return nullptr;
    }
    *value = effect;
    GlobalUnlock(block);
    return block;
}

// Hands a block to the open clipboard; a block it did not take is freed here.
bool SetBlock(UINT format, HGLOBAL block)
{
    if (block == nullptr)
        return false;
    if (::SetClipboardData(format, block) != nullptr)
        return true;
    GlobalFree(block);
    return false;
}

} // namespace

bool Put(HWND owner, const CStringList& paths, Marker marker)
{
    HGLOBAL drop = CDragDropList::MakeDropBlock(paths);
    if (drop == nullptr)
        return false;
    const OpenedClipboard clipboard(owner);
    if (!clipboard.IsOpen() || !::EmptyClipboard()) {
        GlobalFree(drop);
        return false;
    }
    if (!SetBlock(CF_HDROP, drop))
        return false;
    if (marker == Marker::None)
        return true;
    const DWORD effect = marker == Marker::Cut ? DROPEFFECT_MOVE : DROPEFFECT_COPY | DROPEFFECT_LINK;
    // Without its marker a cut would paste as a copy and leave the files where they were.
    if (SetBlock(DropEffectFormat(), MakeEffectBlock(effect)))
        return true;
    ::EmptyClipboard();
    return false;
}

bool HasFiles(HWND owner)
{
    const OpenedClipboard clipboard(owner);
    return clipboard.IsOpen() && ::IsClipboardFormatAvailable(CF_HDROP) != 0;
}

DWORD ReadPreferredDropEffect()
{
    const UINT format = DropEffectFormat();
    HANDLE data = format != 0 ? ::GetClipboardData(format) : nullptr;
    // Another program wrote the block: it must hold the whole value before it is read.
    if (data == nullptr || GlobalSize(data) < sizeof(DWORD))
        return 0;
    const auto* value = static_cast<const DWORD*>(GlobalLock(data));
    const DWORD effect = value != nullptr ? *value : 0;
    GlobalUnlock(data);
    return effect;
}

bool IsCut(DWORD effect)
{
    return effect == DROPEFFECT_MOVE;
}

bool Read(HWND owner, Content& content)
{
    content.files.RemoveAll();
    content.cut = false;
    const OpenedClipboard clipboard(owner);
    if (!clipboard.IsOpen())
        return false;
    HANDLE drop = ::GetClipboardData(CF_HDROP);
    if (drop == nullptr || !CFileDropTarget::CollectFileNames(drop, content.files))
        return false;
    content.cut = IsCut(ReadPreferredDropEffect());
    content.sequence = ::GetClipboardSequenceNumber();
    return !content.files.IsEmpty();
}

void ForgetMovedFiles(HWND owner, const Content& content)
{
    if (!content.cut || ::GetClipboardSequenceNumber() != content.sequence)
        return;
    const OpenedClipboard clipboard(owner);
    if (clipboard.IsOpen())
        ::EmptyClipboard();
}
} // namespace FileClipboard
