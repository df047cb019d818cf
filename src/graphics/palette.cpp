#include "graphics/palette.h"

#include <stdint.h>
#include <string.h>

#include "graphics/gdi_scope.h"
#include "personalise/le_bytes.h"

namespace {

// The process-wide palette state; see palette.h.
HPALETTE g_programPalette = nullptr;
HPALETTE g_displacedPalette = nullptr; // whatever the last selection displaced
HINSTANCE g_paletteModule = nullptr;
HWND g_paletteWindow = nullptr;

uint32_t ColourCount(const BITMAPINFOHEADER* header)
{
    if (header->biClrUsed != 0)
        return header->biClrUsed;
    if (header->biBitCount <= 8)
        return 1u << header->biBitCount;
    return 0;
}

// Rows of whole 32-bit words; 0 when the size cannot be stated.
uint32_t ImageBytes(const BITMAPINFOHEADER* header)
{
    int64_t rowBits = static_cast<int64_t>(header->biBitCount) * header->biWidth;
    int64_t rows = header->biHeight < 0 ? -static_cast<int64_t>(header->biHeight) : header->biHeight;
    if (rowBits <= 0)
        return 0;
    int64_t bytes = (rowBits + 31) / 32 * 4 * rows;
    return bytes > 0x7FFFFFFF ? 0 : static_cast<uint32_t>(bytes);
}

} // namespace

HPALETTE ProgramPalette()
{
    return g_programPalette;
}

void SetProgramPalette(HPALETTE palette)
{
    g_programPalette = palette;
}

HINSTANCE PaletteModule()
{
    return g_paletteModule;
}

HWND PaletteWindow()
{
    return g_paletteWindow;
}

void InitPalette(HINSTANCE module, HWND mainWindow)
{
    g_paletteModule = module;
    HGLOBAL packed = LoadPackedDib(module, "IDB_PAL", "DIB");
    if (packed != nullptr) {
        const BITMAPINFOHEADER* header = static_cast<const BITMAPINFOHEADER*>(GlobalLock(packed));
        if (header != nullptr) {
            g_programPalette = CreateDibPalette(header);
            GlobalUnlock(packed);
        }
        GlobalFree(packed);
    }
    g_paletteWindow = mainWindow;
    RealizePaletteOn(mainWindow);
}

void RealizePaletteOn(HWND window)
{
    ScopedGetDC dc(window);
    if (dc == nullptr)
        return;
    g_displacedPalette = SelectPalette(dc, g_programPalette, FALSE);
    RealizePalette(dc);
    SelectPalette(dc, g_displacedPalette, FALSE);
}

void RealizeMainPalette()
{
    RealizePaletteOn(g_paletteWindow);
}

void SelectMainPalette(HDC dc)
{
    g_displacedPalette = SelectPalette(dc, g_programPalette, FALSE);
    RealizePalette(dc);
}

HPALETTE RestorePalette(HDC dc)
{
    return SelectPalette(dc, g_displacedPalette, FALSE);
}

void FreePalette()
{
    if (g_programPalette != nullptr)
        DeleteObject(g_programPalette);
    g_programPalette = nullptr;
}

int RealizeForPaletteMessage(HWND window)
{
    int count;
    {
        ScopedGetDC dc(window);
        if (dc == nullptr)
            return 0;
        g_displacedPalette = SelectPalette(dc, g_programPalette, FALSE);
        count = static_cast<int>(RealizePalette(dc));
        SelectPalette(dc, g_displacedPalette, FALSE);
        RealizePalette(dc);
    }
    if (count > 0)
        InvalidateRect(window, nullptr, TRUE);
    return count;
}

int RealizeForPaletteChange(HWND window, HWND changer)
{
    return changer == window ? 0 : RealizeForPaletteMessage(window);
}

HGLOBAL LoadPackedDib(HINSTANCE module, const char* name, const char* type)
{
    HRSRC found = FindResourceA(module, name, type);
    HGLOBAL resource = found ? LoadResource(module, found) : nullptr;
    const void* bytes = resource ? LockResource(resource) : nullptr;
    if (bytes == nullptr)
        return nullptr;
    // The resource's bytes stay readable while the module is loaded.
    HGLOBAL packed = PackedDibFromFile(bytes, SizeofResource(module, found));
    FreeResource(resource);
    return packed;
}

HGLOBAL PackedDibFromFile(const void* file, size_t size)
{
    const uint8_t* bytes = static_cast<const uint8_t*>(file);
    const size_t kFileHeader = 14;
    if (bytes == nullptr || size < kFileHeader + 12)
        return nullptr;
    uint32_t infoSize = Read32(bytes + kFileHeader);
    BITMAPINFOHEADER header = {};
    size_t tableStart = 0;
    size_t entryBytes = 4;
    if (infoSize == 12) {
        // The old core header: 16-bit sizes and 3-byte colour entries.
        header.biWidth = static_cast<int16_t>(Read16(bytes + kFileHeader + 4));
        header.biHeight = static_cast<int16_t>(Read16(bytes + kFileHeader + 6));
        header.biPlanes = Read16(bytes + kFileHeader + 8);
        header.biBitCount = Read16(bytes + kFileHeader + 10);
        tableStart = kFileHeader + 12;
        entryBytes = 3;
    } else if (infoSize == sizeof(BITMAPINFOHEADER) && size >= kFileHeader + sizeof(BITMAPINFOHEADER)) {
        memcpy(&header, bytes + kFileHeader, sizeof(header));
        tableStart = kFileHeader + sizeof(BITMAPINFOHEADER);
    } else {
        return nullptr; // longer headers are not handled
    }
    header.biSize = sizeof(BITMAPINFOHEADER);
    if (header.biBitCount > 32 || header.biWidth <= 0 || header.biHeight == 0)
        return nullptr;
    // Only the colours an 8-bit (or smaller) index can reach are kept; a
    // larger count cannot describe a real table.
    uint32_t colours = ColourCount(&header);
    if (header.biBitCount <= 8 && colours > (1u << header.biBitCount))
        colours = 1u << header.biBitCount;
    if (colours > 256)
        return nullptr;
    if (header.biCompression != BI_RGB && header.biCompression != BI_RLE8 && header.biCompression != BI_RLE4)
        return nullptr;
    // Uncompressed bits are read by the rows' size whatever the header says,
    // so a smaller stated size would let the platform read past the block.
    if (header.biSizeImage == 0 || (header.biCompression == BI_RGB && header.biSizeImage < ImageBytes(&header)))
        header.biSizeImage = ImageBytes(&header);
    header.biClrUsed = colours;
    if (infoSize == 12)
        header.biClrImportant = colours;
    if (header.biSizeImage == 0 || tableStart + colours * entryBytes > size)
        return nullptr;

    // Without the "BM" signature the bits are taken to follow the colour table.
    size_t bitsOffset = tableStart + colours * entryBytes;
    if (Read16(bytes) == 0x4D42)
        bitsOffset = Read32(bytes + 10);
    if (bitsOffset > size || size - bitsOffset < header.biSizeImage)
        return nullptr;

    size_t total = sizeof(BITMAPINFOHEADER) + colours * 4 + header.biSizeImage;
    HGLOBAL packed = GlobalAlloc(GMEM_MOVEABLE, total);
    if (packed == nullptr)
        return nullptr;
    uint8_t* out = static_cast<uint8_t*>(GlobalLock(packed));
    if (out == nullptr) {
        GlobalFree(packed);
        return nullptr;
    }
    memcpy(out, &header, sizeof(header));
    uint8_t* table = out + sizeof(header);
    for (uint32_t i = 0; i < colours; ++i) {
        const uint8_t* entry = bytes + tableStart + i * entryBytes;
        table[i * 4] = entry[0];
        table[i * 4 + 1] = entry[1];
        table[i * 4 + 2] = entry[2];
        table[i * 4 + 3] = 0;
    }
    memcpy(table + colours * 4, bytes + bitsOffset, header.biSizeImage);
    GlobalUnlock(packed);
    return packed;
}

HPALETTE CreateDibPalette(const BITMAPINFOHEADER* header)
{
    if (header == nullptr)
        return nullptr;
    return CreateTablePalette(reinterpret_cast<const uint8_t*>(header) + header->biSize, ColourCount(header));
}

HPALETTE CreateTablePalette(const uint8_t* table, uint32_t count)
{
    if (table == nullptr || count == 0 || count > 256)
        return nullptr;
    struct {
        WORD version;
        WORD count;
        PALETTEENTRY entries[256];
    } logical;
    logical.version = 0x300;
    logical.count = static_cast<WORD>(count);
    for (uint32_t i = 0; i < count; ++i) {
        logical.entries[i].peRed = table[i * 4 + 2];
        logical.entries[i].peGreen = table[i * 4 + 1];
        logical.entries[i].peBlue = table[i * 4];
        logical.entries[i].peFlags = 0;
    }
    return CreatePalette(reinterpret_cast<LOGPALETTE*>(&logical));
}

HBITMAP CreateBitmapFromDib(HGLOBAL packedDib, HPALETTE palette, UINT usage)
{
    if (packedDib == nullptr)
        return nullptr;
    const BITMAPINFOHEADER* header = static_cast<const BITMAPINFOHEADER*>(GlobalLock(packedDib));
    if (header == nullptr)
        return nullptr;
    ScopedGetDC screen;
    HPALETTE displaced = nullptr;
    bool selected = false;
    if (GetDeviceCaps(screen, BITSPIXEL) == 8 && palette != nullptr) {
        displaced = SelectPalette(screen, palette, FALSE);
        RealizePalette(screen);
        selected = true;
    }
    const uint8_t* bits = reinterpret_cast<const uint8_t*>(header) + header->biSize + 4 * header->biClrUsed;
    HBITMAP bitmap = CreateDIBitmap(screen, header, CBM_INIT, bits, reinterpret_cast<const BITMAPINFO*>(header), usage);
    if (selected && displaced != nullptr)
        SelectPalette(screen, displaced, FALSE);
    GlobalUnlock(packedDib);
    return bitmap;
}
