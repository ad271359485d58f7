// CDrawingFileType: the table of every file extension the program shows (g_fileTypes): the four
// drawing types read by the engine and the raster types read by the raster image classes, each
// with its type id and list colour. The options sheet may refill it while the drawing thread looks
// files up, so every operation takes the table's lock and lookups hand out copies of rows.
#pragma once

#include "core/CDrawingFileInfo.h"
#include "kit/OArray.h"

#include <mutex>
#include <vector>

class CDrawingFileType
{
public:
    // Every type (Build(false)).
    CDrawingFileType();
    virtual ~CDrawingFileType() = default;
    CDrawingFileType(const CDrawingFileType&) = delete;
    CDrawingFileType& operator=(const CDrawingFileType&) = delete;

    // Refills the table: the four drawing types, then (unless drawingsOnly) the fifteen raster
    // types, in the table's order; then the index.
    void Build(bool drawingsOnly);
    // Appends one row (the extension is copied) and brings the index up to date.
    void Add(const char* extension, COLORREF color, int typeId);

    // The first row whose extension (with its dot) matches, ignoring case; false when none does.
    bool FindByExtension(const char* extension, CDrawingFileInfo& row) const;
    int GetCount() const;
    // The row at a position of the index (list order); false outside it.
    bool GetAt(int index, CDrawingFileInfo& row) const;

private:
    void AddRow(const char* extension, COLORREF color, int typeId);
    void BuildIndex();

    mutable std::mutex m_lock;
    OArray<CDrawingFileInfo> m_rows;
    std::vector<const CDrawingFileInfo*> m_index;
};

extern CDrawingFileType g_fileTypes;

// The row of the path's extension (the file name's last dot on); false for a path without a known
// extension. row may be null when only the answer is wanted.
bool GetDrawingFileInfo(const char* path, CDrawingFileInfo* row);

// The raster image class's format code of a raster type id; false (format untouched) for drawing
// types and ids the table does not know.
bool DrawingTypeToImageFormat(int typeId, DWORD* format);
