// Strings of the program's own string table (the test links the program's resources).
#include "core/ResourceText.h"
#include "res/resource.h"

#include <gtest/gtest.h>

namespace {

TEST(ResourceText, KnownIdGivesItsTextUnknownIdNothing)
{
    EXPECT_STREQ(LoadResString(IDS_APP_TITLE), "Orvo DWG Viewer");
    EXPECT_STREQ(LoadResString(0xFFF0), "");
}

} // namespace
