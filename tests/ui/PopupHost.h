// A hidden pop-up window for tests that need a parent for a control.
#pragma once

#include "framework/AfxWin.h"

#include <gtest/gtest.h>

class PopupHost : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_parent.CreateEx(0, "STATIC", "", WS_POPUP, 0, 0, 320, 120, nullptr, nullptr));
    }
    void TearDown() override { m_parent.DestroyWindow(); }

    CWnd m_parent;
};
