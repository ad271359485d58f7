// KString: the canvas kit's heap string (C heap, NUL-terminated, with its length).
#pragma once

#include <cstdint>

class KString
{
public:
    KString() = default;
    KString(const KString& other);
    KString& operator=(const KString& other);
    virtual ~KString();

    // A copy of text; null gives the empty string.
    void Assign(const char* text);
    // A copy of n bytes plus a NUL; n <= 0 gives the empty string.
    void Set(const char* bytes, int32_t n);
    // A new buffer of n + 1 bytes keeping the first min(length, n) bytes, NUL at n; n < 1 changes
    // nothing.
    void SetLength(int32_t n);
    // printf-style; output beyond 8703 characters is cut.
    void Format(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void Append(const char* text);
    void Empty() { Set(nullptr, 0); }

    const char* GetText() const { return m_text ? m_text : ""; }
    int32_t GetLength() const { return m_length; }
    bool IsEmpty() const { return m_length == 0; }

private:
    void Replace(char* text, int32_t length);

    char* m_text = nullptr;
    int32_t m_length = 0;
};
