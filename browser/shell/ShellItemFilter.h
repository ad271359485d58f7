// Which items of a folder the shell file list shows, as pure rules over an item's attributes and
// file type, so the table of cases can be tested without a folder.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

namespace ShellItemFilter
{
// Every attribute the list tests, and so every one it asks the folder for.
constexpr ULONG kRequest = SFGAO_FOLDER | SFGAO_FILESYSANCESTOR | SFGAO_FILESYSTEM | SFGAO_SHARE |
                           SFGAO_LINK | SFGAO_GHOSTED | SFGAO_HIDDEN;
constexpr int kThumbnailView = 4;

struct Rules
{
    int viewType = kThumbnailView;
    bool showOtherFiles = true;
    bool folderLikeFilesHidden = true; // Windows XP or later: zip folders and the like
};

// Whether a folder or a file of the given type (-2: no known type) is shown.
bool IsShown(ULONG attributes, int fileType, const Rules& rules);
// Whether an existing row stays in the list on a merge (the same rules, so a refresh never
// drops a row that it would add again).
inline bool KeepsRow(ULONG attributes, int fileType, const Rules& rules)
{
    return IsShown(attributes, fileType, rules);
}
// The list view state bits of an item's row: dimmed (LVIS_CUT) when hidden or ghosted, the
// shared overlay (1) or else the shortcut overlay (2).
UINT RowState(ULONG attributes);
constexpr UINT kRowStateMask = LVIS_CUT | LVIS_OVERLAYMASK;
// The enumeration flags: hidden files are included whenever the shell shows all files.
SHCONTF EnumFlags(bool showAllFiles);
} // namespace ShellItemFilter
