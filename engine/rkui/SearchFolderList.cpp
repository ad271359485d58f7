#include "engine/rkui/SearchFolderList.h"

#include <algorithm>
#include <cctype>
#include <utility>

namespace RkUI {

namespace {

std::string Trimmed(std::string s)
{
    while (!s.empty() && (s.back() == ' ' || s.back() == '\\' || s.back() == '/'))
        s.pop_back();
    std::size_t b = 0;
    while (b < s.size() && s[b] == ' ')
        ++b;
    return s.substr(b);
}

bool SameFolder(const std::string& a, const std::string& b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

} // namespace

SearchFolderList SearchFolderList::FromText(const std::string& text)
{
    SearchFolderList list;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(';', start);
        if (end == std::string::npos)
            end = text.size();
        list.Add(text.substr(start, end - start));
        start = end + 1;
    }
    return list;
}

std::string SearchFolderList::ToText() const
{
    std::string text;
    for (const std::string& f : m_folders) {
        if (!text.empty())
            text += ';';
        text += f;
    }
    return text;
}

bool SearchFolderList::Add(const std::string& folder)
{
    const std::string f = Trimmed(folder);
    // A drive root keeps its backslash ("C:" alone would mean the drive's current folder).
    const std::string name = (f.size() == 2 && f[1] == ':') ? f + "\\" : f;
    if (name.empty() || name.find(';') != std::string::npos)
        return false;
    for (const std::string& existing : m_folders) {
        if (SameFolder(existing, name))
            return false;
    }
    m_folders.push_back(name);
    return true;
}

void SearchFolderList::Remove(int index)
{
    if (index >= 0 && index < static_cast<int>(m_folders.size()))
        m_folders.erase(m_folders.begin() + index);
}

int SearchFolderList::MoveUp(int index)
{
    if (index <= 0 || index >= static_cast<int>(m_folders.size()))
        return index;
    std::swap(m_folders[static_cast<std::size_t>(index)], m_folders[static_cast<std::size_t>(index - 1)]);
    return index - 1;
}

int SearchFolderList::MoveDown(int index)
{
    if (index < 0 || index + 1 >= static_cast<int>(m_folders.size()))
        return index;
    std::swap(m_folders[static_cast<std::size_t>(index)], m_folders[static_cast<std::size_t>(index + 1)]);
    return index + 1;
}

} // namespace RkUI
