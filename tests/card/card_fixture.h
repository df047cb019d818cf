// Fixtures for the card tests: small FIG files made in memory, and a copy of
// the test program with card resources added, loaded as a data module.
#pragma once
#include <windows.h>
#include <stdint.h>
#include <zlib.h>

#include <string>
#include <vector>

namespace card_fixture {

// Palette indices of the fixture palette.
enum { kBlack = 0, kRed = 1, kGreen = 2, kBlue = 3, kWhite = 4, kMagenta = 5, kYellow = 6 };

inline COLORREF FixtureColour(int index)
{
    static const COLORREF colours[] = {RGB(0, 0, 0),     RGB(255, 0, 0),   RGB(0, 255, 0),  RGB(0, 0, 255),
                                       RGB(255, 255, 255), RGB(255, 0, 255), RGB(255, 255, 0)};
    return index < 7 ? colours[index] : RGB(index, 128, 255 - index);
}

struct FigImage {
    int x, y, width, height;
    int keyIndex; // -1 for none
    int delay;    // hundredths of a second
    int disposal;
    std::vector<uint8_t> pixels; // top-down, width * height indices; empty: all `fill`
    uint8_t fill;
};

inline void Put16(std::vector<uint8_t>& out, int value)
{
    out.push_back(static_cast<uint8_t>(value & 0xFF));
    out.push_back(static_cast<uint8_t>((value >> 8) & 0xFF));
}

inline void Put32(std::vector<uint8_t>& out, uint32_t value)
{
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

inline std::vector<uint8_t> Deflate(const std::vector<uint8_t>& raw)
{
    uLongf size = compressBound(raw.size());
    std::vector<uint8_t> packed(size);
    compress(packed.data(), &size, raw.data(), raw.size());
    packed.resize(size);
    return packed;
}

inline std::vector<uint8_t> MakeFig(int loopCount, int width, int height, const std::vector<FigImage>& images)
{
    std::vector<uint8_t> out = {'F', 'I', 'G', '1'};
    Put16(out, loopCount);
    Put16(out, static_cast<int>(images.size()));
    Put16(out, width);
    Put16(out, height);
    Put16(out, 0);
    std::vector<uint8_t> palette(1024, 0);
    for (int i = 0; i < 256; ++i) {
        COLORREF c = FixtureColour(i);
        palette[4 * i] = GetBValue(c);
        palette[4 * i + 1] = GetGValue(c);
        palette[4 * i + 2] = GetRValue(c);
    }
    std::vector<uint8_t> packedPalette = Deflate(palette);
    Put32(out, static_cast<uint32_t>(packedPalette.size()));
    out.insert(out.end(), packedPalette.begin(), packedPalette.end());
    for (const FigImage& image : images) {
        int rowBytes = (image.width + 3) & ~3;
        std::vector<uint8_t> raw(rowBytes * image.height, 0);
        for (int y = 0; y < image.height; ++y) {
            for (int x = 0; x < image.width; ++x) {
                uint8_t index = image.pixels.empty() ? image.fill : image.pixels[y * image.width + x];
                raw[(image.height - 1 - y) * rowBytes + x] = index; // bottom-up rows
            }
        }
        std::vector<uint8_t> packed = Deflate(raw);
        Put16(out, image.width);
        Put16(out, image.height);
        Put16(out, 1);
        Put16(out, 8);
        Put16(out, 0);
        Put32(out, static_cast<uint32_t>(packed.size()));
        Put16(out, image.x);
        Put16(out, image.y);
        Put16(out, image.keyIndex);
        Put16(out, image.delay);
        Put16(out, image.disposal);
        out.insert(out.end(), packed.begin(), packed.end());
    }
    return out;
}

// A solid image of one palette colour.
inline FigImage Solid(int x, int y, int width, int height, uint8_t colour, int delay, int keyIndex = -1,
                      int disposal = 1)
{
    return FigImage{x, y, width, height, keyIndex, delay, disposal, {}, colour};
}

// The colour of one pixel of a bitmap.
inline COLORREF PixelOf(HBITMAP bitmap, int x, int y)
{
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    COLORREF colour = GetPixel(dc, x, y);
    SelectObject(dc, old);
    DeleteDC(dc);
    return colour;
}

// A 32 x 32 monochrome cursor resource (RT_CURSOR data) with the given hot
// spot; the picture is a filled square whose size tells cursors apart.
inline std::vector<uint8_t> MakeCursorData(int hotX, int hotY, int squareSize)
{
    std::vector<uint8_t> out;
    Put16(out, hotX);
    Put16(out, hotY);
    Put32(out, 40);
    Put32(out, 32);
    Put32(out, 64); // colour and mask planes
    Put16(out, 1);
    Put16(out, 1);
    for (int i = 0; i < 6; ++i)
        Put32(out, 0);
    Put32(out, 0x000000);
    Put32(out, 0xFFFFFF);
    for (int y = 0; y < 32; ++y) // XOR plane, bottom-up: black everywhere
        Put32(out, 0);
    for (int y = 31; y >= 0; --y) { // AND plane: 0 inside the square, 1 outside
        uint32_t bits = 0xFFFFFFFF;
        if (y < squareSize) {
            for (int x = 0; x < squareSize; ++x)
                bits &= ~(0x80000000u >> x);
        }
        // Rows are stored most significant byte first.
        out.push_back(static_cast<uint8_t>(bits >> 24));
        out.push_back(static_cast<uint8_t>(bits >> 16));
        out.push_back(static_cast<uint8_t>(bits >> 8));
        out.push_back(static_cast<uint8_t>(bits));
    }
    return out;
}

inline std::vector<uint8_t> MakeCursorGroup(int cursorId, size_t dataSize)
{
    std::vector<uint8_t> out;
    Put16(out, 0);
    Put16(out, 2);
    Put16(out, 1);
    Put16(out, 32);
    Put16(out, 64);
    Put16(out, 1);
    Put16(out, 1);
    Put32(out, static_cast<uint32_t>(dataSize));
    Put16(out, cursorId);
    return out;
}

struct ModuleResource {
    const char* type; // a name or MAKEINTRESOURCE type
    int id;
    std::vector<uint8_t> bytes;
    const char* name = nullptr; // a string name instead of the id
};

// The bytes of one of the running program's own resources.
inline std::vector<uint8_t> ProgramResource(const char* type, int id)
{
    HMODULE self = GetModuleHandleA(nullptr);
    HRSRC info = FindResourceA(self, MAKEINTRESOURCEA(id), type);
    HGLOBAL loaded = info ? LoadResource(self, info) : nullptr;
    const uint8_t* bytes = loaded ? static_cast<const uint8_t*>(LockResource(loaded)) : nullptr;
    if (bytes == nullptr)
        return {};
    return std::vector<uint8_t>(bytes, bytes + SizeofResource(self, info));
}

// A copy of this test program holding exactly the given resources, loaded
// as a data module. Returns null on failure; path receives the copy's name.
inline HMODULE MakeCardModule(const std::vector<ModuleResource>& resources, std::string* path)
{
    char self[MAX_PATH], directory[MAX_PATH], copy[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    GetTempPathA(MAX_PATH, directory);
    GetTempFileNameA(directory, "crd", 0, copy);
    *path = copy;
    if (!CopyFileA(self, copy, FALSE))
        return nullptr;
    HANDLE update = BeginUpdateResourceA(copy, TRUE);
    if (update == nullptr)
        return nullptr;
    for (const ModuleResource& r : resources) {
        UpdateResourceA(update, r.type, r.name ? r.name : MAKEINTRESOURCEA(r.id), MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL),
                        const_cast<uint8_t*>(r.bytes.data()), static_cast<DWORD>(r.bytes.size()));
    }
    if (!EndUpdateResourceA(update, FALSE))
        return nullptr;
    return LoadLibraryExA(copy, nullptr, LOAD_LIBRARY_AS_DATAFILE);
}

// Unloads a module made by MakeCardModule and deletes its file.
inline void DropCardModule(HMODULE module, const std::string& path)
{
    if (module != nullptr)
        FreeLibrary(module);
    DeleteFileA(path.c_str());
}

} // namespace card_fixture
