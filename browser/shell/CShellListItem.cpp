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
    return PidlBytes::ReplacePair(m_relative, m_absolute, PidlBytes::CopyList(relative),
                                  PidlBytes::Concat(folderAbsolute, relative));
}
