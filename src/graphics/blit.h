// Bitmap copies between device contexts and bitmaps, opaque and
// transparent. All copies are 1:1; none reports failure.
#pragma once
#include <windows.h>

// Draws the destRect-sized area of strip at (srcX, srcY) transparently at
// destRect's top-left. The key colour is the strip's top-left pixel, or its
// bottom-right pixel when keyCorner is 1. dest is written once.
void BlitKeyed(HDC dest, const RECT* destRect, HBITMAP strip, int srcX, int srcY, int keyCorner);
void BlitKeyed(HDC dest, const RECT* destRect, HBITMAP strip, int srcX, int srcY);
void BlitBitmap(HDC dest, HBITMAP bitmap, int x, int y);
void BlitBitmapPart(HDC dest, HBITMAP bitmap, int x, int y, int width, int height, int srcX, int srcY);
void GrabToBitmap(HDC src, HBITMAP bitmap, int srcX, int srcY);
// Negative destination and source coordinates are clipped away first.
void GrabToBitmapClipped(HDC src, HBITMAP bitmap, int x, int y, int width, int height, int srcX, int srcY);
void CopyBitmapPart(HBITMAP dest, int x, int y, int width, int height, HBITMAP src, int srcX, int srcY);
// mask (monochrome) and work (compatible with dest) are the caller's scratch
// bitmaps, each at least srcRect's size. dest keeps the program palette.
void BlitColourKeyed(HDC dest, HBITMAP src, HBITMAP mask, HBITMAP work, int x, int y, const RECT* srcRect,
                     COLORREF key);
