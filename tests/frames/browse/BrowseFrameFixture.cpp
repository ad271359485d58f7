#include "tests/frames/browse/BrowseFrameFixture.h"

namespace orvo::test::browse {

BrowseTestApp theTestApp;

} // namespace orvo::test::browse
