// TSingleImage: one record of a thumbnail cache library: the file's name, last-write time and
// size, the thumbnail size, and the picture as a cache bitmap. Reads and writes itself in the
// ".opslib" record form.
#pragma once

#include "framework/Afx.h"
#include "render/cache/KBMP.h"

#include <cstdint>
#include <memory>
#include <vector>

class TSingleImage : public CObject
{
    DECLARE_DYNCREATE(TSingleImage)
public:
    // Longest file name a record may carry.
    static constexpr int kMaxName = MAX_PATH;

    TSingleImage();
    ~TSingleImage() override;
    TSingleImage(const TSingleImage&) = delete;
    TSingleImage& operator=(const TSingleImage&) = delete;

    // Reads the record at the file's position and leaves the position at the next record.
    // False when the record is short, its offsets do not move forward inside the file, or its
    // name is too long. A picture that cannot be read, or one that cannot be this record's (a
    // bitmap larger than the thumbnail size, one that does not end the record, one that fails
    // the check its record carries), leaves the record without one: the thumbnail is made again.
    bool Read(CFile& file);
    // Writes the record at the file's position. False (nothing written) for a record without
    // picture, or one neither kept, used nor still present in folder, or one whose picture
    // could not be written (the file is cut back to the record's start). I/O failures that
    // cannot be undone throw.
    bool Write(CFile& file, bool keepAll, const char* folder);
    // The record is the thumbnail of path at width x height, and the file has not changed.
    bool Matches(const char* path, int width, int height) const;
    // Takes the name, time and size of path and a copy of picture.
    bool Set(const char* path, const KBMP* picture);

    CString m_name;
    FILETIME m_lastWrite;
    uint32_t m_size;
    // The writer keeps a check of the picture here (readers of the format ignore the field).
    uint32_t m_reserved;
    uint32_t m_width;
    uint32_t m_height;
    bool m_used;
    std::unique_ptr<KBMP> m_picture;
};

using TSingleImageArray = std::vector<std::unique_ptr<TSingleImage>>;
