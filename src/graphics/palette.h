// The program palette: one process-wide logical palette selected and
// realised for all drawing, so that the artwork looks right on 256-colour
// displays; and the loaders that turn BMP-file resources into packed DIBs,
// palettes and device bitmaps.
#pragma once
#include <windows.h>
#include <stdint.h>

void InitPalette(HINSTANCE module, HWND mainWindow);
void RealizePaletteOn(HWND window);
void RealizeMainPalette();
// Selects the program palette into dc (foreground) and realises it; the
// palette it displaced is kept for RestorePalette.
void SelectMainPalette(HDC dc);
HPALETTE RestorePalette(HDC dc);
void FreePalette();

// The answer of a window to WM_QUERYNEWPALETTE and to WM_PALETTECHANGED from
// another window: realises the program palette on it, repaints it when any
// entry changed, and returns the number of entries realised.
int RealizeForPaletteMessage(HWND window);
// The answer to WM_PALETTECHANGED: the window that changed the palette does
// nothing (realising again would start the exchange anew); any other answers
// as RealizeForPaletteMessage.
int RealizeForPaletteChange(HWND window, HWND changer);

// The process-wide values, for the code that replaces the program palette
// (UseFigPalette) and for windows that realise it themselves.
HPALETTE ProgramPalette();
void SetProgramPalette(HPALETTE palette); // the caller has deleted the old one
HINSTANCE PaletteModule();
HWND PaletteWindow();

// A BMP file resource as one movable global block: header, colour table,
// pixel bits. The caller frees it with GlobalFree. Null on any failure.
HGLOBAL LoadPackedDib(HINSTANCE module, const char* name, const char* type);
// The same from BMP file bytes in memory (what LoadPackedDib does with the
// resource's bytes); every read stays inside size bytes.
HGLOBAL PackedDibFromFile(const void* file, size_t size);
HPALETTE CreateDibPalette(const BITMAPINFOHEADER* header);
// A logical palette of count (1 to 256) entries from a colour table of blue,
// green, red and one spare byte per entry; null for any other count.
HPALETTE CreateTablePalette(const uint8_t* table, uint32_t count);
HBITMAP CreateBitmapFromDib(HGLOBAL packedDib, HPALETTE palette, UINT usage);
