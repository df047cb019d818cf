// Fixtures for the card tests: small FIG files made in memory, and a copy of
// the test program with card resources added, loaded as a data module.
#pragma once
#include <windows.h>
#include <stdint.h>

#include <string>
#include <vector>

#include "support/fig_builder.h"

namespace card_fixture {

// Palette indices of the test colours (fig_builder::TestColours).
enum { kBlack = 0, kRed = 249, kGreen = 250, kYellow = 251, kBlue = 252, kMagenta = 253, kWhite = 255 };

inline COLORREF FixtureColour(int index)
{
    static const std::vector<uint8_t> colours = fig_builder::TestColours();
    return RGB(colours[4 * index + 2], colours[4 * index + 1], colours[4 * index]);
}

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

// A FIG of the images on a width x height canvas, in the test colours.
inline std::vector<uint8_t> MakeFig(int loopCount, int width, int height,
                                    const std::vector<figpack::FigImage>& images)
{
    figpack::FigFile file;
    file.loopCount = loopCount;
    file.width = width;
    file.height = height;
    file.colours = fig_builder::TestColours();
    file.images = images;
    return fig_builder::Build(file);
}

// A solid image of one palette colour.
inline figpack::FigImage Solid(int x, int y, int width, int height, uint8_t colour, int delay, int keyIndex = -1,
                               int disposal = 1)
{
    figpack::FigImage image = fig_builder::MakeImage(width, height, [colour](int, int) { return colour; });
    image.x = x;
    image.y = y;
    image.keyIndex = keyIndex;
    image.delay = delay;
    image.disposal = disposal;
    return image;
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
