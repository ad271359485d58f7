// The messages between the folder tree, its watch threads and the shell file list.
#pragma once

#include <windows.h>

// Tree to list, posted when the tree's selection has settled: wParam 0, lParam an absolute
// item-id list made with the shell allocator. The list owns it from the moment the post
// succeeds and frees it (PidlBytes::Free); the tree frees it when the post fails. A copy, so no
// refill or deletion in the tree can free it while the message waits in the queue.
constexpr UINT WM_TREE_SHOWFOLDER = WM_APP + 0x03FE;
// List to tree, sent (never posted) when a folder row was opened: lParam the row's
// CShellListItem, borrowed for the call. The tree selects that folder.
constexpr UINT WM_TREE_SELECTFOLDER = WM_APP + 0x03ED;
// Watch thread (or the tree itself) to tree: a folder name changed somewhere the tree shows.
// wParam and lParam are 0: no buffer address travels, so nothing can be read after it is reused.
constexpr UINT WM_TREE_FOLDERSCHANGED = WM_APP + 0x0FA6;
