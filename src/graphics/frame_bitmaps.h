// One-call loaders from resources to device bitmaps and palettes, and the
// bitmap size queries.
#pragma once
#include <windows.h>

// The first image of FIG resource id, or null.
HBITMAP FigLoadBitmap(HINSTANCE module, int id);
// A "DIB" resource (a BMP file image), or null.
HBITMAP LoadDibBitmap(HINSTANCE module, const char* name);
// The palette of FIG resource name, owned by the caller; or null.
HPALETTE FigLoadPalette(HINSTANCE module, const char* name);
// Makes the palette of FIG resource figName (of the palette module) the
// program palette.
void UseFigPalette(const char* figName);
int GetBitmapWidth(HBITMAP bitmap);
int GetBitmapHeight(HBITMAP bitmap);
