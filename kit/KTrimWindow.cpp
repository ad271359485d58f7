#include "kit/KTrimWindow.h"

void KTrimWindow::SetWindow(float minX, float minY, float maxX, float maxY)
{
    m_minX = minX;
    m_minY = minY;
    m_maxX = maxX;
    m_maxY = maxY;
}

int32_t KTrimWindow::Classify(const float box[4])
{
    const float boxMinX = box[0];
    const float boxMaxY = box[1];
    const float boxMaxX = box[2];
    const float boxMinY = box[3];
    m_code = 0;
    if (boxMinX >= m_maxX || boxMaxX <= m_minX || boxMinY >= m_maxY || boxMaxY <= m_minY)
        return -1;
    if (boxMinX < m_minX && m_minX < boxMaxX)
        m_code |= 1;
    if (boxMinX < m_maxX && m_maxX < boxMaxX)
        m_code |= 4;
    if (boxMinY < m_minY && m_minY < boxMaxY)
        m_code |= 8;
    if (boxMinY < m_maxY && m_maxY < boxMaxY)
        m_code |= 2;
    return m_code == 0 ? 1 : 0;
}
