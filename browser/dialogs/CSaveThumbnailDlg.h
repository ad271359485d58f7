// CSaveThumbnailDlg: asks where and how the list's thumbnail pictures are saved as image files
// (folder, file type, all or the selected ones, what to do with files already there). The list
// writes the files after IDOK.
#pragma once

#include "framework/Afx.h"
#include "framework/CDialog.h"

struct SaveThumbnailOptions
{
    enum FileType { Bitmap = 0, Jpeg = 1, Gif = 2 };
    enum Duplicates { Overwrite = 1, GenerateNames = 2, Prompt = 3 };

    CString folder = "C:\\OrvoKestalThumbnail";
    int fileType = Gif;
    int range = 1; // 1 all thumbnail images, 0 the selected ones
    int duplicates = GenerateNames;
};

class CSaveThumbnailDlg : public CDialog
{
public:
    // folder: the list's current folder (null gives an empty folder text).
    explicit CSaveThumbnailDlg(const char* folder, CWnd* parent = nullptr);

    BOOL OnInitDialog() override;

    SaveThumbnailOptions m_options;
    CString m_strFolder;

protected:
    void DoDataExchange(CDataExchange* dx) override;
    void OnOK() override;
    void OnBrowse();

    DECLARE_MESSAGE_MAP()

private:
    // The index of the first checked button of ids, or -1.
    int CheckedIndex(const int* ids, int count) const;
    void CheckOneOf(const int* ids, int count, int index);
};
