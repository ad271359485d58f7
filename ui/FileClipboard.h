// FileClipboard: files on the clipboard the way the shell puts them there: CF_HDROP with the
// names, and "Preferred DropEffect" saying whether they were cut (DROPEFFECT_MOVE) or copied.
// Shared by the file list's and the folder tree's Cut, Copy and Paste.
#pragma once

#include "framework/CStringList.h"

#include <windows.h>

namespace FileClipboard
{
// What a paste does with the files.
enum class Marker
{
    None, // no "Preferred DropEffect": a paste copies (what the tree's Copy writes)
    Copy,
    Cut,
};

// Replaces the clipboard's content with the paths (empty ones left out). False when nothing
// could be put there (no path, a busy clipboard): the clipboard then keeps what it had.
bool Put(HWND owner, const CStringList& paths, Marker marker);
// Whether the clipboard holds files; false while another window keeps it open.
bool HasFiles(HWND owner);

// The files on the clipboard and whether a paste moves them.
struct Content
{
    CStringList files;
    bool cut = false;
    // The clipboard's sequence number when it was read: a later change is not this content.
    DWORD sequence = 0;
};
// False when the clipboard is busy or holds no files.
bool Read(HWND owner, Content& content);
// The shell's "Preferred DropEffect" of the open clipboard; 0 when there is none, or when its
// block is too short to hold the value.
DWORD ReadPreferredDropEffect();
// Only the move bit alone means the files were cut; anything else copies.
bool IsCut(DWORD effect);
// After cut files were moved their names point nowhere: the clipboard is emptied, unless it has
// been given something else since the content was read.
void ForgetMovedFiles(HWND owner, const Content& content);
} // namespace FileClipboard
