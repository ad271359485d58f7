// OBuffer<T>: a counted array on the C heap that owns its elements; a copy gets elements of its
// own. Meant for plain values such as KType::RPoint2D.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <type_traits>
#include <utility>

template <class T>
class OBuffer
{
    static_assert(std::is_trivially_copyable_v<T>, "OBuffer holds plain values only");

public:
    OBuffer() = default;
    explicit OBuffer(uint32_t count) { SetSize(count); }
    OBuffer(const OBuffer& other) { CopyFrom(other); }
    OBuffer(OBuffer&& other) noexcept { Swap(other); }
    OBuffer& operator=(const OBuffer& other)
    {
        if (this != &other) {
            OBuffer copy(other);
            Swap(copy);
        }
        return *this;
    }
    OBuffer& operator=(OBuffer&& other) noexcept
    {
        if (this != &other) {
            Free();
            Swap(other);
        }
        return *this;
    }
    ~OBuffer() { Free(); }

    // Replaces the elements by count zero-filled ones; false (and an empty buffer) when the
    // memory cannot be had.
    bool SetSize(uint32_t count)
    {
        Free();
        if (count == 0)
            return true;
        if (static_cast<uint64_t>(count) * sizeof(T) > static_cast<uint64_t>(PTRDIFF_MAX))
            return false;
        m_data = static_cast<T*>(std::calloc(count, sizeof(T)));
        if (!m_data)
            return false;
        m_count = count;
        return true;
    }

    void Free()
    {
        std::free(m_data);
        m_data = nullptr;
        m_count = 0;
    }

    uint32_t GetCount() const { return m_count; }
    T* GetData() { return m_data; }
    const T* GetData() const { return m_data; }
    T& operator[](uint32_t i) { return m_data[i]; }
    const T& operator[](uint32_t i) const { return m_data[i]; }

    void Swap(OBuffer& other) noexcept
    {
        std::swap(m_data, other.m_data);
        std::swap(m_count, other.m_count);
    }

private:
    void CopyFrom(const OBuffer& other)
    {
        if (other.m_count && SetSize(other.m_count))
            std::memcpy(m_data, other.m_data, sizeof(T) * m_count);
    }

    T* m_data = nullptr;
    uint32_t m_count = 0;
};
