// The DWG reader names releases with the database's version enumeration, whose order makes "at
// least 2000" a comparison.
#pragma once

#include "engine/db/DwgVersion.h"

namespace orvo::dwg {

using DwgVersion = RkDb::DwgVersion;

} // namespace orvo::dwg
