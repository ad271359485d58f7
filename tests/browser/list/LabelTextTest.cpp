// A thumbnail cell's label: the name is cut to what a label shows, and the ellipsis DrawText
// writes back into a cut name stays within the text it was given room for.
#include "browser/list/LabelText.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr UINT kPlain = DT_CENTER | DT_WORDBREAK;
constexpr UINT kEllipsis = DT_CENTER | DT_WORDBREAK | DT_END_ELLIPSIS | DT_MODIFYSTRING;

class LabelTextTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_dc = CreateCompatibleDC(nullptr);
        ASSERT_NE(m_dc, nullptr);
        m_old = SelectObject(m_dc, GetStockObject(DEFAULT_GUI_FONT));
    }
    void TearDown() override
    {
        SelectObject(m_dc, m_old);
        DeleteDC(m_dc);
    }

    CString Draw(const std::string& name, int width, UINT format)
    {
        SIZE line = {};
        GetTextExtentPoint32A(m_dc, "s", 1, &line);
        RECT rect = {0, 0, width, line.cy + 3};
        return LabelText::Draw(m_dc, name.c_str(), rect, format);
    }

    HDC m_dc = nullptr;
    HGDIOBJ m_old = nullptr;
};

TEST_F(LabelTextTest, NamesAreCutAndEllipsisedWithinTheirText)
{
    const std::string longest(LabelText::kMaxChars, 'a');
    // Characters after the longest name a label shows are never drawn.
    const std::string overlong = longest + std::string(40, 'Z');
    struct Case
    {
        std::string name;
        int width;
        UINT format;
        bool cut; // the drawn text ends in the ellipsis
    };
    const Case cases[] = {
        {"plan.dxf", 400, kEllipsis, false},
        {"plan.dxf", 400, kPlain, false},
        {longest, 100, kEllipsis, true},
        {overlong, 100, kEllipsis, true},
        {"ground floor plan of the north wing.dxf", 60, kEllipsis, true},
        {overlong, 100, kPlain, false},
    };
    for (const Case& c : cases) {
        const std::string drawn = Draw(c.name, c.width, c.format).GetString();
        EXPECT_LE(drawn.size(), static_cast<size_t>(LabelText::kMaxChars) + 3) << c.name;
        EXPECT_EQ(drawn.find('Z'), std::string::npos) << c.name;
        const bool ellipsised = drawn.size() >= 3 && drawn.compare(drawn.size() - 3, 3, "...") == 0;
        EXPECT_EQ(ellipsised, c.cut) << drawn;
        if (!c.cut) {
            EXPECT_EQ(drawn, c.name.substr(0, LabelText::kMaxChars));
        }
    }
    // No name at all draws nothing.
    RECT rect = {0, 0, 100, 20};
    EXPECT_TRUE(LabelText::Draw(m_dc, nullptr, rect, kEllipsis).IsEmpty());
}

} // namespace
