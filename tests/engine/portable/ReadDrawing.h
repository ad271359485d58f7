// Reads a generated DXF drawing into a fresh database for the renderer tests (the read itself is
// expected to succeed). No Windows header.
#pragma once

#include "DxfBuilder.h"

#include "engine/db/Database.h"
#include "engine/dxf/DxfReader.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace orvo::portable {

inline std::unique_ptr<RkDb::Database> Read(const DxfBuilder& b)
{
    auto db = std::make_unique<RkDb::Database>();
    const std::string data = b.Ascii();
    RkDxf::DxfReader reader(*db);
    EXPECT_EQ(reader.Read(data.data(), data.size()), RkDxf::DxfReader::Status::Ok);
    return db;
}

} // namespace orvo::portable
