// COptionCache: the "Cache" page of the Options sheet: whether thumbnails are cached, where the
// cache libraries go, and the clean-up of cache data whose folders are gone.
#pragma once

#include "framework/Afx.h"
#include "framework/AfxWin.h"
#include "framework/CPropertyPage.h"

class COptionCache : public CPropertyPage
{
public:
    COptionCache();

    BOOL OnInitDialog() override;
    BOOL OnKillActive() override;
    void OnOK() override;

    bool IsChanged() const { return m_changed; }

    // Removes the libraries of folders that no longer exist, and the unreadable ones; only files
    // inside the cache folder are ever deleted. Returns the bytes freed.
    static ULONGLONG DeleteInvalidCacheData();

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    void OnEnabledClicked();
    void OnFolderTypeClicked();
    void OnBrowse();
    void OnDefault();
    void OnDeleteInvalid();

    DECLARE_MESSAGE_MAP()

private:
    void ApplyEnablingRule();
    bool EnsureFolder();

    bool m_changed = false;
    CString m_folder;
    int m_readFirst = 1;
    int m_enabled = 1;
};
