#include "browser/shell/ShellIconAnswers.h"

#include "browser/shell/CShellPidl.h"
#include "browser/shell/PidlBytes.h"

std::string ShellIconAnswers::KeyOf(LPCITEMIDLIST absolute)
{
    // The same bytes name the same item; a list made another way merely finds nothing.
    return std::string(reinterpret_cast<const char*>(absolute), PidlBytes::ListSize(absolute));
}

void ShellIconAnswers::Add(LPCITEMIDLIST absolute, const Icons& icons)
{
    if (absolute)
        m_icons[KeyOf(absolute)] = icons;
}

bool ShellIconAnswers::Find(LPCITEMIDLIST absolute, Icons& icons) const
{
    if (!absolute || m_icons.empty())
        return false;
    const auto found = m_icons.find(KeyOf(absolute));
    if (found == m_icons.end())
        return false;
    icons = found->second;
    return true;
}

ShellIconAnswers::Icons ShellIconAnswers::Ask(LPCITEMIDLIST absolute)
{
    Icons icons;
    icons.icon = CShellPidl::GetIcon(absolute, SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
    icons.openIcon = CShellPidl::GetIcon(absolute, SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_OPENICON);
    return icons;
}
