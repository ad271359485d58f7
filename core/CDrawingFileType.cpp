#include "core/CDrawingFileType.h"

#include "core/PathUtils.h"

#include <iterator>

namespace {

struct FileTypeRow
{
    const char* extension;
    int typeId;
    COLORREF color;
    DWORD imageFormat; // 0 for drawings
};

// The rows in the table's order; drawings first.
const FileTypeRow kRows[] = {
    {".DWG", 0, 0xD7EBD7, 0},   {".DXF", 1, 0xC8EBEB, 0},   {".DWT", 2, 0xC8EBA0, 0},
    {".DWF", 3, 0xFFE3E3, 0},   {".JPG", 5, 0xC8E1C4, 3},   {".BMP", 4, 0xE4E0C4, 1},
    {".GIF", 6, 0x92CFB1, 2},   {".PSD", 17, 0xF5E1CB, 18}, {".PCX", 7, 0xAFD3DC, 9},
    {".TIF", 8, 0xDAD7F0, 7},   {".PNG", 9, 0xF1D6EF, 4},   {".MNG", 10, 0xF1D6DE, 5},
    {".ICO", 11, 0xCBFCFA, 6},  {".TGA", 12, 0xC9FEE8, 8},  {".WBMP", 13, 0xE4E0C4, 10},
    {".WMF", 14, 0xB6D6EB, 11}, {".EMF", 14, 0xB6D6EB, 11}, {".JPEG", 5, 0xC8E1C4, 3},
    {".TIFF", 8, 0xDAD7F0, 7},
};
const int kDrawingRows = 4;

} // namespace

CDrawingFileType g_fileTypes;

CDrawingFileType::CDrawingFileType()
{
    Build(false);
}

void CDrawingFileType::Build(bool drawingsOnly)
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_index.clear();
    m_rows.RemoveAll();
    const int count = drawingsOnly ? kDrawingRows : static_cast<int>(std::size(kRows));
    for (int i = 0; i < count; ++i)
        AddRow(kRows[i].extension, kRows[i].color, kRows[i].typeId);
    BuildIndex();
}

void CDrawingFileType::Add(const char* extension, COLORREF color, int typeId)
{
    std::lock_guard<std::mutex> guard(m_lock);
    AddRow(extension, color, typeId);
    BuildIndex();
}

bool CDrawingFileType::FindByExtension(const char* extension, CDrawingFileInfo& row) const
{
    if (!extension || !*extension)
        return false;
    std::lock_guard<std::mutex> guard(m_lock);
    for (const CDrawingFileInfo* candidate : m_index) {
        if (candidate->extension.CompareNoCase(extension) == 0) {
            row = *candidate;
            return true;
        }
    }
    return false;
}

int CDrawingFileType::GetCount() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return static_cast<int>(m_index.size());
}

bool CDrawingFileType::GetAt(int index, CDrawingFileInfo& row) const
{
    std::lock_guard<std::mutex> guard(m_lock);
    if (index < 0 || index >= static_cast<int>(m_index.size()))
        return false;
    row = *m_index[index];
    return true;
}

void CDrawingFileType::AddRow(const char* extension, COLORREF color, int typeId)
{
    m_rows.AddTail(CDrawingFileInfo(extension, color, typeId));
}

void CDrawingFileType::BuildIndex()
{
    m_index.clear();
    m_index.reserve(m_rows.GetCount());
    m_rows.ForEach([this](const CDrawingFileInfo& row) { m_index.push_back(&row); });
}

bool GetDrawingFileInfo(const char* path, CDrawingFileInfo* row)
{
    CDrawingFileInfo found;
    if (!g_fileTypes.FindByExtension(GetPathExtension(path), found))
        return false;
    if (row)
        *row = found;
    return true;
}

bool DrawingTypeToImageFormat(int typeId, DWORD* format)
{
    for (const FileTypeRow& row : kRows) {
        if (row.typeId == typeId && row.imageFormat != 0) {
            if (format)
                *format = row.imageFormat;
            return true;
        }
    }
    return false;
}
