// CImageMenuManager: makes a frame's popup menus owner-drawn, each item with the tool-bar image of
// its command in a box left of its text, checks as pressed boxes, disabled images embossed and
// the accelerator text right-aligned, radio items with a dot. It hooks the frame and converts
// each popup as it opens. Owner-drawn items of others are never touched; those of shell
// extensions in a context menu (given a record by SetItemInterface) have their owner-draw
// messages passed on to the extension through IContextMenu2/3, with the extension's own item
// data in place while it looks.
#pragma once

#include "framework/AfxWin.h"
#include "framework/CImageList.h"
#include "framework/GdiScopes.h"
#include "ui/CMenuItemRecord.h"
#include "ui/CSubclassWnd.h"

#include <map>
#include <memory>
#include <vector>

struct IContextMenu;
struct IUnknown;

class CImageMenuManager : public CSubclassWnd
{
public:
    CImageMenuManager();
    ~CImageMenuManager() override;

    virtual void Destroy();
    virtual void Refresh();
    virtual void OnInitMenuPopup(HMENU popup, UINT index, BOOL sysMenu);
    virtual BOOL OnMeasureItem(MEASUREITEMSTRUCT* measure);
    virtual BOOL OnDrawItem(const DRAWITEMSTRUCT* draw);
    virtual LRESULT OnMenuChar(UINT ch, UINT flags, HMENU menu);
    // Shows the shell's help text of a selected shell command on the frame's status line;
    // forgets the shell context menu when the menu closes.
    virtual void OnMenuSelect(UINT id, UINT flags, HMENU menu);

    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    BOOL AttachFrame(CWnd* frame);
    // The images of a tool bar resource (bitmap and tool-bar data of that id), in its command order.
    BOOL AddToolbarImages(UINT id);
    SIZE SetImageSize(SIZE size);
    void LoadAccel(HACCEL table);
    // Appends "\tCtrl+R, F5" etc. for the command's accelerators (the latest entry first).
    BOOL AppendAccelText(CString& text, UINT command) const;
    void OwnerDrawMenu(HMENU menu);
    void RestoreMenu(HMENU menu);
    int GetImageIndex(UINT command) const;
    // The system's key name as a menu shows it: the numeric pad's "Num 7" as "Home" and so on.
    static CString ShortKeyName(const char* systemName);
    HFONT GetMenuFont();
    SIZE GetBoxSize() const { return m_szBox; }
    void SetShowImages(BOOL show) { m_bShowImages = show ? 1 : 0; }
    // The shell context menu whose help texts show for the commands first..last while it is
    // open. Borrowed: its owner keeps it alive while the menu is open, and it is forgotten (not
    // released) when the menu closes.
    void SetShellContextMenu(IContextMenu* menu, UINT first, UINT last);
    // Gives the item at position a record that holds the shell extension's object (a reference
    // is added), so that its owner-draw messages reach the extension. FALSE without such item.
    BOOL SetItemInterface(HMENU menu, IUnknown* shellObject, UINT position);
    // The program-wide instance for the shell context menus: hook it on the window that owns a
    // context menu while the menu is tracked. Made on first use, destroyed at exit.
    static CImageMenuManager& ForContextMenus();
    // Monochrome, white with a black dot in the middle, inset by size / 2 - 2 from each side:
    // the check of a radio item (MFT_RADIOCHECK).
    static HBITMAP CreateRadioBitmap(SIZE size);
    void SetDisabledByDrawState(BOOL drawState) { m_bDisabledByDrawState = drawState; }

    // Item data of any menu item: the caller's own data also under a record.
    static ULONG_PTR GetItemData(HMENU menu, UINT item, BOOL byPos);
    static ULONG_PTR SetItemData(ULONG_PTR data, HMENU menu, UINT item, BOOL byPos);
    static HICON SetItemIcon(HICON icon, HMENU menu, UINT item, BOOL byPos);
    // An item whose data is a record gets the record's caller's data back and the record is
    // returned; otherwise a given live record becomes the item's data again (null returned).
    static CMenuItemRecord* SwapItemData(HMENU menu, UINT item, CMenuItemRecord* record, BOOL byPos);

private:
    void ConvertMenu(HMENU menu, bool show);
    void OwnerDrawMenuItem(HMENU menu, UINT position, bool recurse, bool unconvert);
    CMenuItemRecord* NewRecord();
    void DeleteRecord(CMenuItemRecord* record);
    bool IsOwnRecord(const CMenuItemRecord* record) const;
    int DrawCheckBox(HDC dc, RECT box, UINT itemId, HMENU menu, bool checked, bool selected) const;
    void DrawImage(HDC dc, const RECT& box, const CMenuItemRecord& record, bool disabled, bool selected,
                   bool checked);
    void DrawEmbossed(HDC dc, HIMAGELIST list, int index, POINT at) const;
    static void DrawMenuText(HDC dc, const CString& text, RECT rect);

    BYTE m_bShowImages = 1;
    BOOL m_bAutoAccel = TRUE;
    BOOL m_bDisabledByDrawState = FALSE;
    CWnd* m_pFrame = nullptr;
    std::vector<UINT> m_toolbarIds;
    CImageList m_images;
    CImageList m_scratch;
    std::map<UINT, int> m_commandImages;
    std::map<HMENU, int> m_popupImages;
    std::vector<ACCEL> m_accel;
    std::vector<HMENU> m_converted;
    GdiObject<HBITMAP> m_radio;
    IContextMenu* m_pShellMenu = nullptr; // borrowed, see SetShellContextMenu
    UINT m_nShellFirst = 0;
    UINT m_nShellLast = 0;
    SIZE m_szButton = {0, 0};
    SIZE m_szBox = {0, 0};
    HFONT m_hMenuFont = nullptr;
    // Every record this manager gave an item; a record leaves when its item is restored.
    std::map<CMenuItemRecord*, std::unique_ptr<CMenuItemRecord>> m_records;
};
