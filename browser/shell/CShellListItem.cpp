#include "browser/shell/CShellListItem.h"

CShellListItem::CShellListItem(IShellFolder* folder, LPCITEMIDLIST relative, LPCITEMIDLIST folderAbsolute)
    : m_folder(folder),
      m_relative(PidlBytes::CopyList(relative)),
      m_absolute(PidlBytes::Concat(folderAbsolute, relative))
{
    if (m_folder)
        m_folder->AddRef();
}

CShellListItem::~CShellListItem()
{
    PidlBytes::Free(m_relative);
    PidlBytes::Free(m_absolute);
    if (m_folder)
        m_folder->Release();
}

bool CShellListItem::ReplaceLists(LPCITEMIDLIST relative, LPCITEMIDLIST folderAbsolute)
{
    LPITEMIDLIST newRelative = PidlBytes::CopyList(relative);
    LPITEMIDLIST newAbsolute = PidlBytes::Concat(folderAbsolute, relative);
    if (!newRelative || !newAbsolute) {
        PidlBytes::Free(newRelative);
        PidlBytes::Free(newAbsolute);
        return false;
    }
    PidlBytes::Free(m_relative);
    PidlBytes::Free(m_absolute);
    m_relative = newRelative;
    m_absolute = newAbsolute;
    return true;
}
