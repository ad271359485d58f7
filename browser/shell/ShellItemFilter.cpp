#include "browser/shell/ShellItemFilter.h"

namespace ShellItemFilter
{
bool IsShown(ULONG attributes, int fileType, const Rules& rules)
{
    if ((attributes & (SFGAO_FILESYSTEM | SFGAO_FILESYSANCESTOR)) == 0)
        return false;
    if ((attributes & SFGAO_FOLDER) != 0) {
        // A folder-like file (a folder item that is not a file-system ancestor) is no folder to
        // browse into among thumbnails.
        return !(rules.viewType == kThumbnailView && rules.folderLikeFilesHidden &&
                 (attributes & SFGAO_FILESYSANCESTOR) == 0);
    }
    if (fileType >= 0)
        return true;
    return rules.viewType != kThumbnailView && rules.showOtherFiles;
}

UINT RowState(ULONG attributes)
{
    UINT state = (attributes & (SFGAO_GHOSTED | SFGAO_HIDDEN)) != 0 ? LVIS_CUT : 0;
    if ((attributes & SFGAO_SHARE) != 0)
        state |= INDEXTOOVERLAYMASK(1);
    else if ((attributes & SFGAO_LINK) != 0)
        state |= INDEXTOOVERLAYMASK(2);
    return state;
}

SHCONTF EnumFlags(bool showAllFiles)
{
    SHCONTF flags = SHCONTF_FOLDERS | SHCONTF_NONFOLDERS;
    if (showAllFiles)
        flags |= SHCONTF_INCLUDEHIDDEN;
    return flags;
}
} // namespace ShellItemFilter
