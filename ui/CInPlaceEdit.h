// CInPlaceEdit: the edit box laid over a cell or a heading of the owner-drawn list. It edits a
// copy of the text, grows to the right while the text gets longer, and when it loses the focus
// reports the result to the list's parent as the list's own LVN_ENDLABELEDIT, then ends itself.
#pragma once

#include "framework/Controls.h"
#include "framework/CString.h"

class CInPlaceEdit : public CEdit
{
public:
    // nItem -1 edits the heading of column nColumn.
    CInPlaceEdit(int nItem, int nColumn, LPCSTR lpszInitText);

    int GetItem() const { return m_nItem; }
    int GetColumn() const { return m_nColumn; }
    BOOL PreTranslateMessage(MSG* pMsg) override;

protected:
    // The object deletes itself once its window is gone.
    void PostNcDestroy() override { delete this; }

    int OnCreate(LPCREATESTRUCTA lpCreateStruct);
    void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnKillFocus(CWnd* pNewWnd);

    DECLARE_MESSAGE_MAP()

private:
    void GrowToText();
    void ReportEnd();

    int m_nItem;
    int m_nColumn;
    CString m_strInitText;
    BOOL m_bCancelled = FALSE;
    // The end is reported once, however the focus moves while it is being reported.
    BOOL m_bEnded = FALSE;
};
