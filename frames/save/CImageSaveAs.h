// CImageSaveAs: the view frame's Save As for a raster image: BMP, JPEG, GIF, PCX, TIFF, PNG or
// TGA chosen in the library's save dialog (starting on the last kind saved); the image object
// picks the format from the name's extension and writes through a temporary file.
#pragma once

#include "frames/save/SaveFormats.h"

class KImage;
class CWnd;

class CImageSaveAs
{
public:
    CImageSaveAs(KImage& image, const CString& shownPath, CWnd* owner);

    SaveAsResult Run();
    // Saves to exactly path (its extension picks the format); index (1..7) is remembered.
    SaveAsResult SaveTo(const CString& path, int index);
    CString InitialName(int index) const;

private:
    KImage& m_image;
    CString m_shownPath;
    CWnd* m_owner;
};
