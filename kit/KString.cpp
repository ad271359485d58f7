#include "kit/KString.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

KString::KString(const KString& other)
{
    Set(other.m_text, other.m_length);
}

KString& KString::operator=(const KString& other)
{
    if (this != &other)
        Set(other.m_text, other.m_length);
    return *this;
}

KString::~KString()
{
    std::free(m_text);
}

void KString::Replace(char* text, int32_t length)
{
    std::free(m_text);
    m_text = text;
    m_length = text ? length : 0;
}

void KString::Assign(const char* text)
{
    Set(text, text ? static_cast<int32_t>(std::strlen(text)) : 0);
}

void KString::Set(const char* bytes, int32_t n)
{
    if (!bytes || n <= 0) {
        Replace(nullptr, 0);
        return;
    }
    char* copy = static_cast<char*>(std::malloc(static_cast<size_t>(n) + 1));
    if (copy) {
        std::memcpy(copy, bytes, static_cast<size_t>(n));
        copy[n] = '\0';
    }
    Replace(copy, n);
}

void KString::SetLength(int32_t n)
{
    if (n < 1)
        return;
    char* text = static_cast<char*>(std::calloc(static_cast<size_t>(n) + 1, 1));
    if (!text)
        return;
    const int32_t keep = m_length < n ? m_length : n;
    if (keep > 0)
        std::memcpy(text, m_text, static_cast<size_t>(keep));
    Replace(text, keep);
}

void KString::Append(const char* text)
{
    if (!text || !*text)
        return;
    const size_t add = std::strlen(text);
    char* joined = static_cast<char*>(std::malloc(static_cast<size_t>(m_length) + add + 1));
    if (!joined)
        return;
    if (m_length)
        std::memcpy(joined, m_text, static_cast<size_t>(m_length));
    std::memcpy(joined + m_length, text, add + 1);
    Replace(joined, m_length + static_cast<int32_t>(add));
}

void KString::Format(const char* format, ...)
{
    // Two stack buffers first, then growing heap buffers; longer output stays cut at the last one.
    static const size_t kHeapSizes[] = {2560, 4608, 6656, 8704};
    char small[256];
    char medium[512];
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    const int needed = std::vsnprintf(small, sizeof small, format, args);
    va_end(args);
    if (needed < 0) {
        va_end(again);
        Empty();
        return;
    }
    const size_t want = static_cast<size_t>(needed);
    if (want < sizeof small) {
        va_end(again);
        Set(small, needed);
        return;
    }
    if (want < sizeof medium) {
        std::vsnprintf(medium, sizeof medium, format, again);
        va_end(again);
        Set(medium, needed);
        return;
    }
    size_t size = kHeapSizes[3];
    for (const size_t candidate : kHeapSizes) {
        if (want < candidate) {
            size = candidate;
            break;
        }
    }
    char* heap = static_cast<char*>(std::malloc(size));
    if (!heap) {
        va_end(again);
        return;
    }
    std::vsnprintf(heap, size, format, again);
    va_end(again);
    const int32_t written = static_cast<int32_t>(want < size ? want : size - 1);
    Set(heap, written);
    std::free(heap);
}
