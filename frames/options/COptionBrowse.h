// COptionBrowse: the "Browser" page of the Options sheet: what the browse frame shows, where
// thumbnails come from, and the list's sort order. Written to the settings only on OK.
#pragma once

#include "framework/Afx.h"
#include "framework/AfxWin.h"
#include "framework/CPropertyPage.h"

class CAppOptions;

class COptionBrowse : public CPropertyPage
{
public:
    static constexpr int kCheckCount = 10;

    explicit COptionBrowse(CAppOptions& options);

    BOOL OnInitDialog() override;
    void OnOK() override;

    bool IsChanged() const { return m_changed; }
    // "Only browse drawing files" changed, so the file-type table was rebuilt.
    bool AreFileTypesChanged() const { return m_fileTypesChanged; }

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    void OnDefault();

    DECLARE_MESSAGE_MAP()

private:
    void ShowSort(int sortType, bool forward);
    int CheckedSortType() const;

    CAppOptions& m_options;
    bool m_changed = false;
    bool m_fileTypesChanged = false;
    int m_checks[kCheckCount];
};
