#include "graphics/frame_bitmaps.h"

#include <stdlib.h>

#include "graphics/fig_reader.h"
#include "graphics/palette.h"

HBITMAP FigLoadBitmap(HINSTANCE module, int id)
{
    FigReader* reader = FigOpenResource(module, MAKEINTRESOURCEA(id));
    if (reader == nullptr)
        return nullptr;
    HBITMAP bitmap = nullptr;
    FigImageInfo* info = nullptr;
    FigReadImage(reader, &bitmap, &info);
    free(info);
    FigClose(reader);
    return bitmap;
}

HBITMAP LoadDibBitmap(HINSTANCE module, const char* name)
{
    HGLOBAL packed = LoadPackedDib(module, name, "DIB");
    if (packed == nullptr)
        return nullptr;
    HPALETTE palette = nullptr;
    const BITMAPINFOHEADER* header = static_cast<const BITMAPINFOHEADER*>(GlobalLock(packed));
    if (header != nullptr) {
        palette = CreateDibPalette(header);
        GlobalUnlock(packed);
    }
    HBITMAP bitmap = CreateBitmapFromDib(packed, palette, DIB_RGB_COLORS);
    if (palette != nullptr)
        DeleteObject(palette);
    GlobalFree(packed);
    return bitmap;
}

HPALETTE FigLoadPalette(HINSTANCE module, const char* name)
{
    FigReader* reader = FigOpenResource(module, name);
    if (reader == nullptr)
        return nullptr;
    // The palette outlives the reader: the reader gives it up before closing.
    HPALETTE palette = reader->paletteHandle;
    reader->paletteHandle = nullptr;
    FigClose(reader);
    return palette;
}

void UseFigPalette(const char* figName)
{
    HPALETTE old = ProgramPalette();
    if (old != nullptr)
        DeleteObject(old);
    HPALETTE palette = FigLoadPalette(PaletteModule(), figName);
    SetProgramPalette(palette);
    if (palette != nullptr && IsWindow(PaletteWindow()))
        RealizePaletteOn(PaletteWindow());
}

int GetBitmapWidth(HBITMAP bitmap)
{
    BITMAP info = {};
    GetObjectA(bitmap, sizeof(info), &info);
    return info.bmWidth;
}

int GetBitmapHeight(HBITMAP bitmap)
{
    BITMAP info = {};
    GetObjectA(bitmap, sizeof(info), &info);
    return info.bmHeight;
}
