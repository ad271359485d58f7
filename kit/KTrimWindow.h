// KTrimWindow: tells whether a bounding box lies outside, inside or across the visible world
// rectangle.
#pragma once

#include <cstdint>

class KTrimWindow
{
public:
    KTrimWindow() = default;
    KTrimWindow(float minX, float minY, float maxX, float maxY) { SetWindow(minX, minY, maxX, maxY); }
    virtual ~KTrimWindow() = default;

    void SetWindow(float minX, float minY, float maxX, float maxY);
    // box = {min x, max y, max x, min y}: -1 wholly outside, 1 wholly inside, 0 across an edge.
    int32_t Classify(const float box[4]);
    // Edge bits of the last Classify: 1 left, 4 right, 8 bottom, 2 top edge inside the box.
    int32_t GetCode() const { return m_code; }

private:
    float m_minX = 0.0f;
    float m_minY = 0.0f;
    float m_maxX = 0.0f;
    float m_maxY = 0.0f;
    int32_t m_code = 0;
};
