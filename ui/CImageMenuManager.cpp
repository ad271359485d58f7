#include "ui/CImageMenuManager.h"

#include "framework/CToolBar.h"
#include "framework/CWnd.h"
#include "framework/GdiScopes.h"

#include <shlobj.h>

#include <algorithm>
#include <cctype>
#include <cstring>

namespace {

const int kMaxText = 260;
const WORD kToolbarResource = 241;
// OBM_CHECK (the system's check mark bitmap; its name needs OEMRESOURCE before windows.h).
const WORD kSystemCheckBitmap = 32760;

struct NumPadName {
    const char* from;
    const char* to;
};
const NumPadName kNumPadNames[] = {{"Num 7", "Home"}, {"Num 1", "End"}, {"Num 9", "PgUp"},
                                   {"Num 3", "PgDn"}, {"Num 0", "Ins"}, {"Num Del", "Del"}};

CString KeyName(const ACCEL& accel)
{
    if (!(accel.fVirt & FVIRTKEY))
        return CString(static_cast<char>(accel.key));
    char name[64] = {};
    const LONG scan = static_cast<LONG>(::MapVirtualKeyA(accel.key, 0) << 16);
    ::GetKeyNameTextA(scan, name, sizeof(name));
    return CImageMenuManager::ShortKeyName(name);
}

// Reads an item with its text; false when the menu has no such item.
bool ReadItem(HMENU menu, UINT item, BOOL byPos, MENUITEMINFOA& info, char* text)
{
    info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_TYPE | MIIM_DATA | MIIM_STATE;
    info.dwTypeData = text;
    info.cch = kMaxText - 1;
    text[0] = 0;
    return ::GetMenuItemInfoA(menu, item, byPos, &info) != FALSE;
}

CMenuItemRecord* RecordOf(HMENU menu, UINT item, BOOL byPos)
{
    MENUITEMINFOA info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_DATA | MIIM_TYPE;
    if (!::GetMenuItemInfoA(menu, item, byPos, &info) || !(info.fType & MFT_OWNERDRAW))
        return nullptr;
    return CMenuItemRecord::FromItemData(info.dwItemData);
}

void WriteItemData(HMENU menu, UINT item, BOOL byPos, ULONG_PTR data)
{
    MENUITEMINFOA info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_DATA;
    info.dwItemData = data;
    ::SetMenuItemInfoA(menu, item, byPos, &info);
}

// A shell extension's menu interface, released at the end of its scope; null when the object
// does not answer for it.
template <class Interface>
class ShellMenu
{
public:
    ShellMenu(const CMenuItemRecord& record, REFIID iid)
    {
        if (!record.m_pShellObject ||
            FAILED(record.m_pShellObject->QueryInterface(iid, reinterpret_cast<void**>(&m_menu))))
            m_menu = nullptr;
    }
    ~ShellMenu()
    {
        if (m_menu)
            m_menu->Release();
    }
    ShellMenu(const ShellMenu&) = delete;
    ShellMenu& operator=(const ShellMenu&) = delete;
    Interface* operator->() const { return m_menu; }
    explicit operator bool() const { return m_menu != nullptr; }

private:
    Interface* m_menu = nullptr;
};

// While it lives every item of the menu that carries a record holds its caller's data again:
// an extension looks for its own data in its items.
class CallerDataInPlace
{
public:
    explicit CallerDataInPlace(HMENU menu) : m_menu(menu)
    {
        const int count = ::GetMenuItemCount(menu);
        for (int position = 0; position < count; ++position)
            m_records.push_back(CImageMenuManager::SwapItemData(menu, static_cast<UINT>(position), nullptr, TRUE));
    }
    ~CallerDataInPlace()
    {
        for (size_t position = 0; position < m_records.size(); ++position) {
            if (m_records[position])
                CImageMenuManager::SwapItemData(m_menu, static_cast<UINT>(position), m_records[position], TRUE);
        }
    }
    CallerDataInPlace(const CallerDataInPlace&) = delete;
    CallerDataInPlace& operator=(const CallerDataInPlace&) = delete;

private:
    HMENU m_menu;
    std::vector<CMenuItemRecord*> m_records;
};

const CMenuItemRecord* FirstShellRecord(HMENU menu)
{
    const int count = ::GetMenuItemCount(menu);
    for (int position = 0; position < count; ++position) {
        const CMenuItemRecord* record = RecordOf(menu, static_cast<UINT>(position), TRUE);
        if (record && record->m_pShellObject)
            return record;
    }
    return nullptr;
}

} // namespace

CImageMenuManager::CImageMenuManager()
    : m_radio(CreateRadioBitmap({::GetSystemMetrics(SM_CXMENUCHECK), ::GetSystemMetrics(SM_CYMENUCHECK)}))
{
}

HBITMAP CImageMenuManager::CreateRadioBitmap(SIZE size)
{
    if (size.cx <= 0 || size.cy <= 0)
        return nullptr;
    // Monochrome, as the system's check marks: drawn into the menu its white takes the box's
    // colour and its black the text colour.
    const HBITMAP bitmap = ::CreateBitmap(size.cx, size.cy, 1, 1, nullptr);
    const HDC dc = ::CreateCompatibleDC(nullptr);
    if (bitmap && dc) {
        SelectScope picture(dc, bitmap);
        const RECT all = {0, 0, size.cx, size.cy};
        ::FillRect(dc, &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
        const int insetX = std::max<int>(0, size.cx / 2 - 2);
        const int insetY = std::max<int>(0, size.cy / 2 - 2);
        SelectScope brush(dc, ::GetStockObject(BLACK_BRUSH));
        SelectScope pen(dc, ::GetStockObject(BLACK_PEN));
        ::Ellipse(dc, insetX, insetY, size.cx - insetX, size.cy - insetY);
    }
    if (dc)
        ::DeleteDC(dc);
    return bitmap;
}

CImageMenuManager& CImageMenuManager::ForContextMenus()
{
    static CImageMenuManager manager;
    return manager;
}

void CImageMenuManager::SetShellContextMenu(IContextMenu* menu, UINT first, UINT last)
{
    m_pShellMenu = menu;
    m_nShellFirst = first;
    m_nShellLast = last;
}

BOOL CImageMenuManager::SetItemInterface(HMENU menu, IUnknown* shellObject, UINT position)
{
    char text[kMaxText];
    MENUITEMINFOA info;
    if (!menu || !ReadItem(menu, position, TRUE, info, text))
        return FALSE;
    CMenuItemRecord* record = (info.fType & MFT_OWNERDRAW) ? CMenuItemRecord::FromItemData(info.dwItemData) : nullptr;
    if (!record) {
        record = NewRecord();
        record->m_dwCallerData = info.dwItemData;
        record->m_nType = info.fType;
    }
    if (shellObject)
        shellObject->AddRef();
    if (record->m_pShellObject)
        record->m_pShellObject->Release();
    record->m_pShellObject = shellObject;
    WriteItemData(menu, position, TRUE, record->AsItemData());
    return TRUE;
}

CMenuItemRecord* CImageMenuManager::SwapItemData(HMENU menu, UINT item, CMenuItemRecord* record, BOOL byPos)
{
    if (CMenuItemRecord* current = RecordOf(menu, item, byPos)) {
        WriteItemData(menu, item, byPos, current->m_dwCallerData);
        return current;
    }
    // Only a live record goes back: the pointer is checked by its address, never read first.
    const ULONG_PTR data = reinterpret_cast<ULONG_PTR>(record);
    if (record && CMenuItemRecord::FromItemData(data) == record)
        WriteItemData(menu, item, byPos, data);
    return nullptr;
}

CImageMenuManager::~CImageMenuManager()
{
    m_converted.clear();
    Destroy();
    HookWindow(static_cast<HWND>(nullptr));
}

void CImageMenuManager::Destroy()
{
    m_images.DeleteImageList();
    m_scratch.DeleteImageList();
    m_commandImages.clear();
    m_popupImages.clear();
    m_szButton = {0, 0};
    m_szBox = {0, 0};
    m_toolbarIds.clear();
    if (m_hMenuFont)
        ::DeleteObject(m_hMenuFont);
    m_hMenuFont = nullptr;
    m_accel.clear();
}

void CImageMenuManager::Refresh()
{
    const std::vector<UINT> ids = m_toolbarIds;
    Destroy();
    for (const UINT id : ids)
        AddToolbarImages(id);
}

BOOL CImageMenuManager::AttachFrame(CWnd* frame)
{
    m_pFrame = frame;
    return HookWindow(frame);
}

SIZE CImageMenuManager::SetImageSize(SIZE size)
{
    const SIZE old = m_szButton;
    m_szButton = {size.cx ? size.cx : 16, size.cy ? size.cy : 15};
    m_szBox = {m_szButton.cx + 4, m_szButton.cy + 4};
    return old;
}

BOOL CImageMenuManager::AddToolbarImages(UINT id)
{
    const HINSTANCE module = ::GetModuleHandleA(nullptr);
    const HRSRC found = ::FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(kToolbarResource));
    if (!found || !::FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(2)))
        return FALSE;
    const auto* data = static_cast<const BYTE*>(::LockResource(::LoadResource(module, found)));
    ToolBarResource toolbar;
    if (!data || !ParseToolBarResource(data, ::SizeofResource(module, found), toolbar))
        return FALSE;
    const SIZE button = {toolbar.cx, toolbar.cy};
    if (m_images.GetSafeHandle() && (button.cx != m_szButton.cx || button.cy != m_szButton.cy))
        return FALSE;
    CBitmap bitmap;
    if (!bitmap.LoadMappedBitmap(id))
        return FALSE;
    if (!m_images.GetSafeHandle()) {
        SetImageSize(button);
        if (!m_images.Create(m_szButton.cx, m_szButton.cy, ILC_MASK | ILC_COLOR32, 0, 10) ||
            !m_scratch.Create(m_szButton.cx, m_szButton.cy, ILC_MASK | ILC_COLOR32, 0, 10))
            return FALSE;
    }
    m_images.SetBkColor(::GetSysColor(COLOR_3DFACE));
    int next = m_images.GetImageCount();
    if (m_images.Add(&bitmap, ::GetSysColor(COLOR_3DFACE)) < 0)
        return FALSE;
    for (const UINT command : toolbar.ids) {
        if (command == 0)
            continue;
        // The first tool bar that shows a command gives its image.
        m_commandImages.emplace(command, next);
        ++next;
    }
    m_toolbarIds.push_back(id);
    return TRUE;
}

int CImageMenuManager::GetImageIndex(UINT command) const
{
    const auto found = m_commandImages.find(command);
    return found == m_commandImages.end() ? -1 : found->second;
}

void CImageMenuManager::LoadAccel(HACCEL table)
{
    m_accel.clear();
    if (!table)
        return;
    const int count = ::CopyAcceleratorTableA(table, nullptr, 0);
    if (count <= 0)
        return;
    m_accel.resize(static_cast<size_t>(count));
    m_accel.resize(static_cast<size_t>(::CopyAcceleratorTableA(table, m_accel.data(), count)));
}

BOOL CImageMenuManager::AppendAccelText(CString& text, UINT command) const
{
    const int tab = text.Find('\t');
    if (tab > 0)
        text = text.Left(tab);
    bool any = false;
    for (auto entry = m_accel.rbegin(); entry != m_accel.rend(); ++entry) {
        if (entry->cmd != command)
            continue;
        text += any ? ", " : "\t";
        any = true;
        if (entry->fVirt & FALT)
            text += "Alt+";
        if (entry->fVirt & FCONTROL)
            text += "Ctrl+";
        if (entry->fVirt & FSHIFT)
            text += "Shift+";
        text += KeyName(*entry);
    }
    return any;
}

CMenuItemRecord* CImageMenuManager::NewRecord()
{
    auto record = std::make_unique<CMenuItemRecord>();
    CMenuItemRecord* raw = record.get();
    m_records.emplace(raw, std::move(record));
    return raw;
}

bool CImageMenuManager::IsOwnRecord(const CMenuItemRecord* record) const
{
    return m_records.count(const_cast<CMenuItemRecord*>(record)) != 0;
}

void CImageMenuManager::DeleteRecord(CMenuItemRecord* record)
{
    m_records.erase(record);
}

void CImageMenuManager::OwnerDrawMenu(HMENU menu)
{
    ConvertMenu(menu, true);
}

void CImageMenuManager::RestoreMenu(HMENU menu)
{
    ConvertMenu(menu, false);
}

void CImageMenuManager::ConvertMenu(HMENU menu, bool show)
{
    if (!menu || !::IsMenu(menu))
        return;
    const auto listed = std::find(m_converted.begin(), m_converted.end(), menu);
    if (show && listed == m_converted.end())
        m_converted.push_back(menu);
    if (!show && listed != m_converted.end())
        m_converted.erase(listed);
    const int count = ::GetMenuItemCount(menu);
    for (int position = 0; position < count; ++position)
        OwnerDrawMenuItem(menu, static_cast<UINT>(position), true, !show);
}

void CImageMenuManager::OwnerDrawMenuItem(HMENU menu, UINT position, bool recurse, bool unconvert)
{
    char text[kMaxText];
    MENUITEMINFOA info;
    if (!ReadItem(menu, position, TRUE, info, text) || (info.fType & MFT_SEPARATOR))
        return;
    if (recurse && info.hSubMenu)
        ConvertMenu(info.hSubMenu, !unconvert);
    const bool ownerDrawn = (info.fType & MFT_OWNERDRAW) != 0;
    CMenuItemRecord* record = CMenuItemRecord::FromItemData(info.dwItemData);
    if (ownerDrawn && (!record || m_records.count(record) == 0))
        return; // someone else's item
    MENUITEMINFOA write = {};
    write.cbSize = sizeof(write);
    write.fMask = MIIM_TYPE | MIIM_DATA;
    CString itemText;
    if (unconvert) {
        if (!ownerDrawn)
            return;
        if (record->m_pShellObject) {
            // The extension draws the item: it stays owner-drawn, with the extension's data.
            WriteItemData(menu, position, TRUE, record->m_dwCallerData);
            DeleteRecord(record);
            return;
        }
        itemText = record->m_strText;
        write.fType = info.fType & ~static_cast<UINT>(MFT_OWNERDRAW);
        write.dwItemData = record->m_dwCallerData;
        DeleteRecord(record);
    } else {
        if (ownerDrawn)
            return;
        record = NewRecord();
        record->m_dwCallerData = info.dwItemData;
        record->m_nType = info.fType | MFT_OWNERDRAW;
        record->m_nImage = info.hSubMenu ? (m_popupImages.count(info.hSubMenu) ? m_popupImages[info.hSubMenu] : -1)
                                         : GetImageIndex(info.wID);
        itemText = text;
        write.fType = record->m_nType;
        write.dwItemData = record->AsItemData();
    }
    if (!m_accel.empty() && m_bAutoAccel && !info.hSubMenu)
        AppendAccelText(itemText, info.wID);
    if (unconvert) {
        write.dwTypeData = const_cast<char*>(static_cast<LPCSTR>(itemText));
    } else {
        // An owner-drawn item has no text of its own: the record holds it.
        record->m_strText = itemText;
        write.dwTypeData = reinterpret_cast<LPSTR>(write.dwItemData);
    }
    ::SetMenuItemInfoA(menu, position, TRUE, &write);
}

void CImageMenuManager::OnInitMenuPopup(HMENU popup, UINT index, BOOL sysMenu)
{
    if (sysMenu)
        return;
    // A popup with shell extensions' items is the extension's to fill and is left as it is. The
    // manager that gave the records tells the extension, once, however many managers are hooked.
    if (const CMenuItemRecord* shell = FirstShellRecord(popup)) {
        if (!IsOwnRecord(shell))
            return;
        const ShellMenu<IContextMenu2> extension(*shell, IID_IContextMenu2);
        if (extension) {
            const CallerDataInPlace own(popup);
            extension->HandleMenuMsg(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), index);
            return;
        }
    }
    ConvertMenu(popup, m_bShowImages != 0);
}

HFONT CImageMenuManager::GetMenuFont()
{
    if (!m_hMenuFont) {
        NONCLIENTMETRICSA metrics = {};
        metrics.cbSize = sizeof(metrics);
        if (::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0))
            m_hMenuFont = ::CreateFontIndirectA(&metrics.lfMenuFont);
    }
    return m_hMenuFont ? m_hMenuFont : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
}

BOOL CImageMenuManager::OnMeasureItem(MEASUREITEMSTRUCT* measure)
{
    if (!measure || measure->CtlType != ODT_MENU)
        return FALSE;
    const CMenuItemRecord* record = CMenuItemRecord::FromItemData(measure->itemData);
    if (!record)
        return FALSE;
    if (record->m_pShellObject) {
        const ShellMenu<IContextMenu2> extension(*record, IID_IContextMenu2);
        if (!extension)
            return FALSE;
        measure->itemData = record->m_dwCallerData;
        extension->HandleMenuMsg(WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(measure));
        measure->itemData = record->AsItemData();
        return TRUE;
    }
    if (record->m_nType & MFT_SEPARATOR) {
        measure->itemHeight = static_cast<UINT>(::GetSystemMetrics(SM_CYMENU) / 2);
        measure->itemWidth = 0;
        return TRUE;
    }
    const HDC dc = ::GetDC(nullptr);
    RECT rect = {0, 0, 0, 0};
    {
        SelectScope font(dc, GetMenuFont());
        ::DrawTextA(dc, record->m_strText, -1, &rect, DT_SINGLELINE | DT_VCENTER | DT_CALCRECT);
    }
    ::ReleaseDC(nullptr, dc);
    const int box = m_szBox.cx ? m_szBox.cx : 20;
    measure->itemHeight = static_cast<UINT>(std::max<LONG>(::GetSystemMetrics(SM_CYMENU), rect.bottom - rect.top));
    measure->itemWidth = static_cast<UINT>(std::max<LONG>(
        0, rect.right - rect.left + 2 * box + 5 - (::GetSystemMetrics(SM_CXMENUCHECK) - 1)));
    return TRUE;
}

BOOL CImageMenuManager::OnDrawItem(const DRAWITEMSTRUCT* draw)
{
    if (!draw || draw->CtlType != ODT_MENU)
        return FALSE;
    const CMenuItemRecord* record = CMenuItemRecord::FromItemData(draw->itemData);
    if (!record)
        return FALSE;
    if (record->m_pShellObject) {
        const ShellMenu<IContextMenu2> extension(*record, IID_IContextMenu2);
        if (!extension)
            return FALSE;
        DRAWITEMSTRUCT own = *draw;
        own.itemData = record->m_dwCallerData;
        extension->HandleMenuMsg(WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&own));
        return TRUE;
    }
    const HDC dc = draw->hDC;
    RECT item = draw->rcItem;
    if (record->m_nType & MFT_SEPARATOR) {
        item.top += (item.bottom - item.top) / 2;
        ::DrawEdge(dc, &item, EDGE_ETCHED, BF_TOP);
        return TRUE;
    }
    const bool selected = (draw->itemState & ODS_SELECTED) != 0;
    const bool disabled = (draw->itemState & ODS_GRAYED) != 0;
    const bool checked = (draw->itemState & ODS_CHECKED) != 0;
    const SIZE boxSize = m_szBox.cx ? m_szBox : SIZE{20, 19};
    const int itemHeight = item.bottom - item.top;
    RECT box = {item.left, item.top + (itemHeight - boxSize.cy) / 2, item.left + boxSize.cx,
                item.top + (itemHeight - boxSize.cy) / 2 + boxSize.cy};
    bool boxDrawn = false;
    if (record->m_nImage == -1) {
        boxDrawn = DrawCheckBox(dc, box, draw->itemID, reinterpret_cast<HMENU>(draw->hwndItem), checked, selected) != 0;
    } else {
        DrawImage(dc, box, *record, disabled, selected, checked);
        boxDrawn = true;
    }
    if (selected || (draw->itemAction & ODA_SELECT)) {
        RECT back = item;
        if (boxDrawn)
            back.left += boxSize.cx + 1;
        ::FillRect(dc, &back, ::GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_MENU));
    }
    RECT textRect = {item.left + boxSize.cx + 3, item.top, item.right - boxSize.cx, item.bottom};
    SelectScope font(dc, GetMenuFont());
    ::SetBkMode(dc, TRANSPARENT);
    const bool greyOnHighlight = selected && ::GetSysColor(COLOR_GRAYTEXT) != ::GetSysColor(COLOR_HIGHLIGHT);
    if (disabled && !greyOnHighlight) {
        RECT raised = {textRect.left + 1, textRect.top + 1, textRect.right + 1, textRect.bottom + 1};
        ::SetTextColor(dc, ::GetSysColor(COLOR_3DHILIGHT));
        DrawMenuText(dc, record->m_strText, raised);
    }
    ::SetTextColor(dc, ::GetSysColor(disabled ? COLOR_GRAYTEXT : selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT));
    DrawMenuText(dc, record->m_strText, textRect);
    return TRUE;
}

int CImageMenuManager::DrawCheckBox(HDC dc, RECT box, UINT itemId, HMENU menu, bool checked, bool selected) const
{
    MENUITEMINFOA info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_CHECKMARKS | MIIM_FTYPE;
    const bool known = menu && ::IsMenu(menu) && ::GetMenuItemInfoA(menu, itemId, FALSE, &info);
    if (!checked && !(known && info.hbmpUnchecked))
        return 0;
    HBITMAP picture = known ? (checked ? info.hbmpChecked : info.hbmpUnchecked) : nullptr;
    if (!picture && checked && known && (info.fType & MFT_RADIOCHECK))
        picture = m_radio.Get();
    GdiObject<HBITMAP> system;
    if (!picture) {
        system.Reset(::LoadBitmapA(nullptr, MAKEINTRESOURCEA(kSystemCheckBitmap)));
        picture = system.Get();
    }
    BITMAP size = {};
    ::GetObjectA(picture, sizeof(size), &size);
    const int boxWidth = box.right - box.left;
    const int boxHeight = box.bottom - box.top;
    const int width = std::min<int>(size.bmWidth, boxWidth);
    const int height = std::min<int>(size.bmHeight, boxHeight);
    const HDC source = ::CreateCompatibleDC(dc);
    {
        SelectScope selectedPicture(source, picture);
        ::SetBkColor(dc, ::GetSysColor(selected ? COLOR_MENU : COLOR_3DLIGHT));
        ::SetTextColor(dc, ::GetSysColor(COLOR_MENUTEXT));
        ::FillRect(dc, &box, ::GetSysColorBrush(selected ? COLOR_MENU : COLOR_3DLIGHT));
        ::BitBlt(dc, box.left + (boxWidth - width) / 2, box.top + (boxHeight - height) / 2, width, height, source,
                 0, 0, SRCCOPY);
    }
    ::DeleteDC(source);
    if (size.bmWidth < boxWidth)
        ::InflateRect(&box, 1, 1);
    ::DrawEdge(dc, &box, BDR_SUNKENOUTER, BF_RECT);
    return 1;
}

void CImageMenuManager::DrawImage(HDC dc, const RECT& box, const CMenuItemRecord& record, bool disabled,
                                  bool selected, bool checked)
{
    const SIZE button = m_szButton.cx ? m_szButton : SIZE{16, 15};
    const POINT at = {box.left + (box.right - box.left - button.cx) / 2, box.top + (box.bottom - box.top - button.cy) / 2};
    const bool icon = record.m_nImage == -2;
    if (!disabled) {
        RECT face = box;
        ::FillRect(dc, &face, ::GetSysColorBrush(checked && !selected ? COLOR_3DLIGHT : COLOR_MENU));
        if (selected || checked)
            ::DrawEdge(dc, &face, checked ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
        if (icon && record.m_hIcon)
            ::DrawState(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(record.m_hIcon), 0, at.x, at.y, button.cx,
                        button.cy, DST_ICON);
        else if (!icon)
            ::ImageList_Draw(m_images.GetSafeHandle(), record.m_nImage, dc, at.x, at.y, ILD_TRANSPARENT);
        return;
    }
    if (m_bDisabledByDrawState) {
        const HICON drawn = icon ? record.m_hIcon : m_images.ExtractIcon(record.m_nImage);
        if (drawn)
            ::DrawState(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(drawn), 0, at.x, at.y, button.cx, button.cy,
                        DST_ICON | DSS_DISABLED);
        if (!icon && drawn)
            ::DestroyIcon(drawn);
        return;
    }
    if (!icon) {
        DrawEmbossed(dc, m_images.GetSafeHandle(), record.m_nImage, at);
        return;
    }
    if (!record.m_hIcon || !m_scratch.GetSafeHandle())
        return;
    const int scratch = m_scratch.Add(record.m_hIcon);
    if (scratch >= 0) {
        DrawEmbossed(dc, m_scratch.GetSafeHandle(), scratch, at);
        ::ImageList_Remove(m_scratch.GetSafeHandle(), scratch);
    }
}

void CImageMenuManager::DrawEmbossed(HDC dc, HIMAGELIST list, int index, POINT at) const
{
    int width = 0;
    int height = 0;
    if (!list || index < 0 || !::ImageList_GetIconSize(list, &width, &height) || width <= 0 || height <= 0)
        return;
    const HDC colourDc = ::CreateCompatibleDC(dc);
    const HDC maskDc = ::CreateCompatibleDC(dc);
    GdiObject<HBITMAP> colour(::CreateCompatibleBitmap(dc, width, height));
    GdiObject<HBITMAP> mask(::CreateBitmap(width, height, 1, 1, nullptr));
    {
        SelectScope colourPicture(colourDc, colour.Get());
        SelectScope maskPicture(maskDc, mask.Get());
        const RECT all = {0, 0, width, height};
        ::FillRect(colourDc, &all, ::GetSysColorBrush(COLOR_3DFACE));
        ::ImageList_Draw(list, index, colourDc, 0, 0, ILD_TRANSPARENT);
        // The mask: white where the image shows the face or highlight colour, black elsewhere.
        ::SetBkColor(colourDc, ::GetSysColor(COLOR_3DFACE));
        ::BitBlt(maskDc, 0, 0, width, height, colourDc, 0, 0, SRCCOPY);
        ::SetBkColor(colourDc, ::GetSysColor(COLOR_3DHILIGHT));
        ::BitBlt(maskDc, 0, 0, width, height, colourDc, 0, 0, SRCPAINT);
        // Paint the drawn (black) pixels: highlight one pixel down and right, then shadow in place.
        ::FillRect(colourDc, &all, ::GetSysColorBrush(COLOR_MENU));
        // The ROP paints the brush where the source is white: the mask's black (the image) is
        // turned white here, its white (face and highlight) black.
        ::SetBkColor(colourDc, RGB(0, 0, 0));
        ::SetTextColor(colourDc, RGB(255, 255, 255));
        {
            SelectScope light(colourDc, ::GetSysColorBrush(COLOR_3DHILIGHT));
            ::BitBlt(colourDc, 1, 1, width - 1, height - 1, maskDc, 0, 0, 0xE20746);
        }
        {
            SelectScope shadow(colourDc, ::GetSysColorBrush(COLOR_3DSHADOW));
            ::BitBlt(colourDc, 0, 0, width, height, maskDc, 0, 0, 0xE20746);
        }
        ::BitBlt(dc, at.x, at.y, width, height, colourDc, 0, 0, SRCCOPY);
    }
    ::DeleteDC(maskDc);
    ::DeleteDC(colourDc);
}

void CImageMenuManager::DrawMenuText(HDC dc, const CString& text, RECT rect)
{
    const int tab = text.Find('\t');
    const CString label = tab < 0 ? text : text.Left(tab);
    ::DrawTextA(dc, label, -1, &rect, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
    if (tab >= 0) {
        const CString accel = text.Mid(tab + 1);
        ::DrawTextA(dc, accel, -1, &rect, DT_SINGLELINE | DT_VCENTER | DT_RIGHT);
    }
}

LRESULT CImageMenuManager::OnMenuChar(UINT ch, UINT flags, HMENU menu)
{
    if (!menu)
        return 0;
    if (const CMenuItemRecord* first = RecordOf(menu, 0, TRUE); first && first->m_pShellObject) {
        if (!IsOwnRecord(first))
            return 0; // the manager that gave the records answers
        const ShellMenu<IContextMenu3> extension(*first, IID_IContextMenu3);
        if (extension) {
            LRESULT result = 0;
            const CallerDataInPlace own(menu);
            extension->HandleMenuMsg2(WM_MENUCHAR, MAKELONG(ch, flags), reinterpret_cast<LPARAM>(menu), &result);
            return result;
        }
    }
    const int count = ::GetMenuItemCount(menu);
    std::vector<int> matches;
    int highlighted = -1;
    const int wanted = std::toupper(static_cast<unsigned char>(ch));
    for (int position = 0; position < count; ++position) {
        MENUITEMINFOA info = {};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_STATE;
        ::GetMenuItemInfoA(menu, static_cast<UINT>(position), TRUE, &info);
        if (info.fState & MFS_HILITE)
            highlighted = position;
        const CMenuItemRecord* record = RecordOf(menu, static_cast<UINT>(position), TRUE);
        if (!record)
            continue;
        const int amp = record->m_strText.Find('&');
        if (amp >= 0 && amp + 1 < record->m_strText.GetLength() &&
            std::toupper(static_cast<unsigned char>(record->m_strText[amp + 1])) == wanted)
            matches.push_back(position);
    }
    if (matches.empty())
        return 0;
    if (matches.size() == 1)
        return MAKELONG(matches.front(), MNC_EXECUTE);
    const auto next = std::find_if(matches.begin(), matches.end(), [&](int p) { return p > highlighted; });
    return MAKELONG(next == matches.end() ? matches.front() : *next, MNC_SELECT);
}

LRESULT CImageMenuManager::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_MEASUREITEM:
        if (OnMeasureItem(reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)))
            return 1;
        break;
    case WM_DRAWITEM:
        if (OnDrawItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)))
            return 1;
        break;
    case WM_SYSCOLORCHANGE:
    case WM_SETTINGCHANGE:
        Refresh();
        break;
    case WM_INITMENUPOPUP: {
        CSubclassWnd::WindowProc(msg, wParam, lParam);
        OnInitMenuPopup(reinterpret_cast<HMENU>(wParam), 0, HIWORD(lParam));
        return 0;
    }
    case WM_MENUSELECT:
        OnMenuSelect(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HMENU>(lParam));
        break;
    case WM_MENUCHAR: {
        const LRESULT answer = OnMenuChar(LOBYTE(LOWORD(wParam)), HIWORD(wParam), reinterpret_cast<HMENU>(lParam));
        if (answer)
            return answer;
        break;
    }
    default:
        break;
    }
    return CSubclassWnd::WindowProc(msg, wParam, lParam);
}

void CImageMenuManager::OnMenuSelect(UINT id, UINT flags, HMENU menu)
{
    if (flags == 0xFFFF && !menu) {
        m_pShellMenu = nullptr; // the menu closed; its owner releases it
        return;
    }
    if (!m_pShellMenu || (flags & (MF_POPUP | MF_SYSMENU)) || id < m_nShellFirst || id > m_nShellLast)
        return;
    char help[kMaxText] = {};
    if (FAILED(m_pShellMenu->GetCommandString(id - m_nShellFirst, GCS_HELPTEXTA, nullptr, help, sizeof(help))))
        help[0] = '\0';
    help[sizeof(help) - 1] = '\0'; // an extension may fill the buffer without a terminator
    CWnd* target = m_pFrame ? m_pFrame : AfxGetMainWnd();
    if (target && target->GetSafeHwnd())
        ::SendMessageA(target->GetSafeHwnd(), WM_SETMESSAGESTRING, 0, reinterpret_cast<LPARAM>(help));
}

CString CImageMenuManager::ShortKeyName(const char* systemName)
{
    for (const NumPadName& pad : kNumPadNames)
        if (std::strcmp(systemName, pad.from) == 0)
            return pad.to;
    return systemName;
}

ULONG_PTR CImageMenuManager::GetItemData(HMENU menu, UINT item, BOOL byPos)
{
    MENUITEMINFOA info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_DATA | MIIM_TYPE;
    if (!::GetMenuItemInfoA(menu, item, byPos, &info))
        return 0;
    const CMenuItemRecord* record =
        (info.fType & MFT_OWNERDRAW) ? CMenuItemRecord::FromItemData(info.dwItemData) : nullptr;
    return record ? record->m_dwCallerData : info.dwItemData;
}

ULONG_PTR CImageMenuManager::SetItemData(ULONG_PTR data, HMENU menu, UINT item, BOOL byPos)
{
    CMenuItemRecord* record = RecordOf(menu, item, byPos);
    if (!record)
        return 0;
    const ULONG_PTR previous = record->m_dwCallerData;
    record->m_dwCallerData = data;
    return previous;
}

HICON CImageMenuManager::SetItemIcon(HICON icon, HMENU menu, UINT item, BOOL byPos)
{
    CMenuItemRecord* record = RecordOf(menu, item, byPos);
    if (!record)
        return nullptr;
    const HICON previous = record->m_hIcon;
    record->m_hIcon = icon; // the previous icon goes back to the caller
    record->m_nImage = icon ? -2 : -1;
    return previous;
}
