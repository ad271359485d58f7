#include "browser/tree/CShellTreeItem.h"

#include "browser/shell/PidlBytes.h"

CShellTreeItem::CShellTreeItem(IShellFolder* parent, LPCITEMIDLIST relative, LPCITEMIDLIST parentAbsolute)
    : m_parent(parent)
{
    if (m_parent)
        m_parent->AddRef();
    m_relative = PidlBytes::CopyOneItem(relative);
    if (m_relative)
        m_absolute = PidlBytes::Concat(parentAbsolute, m_relative);
}

CShellTreeItem::~CShellTreeItem()
{
    PidlBytes::Free(m_relative);
    PidlBytes::Free(m_absolute);
    if (m_parent)
        m_parent->Release();
}

bool CShellTreeItem::ReplaceRelative(LPCITEMIDLIST relative)
{
    LPITEMIDLIST newRelative = PidlBytes::CopyOneItem(relative);
    if (!newRelative)
        return false;
    const UINT parentItems = PidlBytes::ItemCount(m_absolute) - 1;
    LPITEMIDLIST parentAbsolute = PidlBytes::CopyFirstItems(m_absolute, parentItems);
    LPITEMIDLIST newAbsolute = parentAbsolute ? PidlBytes::Concat(parentAbsolute, newRelative) : nullptr;
    PidlBytes::Free(parentAbsolute);
    return PidlBytes::ReplacePair(m_relative, m_absolute, newRelative, newAbsolute);
}

IShellFolder* CShellTreeItem::BindFolder() const
{
    if (!IsValid())
        return nullptr;
    IShellFolder* folder = nullptr;
    if (FAILED(m_parent->BindToObject(m_relative, nullptr, IID_IShellFolder, reinterpret_cast<void**>(&folder))))
        return nullptr;
    return folder;
}

ULONG CShellTreeItem::Attributes(ULONG wanted) const
{
    if (!IsValid())
        return 0;
    ULONG attributes = wanted;
    LPCITEMIDLIST items[1] = {m_relative};
    if (FAILED(m_parent->GetAttributesOf(1, items, &attributes)))
        return 0;
    return attributes & wanted;
}
