// The list of search folders (fonts, external references, raster files) that the search-folder
// dialog edits: kept in order, without duplicates (compared without regard to case), stored as
// one text with semicolons between the folders.
#pragma once

#include <string>
#include <vector>

namespace RkUI {

class SearchFolderList
{
public:
    static SearchFolderList FromText(const std::string& text);
    std::string ToText() const;

    const std::vector<std::string>& Folders() const { return m_folders; }
    // False for an empty name or one already listed.
    bool Add(const std::string& folder);
    void Remove(int index);
    // Moves the folder one place up or down; returns its new index.
    int MoveUp(int index);
    int MoveDown(int index);

private:
    std::vector<std::string> m_folders;
};

} // namespace RkUI
