// Reads every resource that the built festling.exe carries back out of it
// through the program's own loaders, and checks it against what the scene
// and the card expect.
#include <gtest/gtest.h>

#include <string.h>

#include <algorithm>

#include <string>
#include <vector>

#include "graphics/fig_reader.h"
#include "graphics/frame_bitmaps.h"
#include "graphics/palette.h"

namespace {

// build/win/tests/resources_tests.exe -> build/win/festling.exe, loaded as a
// data file: its resources are found and loaded as the program finds them.
HMODULE Module()
{
    static HMODULE module = [] {
        char path[MAX_PATH];
        DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
        std::string own(path, length);
        std::string folder = own.substr(0, own.find_last_of("\\/"));
        std::string exe = folder.substr(0, folder.find_last_of("\\/")) + "\\festling.exe";
        return LoadLibraryExA(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    }();
    return module;
}

TEST(CarriedResources, TheBuiltProgramOpensAsAModule)
{
    ASSERT_NE(Module(), nullptr);
}

std::string ResourceBytes(const char* type, const char* name)
{
    HRSRC found = FindResourceA(Module(), name, type);
    if (!found)
        return std::string();
    HGLOBAL loaded = LoadResource(Module(), found);
    const char* bytes = static_cast<const char*>(LockResource(loaded));
    return bytes ? std::string(bytes, SizeofResource(Module(), found)) : std::string();
}

// The colour table of IDB_PAL, as the program builds its palette from it.
std::vector<COLORREF> ProgramColours()
{
    std::vector<COLORREF> colours;
    HGLOBAL dib = LoadPackedDib(Module(), "IDB_PAL", "DIB");
    if (!dib)
        return colours;
    const BITMAPINFOHEADER* header = static_cast<const BITMAPINFOHEADER*>(GlobalLock(dib));
    const RGBQUAD* table = reinterpret_cast<const RGBQUAD*>(reinterpret_cast<const uint8_t*>(header) + header->biSize);
    for (DWORD i = 0; i < header->biClrUsed; ++i)
        colours.push_back(RGB(table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue));
    GlobalUnlock(dib);
    GlobalFree(dib);
    return colours;
}

std::vector<COLORREF> FigColours(const FigReader* reader)
{
    std::vector<COLORREF> colours;
    for (int i = 0; i < 256; ++i)
        colours.push_back(RGB(reader->palette[4 * i + 2], reader->palette[4 * i + 1], reader->palette[4 * i]));
    return colours;
}

struct Picture {
    int id;
    int width, height;           // the whole picture
    int frameWidth, frameHeight; // one frame
    int frames;
    bool ownColours;             // carries a colour table of its own
    bool keyed;                  // drawn with its top-left colour as the transparent colour
};

const Picture kPictures[] = {
    {300, 312, 362, 156, 181, 4, false, true},   {301, 184, 198, 184, 198, 1, true, true},
    {302, 234, 184, 78, 92, 6, false, true},     {303, 320, 334, 160, 167, 4, false, true},
    {304, 156, 226, 156, 113, 2, false, true},   {305, 320, 270, 160, 135, 4, false, true},
    {306, 280, 348, 140, 174, 4, false, true},   {307, 282, 480, 141, 120, 8, false, true},
    {308, 88, 78, 88, 39, 2, false, true},       {309, 492, 603, 246, 201, 6, false, true},
    {310, 320, 426, 160, 142, 6, false, true},   {311, 151, 177, 151, 177, 1, false, true},
    {312, 104, 143, 104, 143, 1, false, true},   {313, 135, 139, 135, 139, 1, false, true},
    {314, 54, 72, 54, 72, 1, false, true},       {350, 293, 130, 293, 130, 1, false, true},
    {351, 282, 155, 282, 155, 1, false, false},  {1200, 493, 359, 493, 359, 1, false, false},
};

class MemoryDc {
public:
    explicit MemoryDc(HBITMAP bitmap) : m_dc(CreateCompatibleDC(nullptr)), m_old(SelectObject(m_dc, bitmap)) {}
    ~MemoryDc()
    {
        SelectObject(m_dc, m_old);
        DeleteDC(m_dc);
    }
    COLORREF Pixel(int x, int y) const { return GetPixel(m_dc, x, y) & 0xFFFFFF; }

private:
    HDC m_dc;
    HGDIOBJ m_old;
};

TEST(CarriedResources, PaletteBitmapIsTheSmallRunLengthBmpWithTheReservedColours)
{
    std::string file = ResourceBytes("DIB", "IDB_PAL");
    ASSERT_EQ(file.size(), 1142u);
    EXPECT_EQ(file.substr(0, 2), "BM");
    uint32_t fileSize, bitsOffset;
    memcpy(&fileSize, &file[2], 4);
    memcpy(&bitsOffset, &file[10], 4);
    EXPECT_EQ(fileSize, 1142u);
    EXPECT_EQ(bitsOffset, 1078u);

    HGLOBAL dib = LoadPackedDib(Module(), "IDB_PAL", "DIB");
    ASSERT_NE(dib, nullptr);
    const BITMAPINFOHEADER* header = static_cast<const BITMAPINFOHEADER*>(GlobalLock(dib));
    EXPECT_EQ(header->biSize, 40u);
    EXPECT_EQ(header->biWidth, 16);
    EXPECT_EQ(header->biHeight, 16);
    EXPECT_EQ(header->biBitCount, 8);
    EXPECT_EQ(header->biCompression, static_cast<DWORD>(BI_RLE8));
    EXPECT_EQ(header->biSizeImage, 64u);
    EXPECT_EQ(header->biClrUsed, 256u);
    EXPECT_EQ(header->biClrImportant, 256u);
    // Every pixel is index 0: each row one run of 16, the last closing the bitmap.
    const uint8_t* bits = reinterpret_cast<const uint8_t*>(header) + 40 + 1024;
    for (int row = 0; row < 16; ++row) {
        EXPECT_EQ(bits[4 * row], 16);
        EXPECT_EQ(bits[4 * row + 1], 0);
        EXPECT_EQ(bits[4 * row + 2], 0);
        EXPECT_EQ(bits[4 * row + 3], row == 15 ? 1 : 0);
    }
    HPALETTE palette = CreateDibPalette(header);
    ASSERT_NE(palette, nullptr);
    EXPECT_EQ(GetPaletteEntries(palette, 0, 0, nullptr), 256u);
    DeleteObject(palette);
    GlobalUnlock(dib);
    GlobalFree(dib);

    const COLORREF reserved[20] = {
        RGB(0, 0, 0),       RGB(128, 0, 0),     RGB(0, 128, 0),     RGB(128, 128, 0),   RGB(0, 0, 128),
        RGB(128, 0, 128),   RGB(0, 128, 128),   RGB(192, 192, 192), RGB(192, 220, 192), RGB(166, 202, 240),
        RGB(255, 251, 240), RGB(160, 160, 164), RGB(128, 128, 128), RGB(255, 0, 0),     RGB(0, 255, 0),
        RGB(255, 255, 0),   RGB(0, 0, 255),     RGB(255, 0, 255),   RGB(0, 255, 255),   RGB(255, 255, 255),
    };
    std::vector<COLORREF> colours = ProgramColours();
    ASSERT_EQ(colours.size(), 256u);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(colours[i], reserved[i]) << "entry " << i;
        EXPECT_EQ(colours[246 + i], reserved[10 + i]) << "entry " << 246 + i;
    }
    EXPECT_EQ(colours[216], RGB(4, 4, 4));
    EXPECT_EQ(colours[239], RGB(248, 248, 248));
    for (int i = 217; i <= 239; ++i) {
        EXPECT_EQ(GetRValue(colours[i]), GetGValue(colours[i])) << "entry " << i;
        EXPECT_EQ(GetRValue(colours[i]), GetBValue(colours[i])) << "entry " << i;
        EXPECT_GT(GetRValue(colours[i]), GetRValue(colours[i - 1])) << "entry " << i;
    }
}

TEST(CarriedResources, EveryPictureHasItsSizeFramesColoursAndKey)
{
    const std::vector<COLORREF> program = ProgramColours();
    ASSERT_EQ(program.size(), 256u);
    for (const Picture& p : kPictures) {
        SCOPED_TRACE("FIG " + std::to_string(p.id));
        FigReader* reader = FigOpenResource(Module(), MAKEINTRESOURCEA(p.id));
        ASSERT_NE(reader, nullptr);
        EXPECT_EQ(reader->imageCount, 1);
        EXPECT_EQ(reader->loopCount, -1);
        EXPECT_EQ(reader->width, p.width);
        EXPECT_EQ(reader->height, p.height);
        std::vector<COLORREF> colours = FigColours(reader);
        if (p.ownColours)
            EXPECT_NE(colours, program);
        else
            EXPECT_EQ(colours, program);

        HBITMAP bitmap = nullptr;
        FigImageInfo* info = nullptr;
        ASSERT_EQ(FigReadImage(reader, &bitmap, &info), kFigImageRead);
        ASSERT_NE(bitmap, nullptr);
        ASSERT_NE(info, nullptr);
        EXPECT_EQ(info->header.biWidth, p.width);
        EXPECT_EQ(info->header.biHeight, p.height);
        EXPECT_EQ(info->x, 0);
        EXPECT_EQ(info->y, 0);
        EXPECT_EQ(info->delay, 0);
        EXPECT_EQ(GetBitmapWidth(bitmap), p.width);
        EXPECT_EQ(GetBitmapHeight(bitmap), p.height);
        EXPECT_EQ((p.width / p.frameWidth) * (p.height / p.frameHeight), p.frames);
        EXPECT_EQ(p.width % p.frameWidth, 0);
        EXPECT_EQ(p.height % p.frameHeight, 0);

        if (p.keyed) {
            // The strip's top-left pixel is the key, every frame starts with it,
            // and no other palette entry shares its colour (such pixels would
            // vanish inside a figure).
            MemoryDc dc(bitmap);
            COLORREF key = dc.Pixel(0, 0);
            int entries = 0;
            for (COLORREF c : colours)
                entries += c == key;
            EXPECT_EQ(entries, 1) << std::hex << key;
            for (int y = 0; y < p.height; y += p.frameHeight)
                for (int x = 0; x < p.width; x += p.frameWidth)
                    EXPECT_EQ(dc.Pixel(x, y), key) << "frame at " << x << "," << y;
        }
        DeleteObject(bitmap);
        free(info);
        FigClose(reader);

        HBITMAP loaded = FigLoadBitmap(Module(), p.id);
        EXPECT_EQ(GetBitmapWidth(loaded), p.width);
        EXPECT_EQ(GetBitmapHeight(loaded), p.height);
        DeleteObject(loaded);
    }
}

TEST(CarriedResources, SnowdriftLeavesItsMessageBoxPlainAndLight)
{
    // The greeting is written in black into (64, 43)-(219, 110) of the drift.
    HBITMAP drift = FigLoadBitmap(Module(), 350);
    ASSERT_NE(drift, nullptr);
    {
        MemoryDc dc(drift);
        COLORREF snow = dc.Pixel(64, 43);
        EXPECT_GT(GetRValue(snow) + GetGValue(snow) + GetBValue(snow), 3 * 200);
        int other = 0;
        for (int y = 43; y < 110; ++y)
            for (int x = 64; x < 219; ++x)
                other += dc.Pixel(x, y) != snow;
        EXPECT_EQ(other, 0);
    }
    DeleteObject(drift);
}

TEST(CarriedResources, CardAnimationIsOneFullPictureAndThirteenKeyedParts)
{
    const std::vector<COLORREF> program = ProgramColours();
    FigReader* reader = FigOpenResource(Module(), MAKEINTRESOURCEA(1201));
    ASSERT_NE(reader, nullptr);
    EXPECT_EQ(reader->loopCount, -1);
    EXPECT_EQ(reader->imageCount, 14);
    EXPECT_EQ(reader->width, 468);
    EXPECT_EQ(reader->height, 60);
    EXPECT_EQ(FigColours(reader), program);
    for (int n = 0; n < 14; ++n) {
        SCOPED_TRACE("image " + std::to_string(n + 1));
        HBITMAP bitmap = nullptr;
        FigImageInfo* info = nullptr;
        ASSERT_EQ(FigReadImage(reader, &bitmap, &info), kFigImageRead);
        ASSERT_NE(bitmap, nullptr);
        EXPECT_EQ(info->disposal, 1);
        if (n == 0) {
            EXPECT_EQ(info->header.biWidth, 468);
            EXPECT_EQ(info->header.biHeight, 60);
            EXPECT_EQ(info->x, 0);
            EXPECT_EQ(info->y, 0);
            EXPECT_EQ(info->delay, 100);
        } else {
            EXPECT_GE(info->delay, 10);
            EXPECT_LE(info->delay, 300);
            EXPECT_GE(info->keyIndex, 0);
            EXPECT_LE(info->keyIndex, 255);
            EXPECT_GE(info->x, 0);
            EXPECT_GE(info->y, 0);
            EXPECT_LE(info->x + info->header.biWidth, 468);
            EXPECT_LE(info->y + info->header.biHeight, 60);
            EXPECT_LT(info->header.biWidth * info->header.biHeight, 468 * 60);
        }
        DeleteObject(bitmap);
        free(info);
    }
    FigClose(reader);
}

TEST(CarriedResources, CursorsAreMonochromeWithTheirHotSpots)
{
    struct Case {
        int id;
        DWORD x, y;
    } const cases[] = {{100, 13, 9}, {102, 15, 18}, {103, 17, 15}};
    for (const Case& c : cases) {
        SCOPED_TRACE("cursor " + std::to_string(c.id));
        HCURSOR cursor = LoadCursorA(Module(), MAKEINTRESOURCEA(c.id));
        ASSERT_NE(cursor, nullptr);
        ICONINFO info = {};
        ASSERT_TRUE(GetIconInfo(cursor, &info));
        EXPECT_FALSE(info.fIcon);
        EXPECT_EQ(info.xHotspot, c.x);
        EXPECT_EQ(info.yHotspot, c.y);
        EXPECT_EQ(info.hbmColor, nullptr);
        BITMAP mask = {};
        ASSERT_TRUE(GetObjectA(info.hbmMask, sizeof mask, &mask));
        EXPECT_EQ(mask.bmWidth, 32);
        EXPECT_EQ(mask.bmHeight, 64);
        EXPECT_EQ(mask.bmBitsPixel, 1);
        DeleteObject(info.hbmMask);
        if (info.hbmColor)
            DeleteObject(info.hbmColor);
        DestroyCursor(cursor);
    }
}

TEST(CarriedResources, IconComesInSixteenAndThirtyTwoPixels)
{
    std::string group = ResourceBytes(MAKEINTRESOURCEA(14) /* RT_GROUP_ICON */, MAKEINTRESOURCEA(100));
    ASSERT_GE(group.size(), 6u);
    uint16_t count;
    memcpy(&count, &group[4], 2);
    ASSERT_EQ(group.size(), 6u + 14u * count);
    std::vector<int> sizes;
    for (int i = 0; i < count; ++i)
        sizes.push_back(static_cast<uint8_t>(group[6 + 14 * i]));
    EXPECT_NE(std::find(sizes.begin(), sizes.end(), 16), sizes.end());
    EXPECT_NE(std::find(sizes.begin(), sizes.end(), 32), sizes.end());
    for (int size : {16, 32}) {
        HICON icon = static_cast<HICON>(LoadImageA(Module(), MAKEINTRESOURCEA(100), IMAGE_ICON, size, size, 0));
        ASSERT_NE(icon, nullptr) << size;
        ICONINFO info = {};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP colour = {};
        ASSERT_TRUE(GetObjectA(info.hbmColor, sizeof colour, &colour));
        EXPECT_EQ(colour.bmWidth, size);
        EXPECT_EQ(colour.bmHeight, size);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }
}

TEST(CarriedResources, TextsAndDialogsAreThere)
{
    const char message[] = "Joyeux No\xEBl\r\n...........................\r\n";
    EXPECT_EQ(ResourceBytes("MSGTEXT", MAKEINTRESOURCEA(101)), std::string(message, 42));
    EXPECT_EQ(ResourceBytes("CONFIG", MAKEINTRESOURCEA(1200)), "ym1");
    EXPECT_NE(FindResourceA(Module(), MAKEINTRESOURCEA(107), MAKEINTRESOURCEA(5)), nullptr);
    EXPECT_NE(FindResourceA(Module(), MAKEINTRESOURCEA(109), MAKEINTRESOURCEA(5)), nullptr);
}

uint32_t BigEndian(const std::string& s, size_t at, int bytes)
{
    uint32_t v = 0;
    for (int i = 0; i < bytes; ++i)
        v = (v << 8) | static_cast<uint8_t>(s[at + i]);
    return v;
}

// Walks one track's events; false on anything a sequencer could not read.
bool TrackIsWellFormed(const std::string& s, size_t at, size_t end, int* notesOn)
{
    int status = 0;
    bool ended = false;
    while (at < end && !ended) {
        for (int n = 0;; ++n) { // delta time
            if (at >= end || n == 4)
                return false;
            if (!(static_cast<uint8_t>(s[at++]) & 0x80))
                break;
        }
        if (at >= end)
            return false;
        int byte = static_cast<uint8_t>(s[at]);
        if (byte == 0xFF) {
            if (at + 2 >= end)
                return false;
            int kind = static_cast<uint8_t>(s[at + 1]);
            size_t length = static_cast<uint8_t>(s[at + 2]);
            if (length & 0x80)
                return false; // no meta event here needs a long length
            at += 3 + length;
            ended = kind == 0x2F && length == 0;
            status = 0;
            continue;
        }
        if (byte & 0x80) {
            if (byte >= 0xF0)
                return false;
            status = byte;
            ++at;
        } else if (!status) {
            return false; // running status with none set
        }
        int data = (status & 0xF0) == 0xC0 || (status & 0xF0) == 0xD0 ? 1 : 2;
        if (at + data > end)
            return false;
        for (int i = 0; i < data; ++i)
            if (static_cast<uint8_t>(s[at + i]) & 0x80)
                return false;
        if ((status & 0xF0) == 0x90 && s[at + 1] != 0)
            ++*notesOn;
        at += data;
    }
    return ended && at == end;
}

TEST(CarriedResources, TuneIsAFormatOneFileOfEightTracks)
{
    std::string tune = ResourceBytes("MIDI", "IDM_MUSIC");
    ASSERT_GT(tune.size(), 14u);
    EXPECT_GT(tune.size(), 5000u);
    EXPECT_LT(tune.size(), 10000u);
    ASSERT_EQ(tune.substr(0, 4), "MThd");
    EXPECT_EQ(BigEndian(tune, 4, 4), 6u);
    EXPECT_EQ(BigEndian(tune, 8, 2), 1u);
    EXPECT_EQ(BigEndian(tune, 10, 2), 8u);
    EXPECT_EQ(BigEndian(tune, 12, 2), 480u);
    size_t at = 14;
    int tracks = 0, notes = 0;
    while (at < tune.size()) {
        ASSERT_LE(at + 8, tune.size());
        ASSERT_EQ(tune.substr(at, 4), "MTrk") << "track " << tracks;
        size_t length = BigEndian(tune, at + 4, 4);
        ASSERT_LE(at + 8 + length, tune.size());
        EXPECT_TRUE(TrackIsWellFormed(tune, at + 8, at + 8 + length, &notes)) << "track " << tracks;
        at += 8 + length;
        ++tracks;
    }
    EXPECT_EQ(tracks, 8);
    EXPECT_GT(notes, 200);
}

} // namespace
