// BMP file images made in memory, for the DIB loader's tests.
#pragma once
#include <windows.h>
#include <stdint.h>
#include <string.h>

#include <vector>

struct BmpSpec {
    int width;
    int height;
    int bitCount;
    uint32_t clrUsed;        // as written in the header
    uint32_t sizeImage;      // as written in the header
    uint32_t tableEntries;   // colour entries actually written
    uint32_t bitsBytes;      // pixel bytes actually written
};

// colours: blue, green, red, 0 per entry (at least tableEntries of them).
// Pixel byte i is bitsPattern(i).
template <typename Pattern>
std::vector<uint8_t> MakeBmp(const BmpSpec& spec, const std::vector<uint8_t>& colours, Pattern bitsPattern)
{
    const uint32_t tableBytes = spec.tableEntries * 4;
    const uint32_t bitsOffset = 14 + 40 + tableBytes;
    std::vector<uint8_t> file(bitsOffset + spec.bitsBytes, 0);
    BITMAPFILEHEADER fileHeader = {};
    fileHeader.bfType = 0x4D42;
    fileHeader.bfSize = static_cast<DWORD>(file.size());
    fileHeader.bfOffBits = bitsOffset;
    memcpy(file.data(), &fileHeader, 14);
    BITMAPINFOHEADER info = {};
    info.biSize = 40;
    info.biWidth = spec.width;
    info.biHeight = spec.height;
    info.biPlanes = 1;
    info.biBitCount = static_cast<WORD>(spec.bitCount);
    info.biCompression = BI_RGB;
    info.biSizeImage = spec.sizeImage;
    info.biClrUsed = spec.clrUsed;
    memcpy(file.data() + 14, &info, 40);
    if (tableBytes)
        memcpy(file.data() + 54, colours.data(), tableBytes);
    for (uint32_t i = 0; i < spec.bitsBytes; ++i)
        file[bitsOffset + i] = static_cast<uint8_t>(bitsPattern(i));
    return file;
}
