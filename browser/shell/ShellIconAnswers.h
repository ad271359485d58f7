// ShellIconAnswers: the system image list's indices the shell gave for folder items (their icon
// and their open icon), keyed by the items' absolute item-id lists. Filled by the icon warm-up on
// its thread and read by the folder tree only after that thread has ended.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <map>
#include <string>

class ShellIconAnswers
{
public:
    struct Icons
    {
        int icon = 0;
        int openIcon = 0;
    };

    // What the tree shows for an item: its small icon and its small open icon, asked of the shell
    // (which loads each into its small and large lists at once).
    static Icons Ask(LPCITEMIDLIST absolute);

    void Add(LPCITEMIDLIST absolute, const Icons& icons);
    // False when the list was not asked for (the caller asks the shell itself).
    bool Find(LPCITEMIDLIST absolute, Icons& icons) const;
    bool IsEmpty() const { return m_icons.empty(); }

private:
    static std::string KeyOf(LPCITEMIDLIST absolute);
    std::map<std::string, Icons> m_icons;
};
