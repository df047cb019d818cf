// Small GDI helpers the graphics tests share: reading pixels back, the
// colour a palette index stands for, and bitmaps filled with one pattern.
#pragma once
#include <windows.h>
#include <stdint.h>

#include <vector>

#include "graphics/palette.h"

inline COLORREF ColourOfIndex(const std::vector<uint8_t>& colours, int index)
{
    return RGB(colours[index * 4 + 2], colours[index * 4 + 1], colours[index * 4]);
}

inline bool IsPaletteDisplay()
{
    HDC screen = GetDC(nullptr);
    bool palette = (GetDeviceCaps(screen, RASTERCAPS) & RC_PALETTE) != 0;
    ReleaseDC(nullptr, screen);
    return palette;
}

// The colour that a device bitmap made from this colour shows: the colour
// itself on true-colour displays; on a palette display whatever the
// platform maps it to there (the same for every bitmap made from it).
COLORREF DisplayColour(COLORREF rgb);

// Reads pixels of a bitmap through a memory DC; the bitmap must not be
// selected elsewhere.
class BitmapReader {
public:
    explicit BitmapReader(HBITMAP bitmap) : m_dc(CreateCompatibleDC(nullptr)), m_old(SelectObject(m_dc, bitmap)) {}
    ~BitmapReader()
    {
        SelectObject(m_dc, m_old);
        DeleteDC(m_dc);
    }
    BitmapReader(const BitmapReader&) = delete;
    BitmapReader& operator=(const BitmapReader&) = delete;
    COLORREF At(int x, int y) const { return GetPixel(m_dc, x, y) & 0xFFFFFF; }
    HDC Dc() const { return m_dc; }

private:
    HDC m_dc;
    HGDIOBJ m_old;
};

inline COLORREF PixelOf(HBITMAP bitmap, int x, int y)
{
    BitmapReader reader(bitmap);
    return reader.At(x, y);
}

inline COLORREF DisplayColour(COLORREF rgb)
{
    if (!IsPaletteDisplay())
        return rgb;
    // A one-pixel 8-bit DIB, made into a device bitmap the way FIG and DIB
    // images are.
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colours[1];
    } info = {};
    info.header.biSize = sizeof(info.header);
    info.header.biWidth = 1;
    info.header.biHeight = 1;
    info.header.biPlanes = 1;
    info.header.biBitCount = 8;
    info.header.biClrUsed = 1;
    info.colours[0] = {GetBValue(rgb), GetGValue(rgb), GetRValue(rgb), 0};
    const uint32_t pixel = 0;
    HDC screen = GetDC(nullptr);
    SelectMainPalette(screen);
    HBITMAP bitmap = CreateDIBitmap(screen, &info.header, CBM_INIT, &pixel, reinterpret_cast<BITMAPINFO*>(&info),
                                    DIB_RGB_COLORS);
    RestorePalette(screen);
    ReleaseDC(nullptr, screen);
    COLORREF shown = PixelOf(bitmap, 0, 0);
    DeleteObject(bitmap);
    return shown;
}

// The colour that palette index shows in a bitmap made from a FIG or DIB.
inline COLORREF ShownColourOfIndex(const std::vector<uint8_t>& colours, int index)
{
    return DisplayColour(ColourOfIndex(colours, index));
}

// A screen-compatible bitmap whose pixel (x, y) is colour(x, y).
template <typename Colour>
HBITMAP MakeScreenBitmap(int width, int height, Colour colour)
{
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    ReleaseDC(nullptr, screen);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            SetPixelV(dc, x, y, colour(x, y));
    SelectObject(dc, old);
    DeleteDC(dc);
    return bitmap;
}

// Every pixel of a bitmap, row by row.
inline std::vector<COLORREF> AllPixels(HBITMAP bitmap)
{
    BITMAP info = {};
    GetObjectA(bitmap, sizeof(info), &info);
    std::vector<COLORREF> pixels;
    BitmapReader reader(bitmap);
    for (int y = 0; y < info.bmHeight; ++y)
        for (int x = 0; x < info.bmWidth; ++x)
            pixels.push_back(reader.At(x, y));
    return pixels;
}
