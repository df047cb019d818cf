// Scoped GDI helpers for use inside functions: whatever a function borrows,
// makes or selects goes back when the scope ends, on every return path.
#pragma once
#include <windows.h>

// The DC of a window (the screen's when window is null), released at the end.
class ScopedGetDC {
public:
    explicit ScopedGetDC(HWND window = nullptr) : m_window(window), m_dc(GetDC(window)) {}
    ~ScopedGetDC()
    {
        if (m_dc != nullptr)
            ReleaseDC(m_window, m_dc);
    }
    ScopedGetDC(const ScopedGetDC&) = delete;
    ScopedGetDC& operator=(const ScopedGetDC&) = delete;
    operator HDC() const { return m_dc; }

private:
    HWND m_window;
    HDC m_dc;
};

// A memory DC compatible with another, holding one object; the DC gets its
// own object back and is deleted at the end.
class ScopedMemoryDC {
public:
    ScopedMemoryDC(HDC compatible, HGDIOBJ object) : m_dc(CreateCompatibleDC(compatible)), m_old(nullptr)
    {
        if (m_dc != nullptr && object != nullptr)
            m_old = SelectObject(m_dc, object);
    }
    ~ScopedMemoryDC()
    {
        if (m_dc == nullptr)
            return;
        if (m_old != nullptr)
            SelectObject(m_dc, m_old);
        DeleteDC(m_dc);
    }
    ScopedMemoryDC(const ScopedMemoryDC&) = delete;
    ScopedMemoryDC& operator=(const ScopedMemoryDC&) = delete;
    operator HDC() const { return m_dc; }

private:
    HDC m_dc;
    HGDIOBJ m_old;
};

// A GDI object (bitmap, brush, region) made for one scope and deleted at its end.
template <typename Handle>
class ScopedGdiObject {
public:
    explicit ScopedGdiObject(Handle object) : m_object(object) {}
    ~ScopedGdiObject()
    {
        if (m_object != nullptr)
            DeleteObject(m_object);
    }
    ScopedGdiObject(const ScopedGdiObject&) = delete;
    ScopedGdiObject& operator=(const ScopedGdiObject&) = delete;
    operator Handle() const { return m_object; }

private:
    Handle m_object;
};
