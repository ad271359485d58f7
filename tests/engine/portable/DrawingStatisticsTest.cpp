// The drawing statistics of the file properties: the total editing time in hours and minutes, and
// the summary completed from the header, against the samples' DXF exports.
#include "engine/db/DrawingStatistics.h"
#include "engine/dwg/DwgReader.h"
#include "engine/dxf/DxfReader.h"
#include "tests/engine/portable/DxfBuilder.h"
#include "tests/engine/portable/PortableSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace {

struct EditingCase
{
    double days;
    int hours;
    int minutes;
};

TEST(DrawingStatistics, EditingTimeSplitsIntoHoursAndMinutesInBounds)
{
    const double kInf = std::numeric_limits<double>::infinity();
    const EditingCase cases[] = {
        {0.0, 0, 0},
        {-3.5, 0, 0},                                  // a forged negative span
        {std::numeric_limits<double>::quiet_NaN(), 0, 0},
        {kInf, 0, 0},
        {-kInf, 0, 0},
        {1.0 / 24.0 + 1.0 / 1440.0 + 1e-9, 1, 1},     // 1 hour, 1 minute
        {0.0382913889, 0, 55},                         // 55.1 minutes: whole minutes only
        {2.5, 60, 0},
        {1e12, 32767, 59},                             // past the 16-bit hours
    };
    for (const EditingCase& c : cases) {
        const RkDb::EditingTime time = RkDb::SplitEditingTime(c.days);
        EXPECT_EQ(time.hours, c.hours) << c.days;
        EXPECT_EQ(time.minutes, c.minutes) << c.days;
    }
}

TEST(DrawingStatistics, HeaderFillsWhatTheSummaryLacks)
{
    RkDb::Database db;
    db.Header().lastSavedBy = "header editor";
    db.Header().tdInDwg = 0.5;
    RkDb::SummaryInfo s = RkDb::EffectiveSummary(db);
    EXPECT_EQ(s.lastSavedBy, "header editor");
    EXPECT_DOUBLE_EQ(s.totalEditingDays, 0.5);

    // The summary's own last editor stays; its editing time is an older copy of the header's.
    db.Summary().lastSavedBy = "summary editor";
    db.Summary().totalEditingDays = 0.25;
    db.Summary().title = "Plan";
    s = RkDb::EffectiveSummary(db);
    EXPECT_EQ(s.lastSavedBy, "summary editor");
    EXPECT_DOUBLE_EQ(s.totalEditingDays, 0.5);
    EXPECT_EQ(s.title, "Plan");

    // Without a usable header timer the summary's copy is shown.
    for (double hostile : {0.0, -1.0, std::numeric_limits<double>::quiet_NaN()}) {
        db.Header().tdInDwg = hostile;
        EXPECT_DOUBLE_EQ(RkDb::EffectiveSummary(db).totalEditingDays, 0.25) << hostile;
    }
}

// The export writes all ten custom-property slots; the unused ones ("=") are no properties, and
// the header's timer and last editor complete a summary that lacks them.
TEST(DrawingStatistics, EmptyCustomSlotsOfADxfExportAreNoProperties)
{
    orvo::portable::DxfBuilder b;
    b.Section("HEADER").S(9, "$ACADVER").S(1, "AC1018").S(9, "$LASTSAVEDBY").S(1, "Header Saver")
        .S(9, "$TDINDWG").D(40, 0.5).EndSection();
    b.Section("OBJECTS");
    b.S(0, "XRECORD").S(5, "70").S(100, "AcDbXrecord").I(280, 1).S(1, "DWGPROPS COOKIE").S(2, "Title")
        .S(300, "=").S(301, "Job=42").S(302, "=").S(303, "=only a value").S(304, "x=").D(40, 0.0);
    b.EndSection();
    b.Eof();
    const std::string data = b.Ascii();
    RkDb::Database db;
    ASSERT_EQ(RkDxf::DxfReader(db).Read(data.data(), data.size()), RkDxf::DxfReader::Status::Ok);
    const std::vector<std::pair<std::string, std::string>> expected = {{"Job", "42"}, {"x", ""}};
    EXPECT_EQ(db.Summary().custom, expected);
    EXPECT_EQ(db.Summary().title, "Title");
    const RkDb::SummaryInfo effective = RkDb::EffectiveSummary(db);
    EXPECT_EQ(effective.lastSavedBy, "Header Saver");
    EXPECT_DOUBLE_EQ(effective.totalEditingDays, 0.5);
    const RkDb::EditingTime time = RkDb::SplitEditingTime(effective.totalEditingDays);
    EXPECT_EQ(time.hours, 12);
    EXPECT_EQ(time.minutes, 0);
}

bool ReadSample(const std::string& dir, const std::string& name, RkDb::Database& db)
{
    const std::string data = orvo::portable::ReadWholeFile(orvo::portable::SamplePath(dir, name));
    if (data.empty())
        return false;
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".dxf") == 0)
        return RkDxf::DxfReader(db).Read(data.data(), data.size()) == RkDxf::DxfReader::Status::Ok;
    return orvo::dwg::DwgReader().Read(std::vector<uint8_t>(data.begin(), data.end()), db) ==
           orvo::dwg::DwgReadResult::Ok;
}

// What the properties pages show of each sample is what its DXF export says: summary texts, the
// last editor (2004 and later keep it where both readers find it) and the total editing time.
TEST(DrawingStatistics, SamplesMatchTheirDxfExport)
{
    ORVO_PORTABLE_REQUIRE_SAMPLES(dir);
    for (const char* version : {"r14", "2000", "2004", "2007", "2010", "2013", "2018"}) {
        const std::string base = std::string("dwg/example_") + version;
        RkDb::Database dwg, dxf;
        ASSERT_TRUE(ReadSample(dir, base + ".dwg", dwg)) << base;
        ASSERT_TRUE(ReadSample(dir, base + ".dxf", dxf)) << base;
        const RkDb::SummaryInfo a = RkDb::EffectiveSummary(dwg);
        const RkDb::SummaryInfo b = RkDb::EffectiveSummary(dxf);
        EXPECT_EQ(a.title, b.title) << base;
        EXPECT_EQ(a.author, b.author) << base;
        EXPECT_EQ(a.keywords, b.keywords) << base;
        EXPECT_EQ(a.custom, b.custom) << base;
        // Each export was saved in a session of its own, a minute or two after the drawing.
        EXPECT_NEAR(a.totalEditingDays, b.totalEditingDays, 5.0 / 1440.0) << base;
        EXPECT_GT(a.totalEditingDays, 0.0) << base;
        if (dwg.Header().version >= RkDb::DwgVersion::R2004) {
            EXPECT_EQ(a.lastSavedBy, b.lastSavedBy) << base;
        }
    }
}

} // namespace
