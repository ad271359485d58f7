// Scope owners for the GDI and global-memory handles of the packed-DIB code: GdiObject (deletes a
// GDI object), ScreenDC (GetDC/ReleaseDC of the screen), MemoryDC (CreateCompatibleDC/DeleteDC),
// SelectScope (selects an object and selects the previous one back), PaletteScope (selects a
// palette in the background, optionally realised, and the previous one back), GlobalBlock (frees a global
// block unless released), GlobalLockScope (GlobalLock/GlobalUnlock).
#pragma once

#include <windows.h>

#include <utility>

template <class THandle>
class GdiObject
{
public:
    explicit GdiObject(THandle handle = nullptr) : m_handle(handle) {}
    ~GdiObject() { Reset(); }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    GdiObject(GdiObject&& other) noexcept : m_handle(other.Release()) {}
    GdiObject& operator=(GdiObject&& other) noexcept
    {
        if (this != &other)
            Reset(other.Release());
        return *this;
    }

    THandle Get() const { return m_handle; }
    explicit operator bool() const { return m_handle != nullptr; }
    THandle Release() { return std::exchange(m_handle, nullptr); }
    void Reset(THandle handle = nullptr)
    {
        if (m_handle)
            DeleteObject(m_handle);
        m_handle = handle;
    }

private:
    THandle m_handle;
};

class ScreenDC
{
public:
    ScreenDC() : m_dc(GetDC(nullptr)) {}
    ~ScreenDC()
    {
        if (m_dc)
            ReleaseDC(nullptr, m_dc);
    }
    ScreenDC(const ScreenDC&) = delete;
    ScreenDC& operator=(const ScreenDC&) = delete;
    HDC Get() const { return m_dc; }

private:
    HDC m_dc;
};

class MemoryDC
{
public:
    explicit MemoryDC(HDC reference = nullptr) : m_dc(CreateCompatibleDC(reference)) {}
    ~MemoryDC()
    {
        if (m_dc)
            DeleteDC(m_dc);
    }
    MemoryDC(const MemoryDC&) = delete;
    MemoryDC& operator=(const MemoryDC&) = delete;
    HDC Get() const { return m_dc; }

private:
    HDC m_dc;
};

class SelectScope
{
public:
    SelectScope(HDC dc, HGDIOBJ object)
        : m_dc(dc), m_previous(dc && object ? SelectObject(dc, object) : nullptr)
    {
    }
    ~SelectScope()
    {
        if (m_previous)
            SelectObject(m_dc, m_previous);
    }
    SelectScope(const SelectScope&) = delete;
    SelectScope& operator=(const SelectScope&) = delete;

private:
    HDC m_dc;
    HGDIOBJ m_previous;
};

class PaletteScope
{
public:
    PaletteScope(HDC dc, HPALETTE palette, bool realize)
        : m_dc(dc), m_previous(dc && palette ? SelectPalette(dc, palette, TRUE) : nullptr)
    {
        if (m_previous && realize)
            RealizePalette(dc);
    }
    ~PaletteScope()
    {
        if (m_previous)
            SelectPalette(m_dc, m_previous, TRUE);
    }
    PaletteScope(const PaletteScope&) = delete;
    PaletteScope& operator=(const PaletteScope&) = delete;

private:
    HDC m_dc;
    HPALETTE m_previous;
};

class GlobalBlock
{
public:
    explicit GlobalBlock(HGLOBAL block = nullptr) : m_block(block) {}
    ~GlobalBlock()
    {
        if (m_block)
            GlobalFree(m_block);
    }
    GlobalBlock(const GlobalBlock&) = delete;
    GlobalBlock& operator=(const GlobalBlock&) = delete;
    HGLOBAL Get() const { return m_block; }
    HGLOBAL Release() { return std::exchange(m_block, nullptr); }
    void Reset(HGLOBAL block = nullptr)
    {
        if (m_block)
            GlobalFree(m_block);
        m_block = block;
    }

private:
    HGLOBAL m_block;
};

class GlobalLockScope
{
public:
    explicit GlobalLockScope(HGLOBAL block)
        : m_block(block), m_data(block ? GlobalLock(block) : nullptr)
    {
    }
    ~GlobalLockScope()
    {
        if (m_data)
            GlobalUnlock(m_block);
    }
    GlobalLockScope(const GlobalLockScope&) = delete;
    GlobalLockScope& operator=(const GlobalLockScope&) = delete;
    template <class T = BYTE>
    T* Get() const
    {
        return static_cast<T*>(m_data);
    }
    explicit operator bool() const { return m_data != nullptr; }

private:
    HGLOBAL m_block;
    void* m_data;
};
