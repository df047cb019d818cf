#include "graphics/blit.h"

#include "graphics/frame_bitmaps.h"
#include "graphics/gdi_scope.h"
#include "graphics/palette.h"

namespace {

// Destination AND NOT source: the image with black where the mask is set.
const DWORD kAndNotSource = 0x220326;

} // namespace

void BlitKeyed(HDC dest, const RECT* destRect, HBITMAP strip, int srcX, int srcY, int keyCorner)
{
    const int w = destRect->right - destRect->left;
    const int h = destRect->bottom - destRect->top;
    const int x = destRect->left;
    const int y = destRect->top;
    RealizeMainPalette();
    ScopedMemoryDC source(dest, strip);

    COLORREF key = keyCorner == 1 ? GetPixel(source, GetBitmapWidth(strip) - 1, GetBitmapHeight(strip) - 1)
                                  : GetPixel(source, 0, 0);

    ScopedGdiObject<HBITMAP> maskBitmap(CreateBitmap(w, h, 1, 1, nullptr));
    ScopedGdiObject<HBITMAP> inverseBitmap(CreateBitmap(w, h, 1, 1, nullptr));
    ScopedGdiObject<HBITMAP> workBitmap(CreateCompatibleBitmap(dest, w, h));
    ScopedGdiObject<HBITMAP> saveBitmap(CreateCompatibleBitmap(dest, w, h));
    ScopedMemoryDC mask(dest, maskBitmap);
    ScopedMemoryDC inverse(dest, inverseBitmap);
    ScopedMemoryDC work(dest, workBitmap);
    ScopedMemoryDC save(dest, saveBitmap);
    SetMapMode(source, GetMapMode(dest));

    BitBlt(save, 0, 0, w, h, source, srcX, srcY, SRCCOPY);
    COLORREF oldBack = SetBkColor(source, key);
    BitBlt(mask, 0, 0, w, h, source, srcX, srcY, SRCCOPY);
    SetBkColor(source, oldBack);
    BitBlt(inverse, 0, 0, w, h, mask, 0, 0, NOTSRCCOPY);
    BitBlt(work, 0, 0, w, h, dest, x, y, SRCCOPY);
    BitBlt(work, 0, 0, w, h, mask, 0, 0, SRCAND);
    // The strip itself is blackened where transparent and put back below.
    BitBlt(source, srcX, srcY, w, h, inverse, 0, 0, SRCAND);
    BitBlt(work, 0, 0, w, h, source, srcX, srcY, SRCPAINT);
    BitBlt(dest, x, y, w, h, work, 0, 0, SRCCOPY);
    BitBlt(source, srcX, srcY, w, h, save, 0, 0, SRCCOPY);
}

void BlitKeyed(HDC dest, const RECT* destRect, HBITMAP strip, int srcX, int srcY)
{
    BlitKeyed(dest, destRect, strip, srcX, srcY, 0);
}

void BlitBitmap(HDC dest, HBITMAP bitmap, int x, int y)
{
    RealizeMainPalette();
    ScopedMemoryDC source(dest, bitmap);
    BitBlt(dest, x, y, GetBitmapWidth(bitmap), GetBitmapHeight(bitmap), source, 0, 0, SRCCOPY);
}

void BlitBitmapPart(HDC dest, HBITMAP bitmap, int x, int y, int width, int height, int srcX, int srcY)
{
    RealizeMainPalette();
    ScopedMemoryDC source(dest, bitmap);
    BitBlt(dest, x, y, width, height, source, srcX, srcY, SRCCOPY);
}

void GrabToBitmap(HDC src, HBITMAP bitmap, int srcX, int srcY)
{
    RealizeMainPalette();
    ScopedMemoryDC target(src, bitmap);
    BitBlt(target, 0, 0, GetBitmapWidth(bitmap), GetBitmapHeight(bitmap), src, srcX, srcY, SRCCOPY);
}

void GrabToBitmapClipped(HDC src, HBITMAP bitmap, int x, int y, int width, int height, int srcX, int srcY)
{
    RealizeMainPalette();
    ScopedMemoryDC target(src, bitmap);
    if (x < 0) {
        width += x;
        srcX -= x;
        x = 0;
    }
    if (y < 0) {
        height += y;
        srcY -= y;
        y = 0;
    }
    if (srcX < 0) {
        width += srcX;
        x -= srcX;
        srcX = 0;
    }
    if (srcY < 0) {
        height += srcY;
        y -= srcY;
        srcY = 0;
    }
    BitBlt(target, x, y, width, height, src, srcX, srcY, SRCCOPY);
}

void CopyBitmapPart(HBITMAP dest, int x, int y, int width, int height, HBITMAP src, int srcX, int srcY)
{
    RealizeMainPalette();
    ScopedGetDC screen;
    ScopedMemoryDC target(screen, dest);
    ScopedMemoryDC source(screen, src);
    BitBlt(target, x, y, width, height, source, srcX, srcY, SRCCOPY);
}

void BlitColourKeyed(HDC dest, HBITMAP src, HBITMAP mask, HBITMAP work, int x, int y, const RECT* srcRect,
                     COLORREF key)
{
    const int w = srcRect->right - srcRect->left;
    const int h = srcRect->bottom - srcRect->top;
    SelectMainPalette(dest);
    ScopedMemoryDC source(dest, src);
    ScopedMemoryDC maskDc(dest, mask);
    ScopedMemoryDC workDc(dest, work);
    SetBkColor(source, key);
    BitBlt(maskDc, 0, 0, w, h, source, srcRect->left, srcRect->top, SRCCOPY);
    BitBlt(workDc, 0, 0, w, h, source, srcRect->left, srcRect->top, SRCCOPY);
    BitBlt(workDc, 0, 0, w, h, maskDc, 0, 0, kAndNotSource);
    BitBlt(dest, x, y, w, h, maskDc, 0, 0, SRCAND);
    BitBlt(dest, x, y, w, h, workDc, 0, 0, SRCPAINT);
}
