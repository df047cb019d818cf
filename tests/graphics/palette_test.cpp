#include "graphics/palette.h"

#include <gtest/gtest.h>

#include "graphics/frame_bitmaps.h"
#include "graphics/gdi_helpers.h"
#include "graphics/guarded_bytes.h"
#include "graphics/test_palette.h"

namespace {

// Every graphics test draws with the test palette as the program palette.
class ProgramPaletteEnvironment : public testing::Environment {
public:
    void SetUp() override { UseTestPalette(); }
    void TearDown() override { FreePalette(); }
};

testing::Environment* const g_paletteEnvironment = testing::AddGlobalTestEnvironment(new ProgramPaletteEnvironment);

std::vector<PALETTEENTRY> EntriesOf(HPALETTE palette)
{
    std::vector<PALETTEENTRY> entries(GetPaletteEntries(palette, 0, 0, nullptr));
    if (!entries.empty())
        GetPaletteEntries(palette, 0, static_cast<UINT>(entries.size()), entries.data());
    return entries;
}

void ExpectEntriesEqualTable(HPALETTE palette, const uint8_t* table, size_t count)
{
    std::vector<PALETTEENTRY> entries = EntriesOf(palette);
    ASSERT_EQ(entries.size(), count);
    for (size_t i = 0; i < count; ++i) {
        EXPECT_EQ(entries[i].peRed, table[i * 4 + 2]) << "entry " << i;
        EXPECT_EQ(entries[i].peGreen, table[i * 4 + 1]) << "entry " << i;
        EXPECT_EQ(entries[i].peBlue, table[i * 4]) << "entry " << i;
        EXPECT_EQ(entries[i].peFlags, 0) << "entry " << i;
    }
}

uint8_t BitsPattern(uint32_t i)
{
    return static_cast<uint8_t>(i * 5 + 1);
}

TEST(PackedDib, HeaderTableAndBitsAreLaidOutTogether)
{
    const std::vector<uint8_t> colours = fig_builder::TestColours();
    const struct {
        const char* what;
        BmpSpec spec;
        uint32_t clrUsed;
        uint32_t sizeImage;
    } cases[] = {
        {"8 bits, colours used 0", {16, 16, 8, 0, 256, 256, 256}, 256, 256},
        {"image size 0, width 57", {57, 3, 8, 256, 0, 256, 180}, 256, 180},
        {"4 bits, colours used 0", {5, 2, 4, 0, 0, 16, 8}, 16, 8},
        {"two colours used", {4, 4, 8, 2, 16, 2, 16}, 2, 16},
        {"24 bits, no table", {3, 2, 24, 0, 0, 0, 24}, 0, 24},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<uint8_t> file = MakeBmp(c.spec, colours, BitsPattern);
        GuardedBytes bytes(file);
        HGLOBAL packed = PackedDibFromFile(bytes.Data(), bytes.Size());
        ASSERT_NE(packed, nullptr);
        const size_t tableBytes = c.clrUsed * 4;
        ASSERT_GE(GlobalSize(packed), 40 + tableBytes + c.sizeImage);
        const uint8_t* block = static_cast<const uint8_t*>(GlobalLock(packed));
        const BITMAPINFOHEADER* header = reinterpret_cast<const BITMAPINFOHEADER*>(block);
        EXPECT_EQ(header->biSize, 40u);
        EXPECT_EQ(header->biWidth, c.spec.width);
        EXPECT_EQ(header->biHeight, c.spec.height);
        EXPECT_EQ(header->biClrUsed, c.clrUsed);
        EXPECT_EQ(header->biSizeImage, c.sizeImage);
        EXPECT_EQ(memcmp(block + 40, colours.data(), tableBytes), 0);
        for (uint32_t i = 0; i < c.sizeImage; ++i)
            ASSERT_EQ(block[40 + tableBytes + i], BitsPattern(i)) << "bit byte " << i;
        GlobalUnlock(packed);
        GlobalFree(packed);
    }
}

TEST(PackedDib, CutOrInconsistentFilesGiveNothing)
{
    const std::vector<uint8_t> colours = fig_builder::TestColours();
    const std::vector<uint8_t> whole = MakeBmp({16, 4, 8, 0, 0, 256, 64}, colours, BitsPattern);
    std::vector<uint8_t> offsetPastEnd = whole;
    offsetPastEnd[10] = 0xFF;
    offsetPastEnd[11] = 0xFF;
    std::vector<uint8_t> hugeColourCount = MakeBmp({16, 4, 24, 0x40000000, 0, 0, 192}, colours, BitsPattern);
    std::vector<uint8_t> longHeader = whole;
    longHeader[14] = 108; // a V4 header is not handled
    const struct {
        const char* what;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {"inside the info header", std::vector<uint8_t>(whole.begin(), whole.begin() + 40)},
        {"inside the colour table", std::vector<uint8_t>(whole.begin(), whole.begin() + 600)},
        {"inside the bits", std::vector<uint8_t>(whole.begin(), whole.end() - 1)},
        {"bits offset past the end", offsetPastEnd},
        {"colour count beyond any table", hugeColourCount},
        {"longer info header", longHeader},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        GuardedBytes bytes(c.bytes);
        HGLOBAL packed = PackedDibFromFile(bytes.Data(), bytes.Size());
        EXPECT_EQ(packed, nullptr);
        if (packed != nullptr)
            GlobalFree(packed);
    }
}

TEST(PackedDib, LoadsFromAResourceAndMissingOnesGiveNothing)
{
    FixtureModule fixtures;
    fixtures.Add("DIB", "PICTURE", MakeBmp({57, 3, 8, 0, 0, 256, 180}, fig_builder::TestColours(), BitsPattern));
    HMODULE module = fixtures.Load();
    ASSERT_NE(module, nullptr);
    HGLOBAL packed = LoadPackedDib(module, "PICTURE", "DIB");
    ASSERT_NE(packed, nullptr);
    const BITMAPINFOHEADER* header = static_cast<const BITMAPINFOHEADER*>(GlobalLock(packed));
    EXPECT_EQ(header->biSizeImage, 60u * 3);
    EXPECT_EQ(header->biClrUsed, 256u);
    GlobalUnlock(packed);
    GlobalFree(packed);
    EXPECT_EQ(LoadPackedDib(module, "PICTURE", "BMP"), nullptr);
    EXPECT_EQ(LoadPackedDib(module, "ELSEWHERE", "DIB"), nullptr);
}

TEST(DibPalette, EntriesComeFromTheColourTable)
{
    const std::vector<uint8_t> colours = fig_builder::TestColours();
    const struct {
        const char* what;
        BmpSpec spec;
        size_t entries;
    } cases[] = {
        {"256 colours, count 0", {2, 2, 8, 0, 0, 256, 8}, 256},
        {"two colours", {2, 2, 8, 2, 0, 2, 8}, 2},
        {"4 bits", {2, 2, 4, 0, 0, 16, 8}, 16},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<uint8_t> file = MakeBmp(c.spec, colours, BitsPattern);
        HGLOBAL packed = PackedDibFromFile(file.data(), file.size());
        ASSERT_NE(packed, nullptr);
        const BITMAPINFOHEADER* header = static_cast<const BITMAPINFOHEADER*>(GlobalLock(packed));
        HPALETTE palette = CreateDibPalette(header);
        ASSERT_NE(palette, nullptr);
        ExpectEntriesEqualTable(palette, colours.data(), c.entries);
        DeleteObject(palette);
        GlobalUnlock(packed);
        GlobalFree(packed);
    }
    BITMAPINFOHEADER trueColour = {};
    trueColour.biSize = 40;
    trueColour.biBitCount = 24;
    EXPECT_EQ(CreateDibPalette(&trueColour), nullptr);
    EXPECT_EQ(CreateDibPalette(nullptr), nullptr);
}

TEST(DibPalette, TablePaletteHoldsOneToTwoHundredFiftySixEntries)
{
    const std::vector<uint8_t> colours = fig_builder::TestColours();
    for (uint32_t count : {1u, 256u}) {
        SCOPED_TRACE(count);
        HPALETTE palette = CreateTablePalette(colours.data(), count);
        ASSERT_NE(palette, nullptr);
        ExpectEntriesEqualTable(palette, colours.data(), count);
        DeleteObject(palette);
    }
    // More than a logical palette of the program can hold is refused before
    // anything is read.
    EXPECT_EQ(CreateTablePalette(colours.data(), 257), nullptr);
    EXPECT_EQ(CreateTablePalette(colours.data(), 0), nullptr);
    EXPECT_EQ(CreateTablePalette(nullptr, 4), nullptr);
}

TEST(DibBitmap, DeviceBitmapShowsTheDibsColours)
{
    const std::vector<uint8_t> colours = fig_builder::TestColours();
    // 57 pixels wide: rows padded to 60 bytes.
    std::vector<uint8_t> file =
        MakeBmp({57, 3, 8, 0, 0, 256, 180}, colours, [](uint32_t i) { return 10 + (i % 60) + (i / 60) * 70; });
    HGLOBAL packed = PackedDibFromFile(file.data(), file.size());
    ASSERT_NE(packed, nullptr);
    HBITMAP bitmap = CreateBitmapFromDib(packed, ProgramPalette(), DIB_RGB_COLORS);
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(GetBitmapWidth(bitmap), 57);
    EXPECT_EQ(GetBitmapHeight(bitmap), 3);
    // Bottom-up: the file's first row is the bitmap's last.
    EXPECT_EQ(PixelOf(bitmap, 0, 2), ShownColourOfIndex(colours, 10));
    EXPECT_EQ(PixelOf(bitmap, 56, 2), ShownColourOfIndex(colours, 66));
    EXPECT_EQ(PixelOf(bitmap, 5, 0), ShownColourOfIndex(colours, 155));
    DeleteObject(bitmap);
    GlobalFree(packed);
    EXPECT_EQ(CreateBitmapFromDib(nullptr, ProgramPalette(), DIB_RGB_COLORS), nullptr);
}

TEST(DibBitmap, LoadDibBitmapReadsADibResource)
{
    const std::vector<uint8_t> colours = fig_builder::TestColours();
    FixtureModule fixtures;
    fixtures.Add("DIB", MAKEINTRESOURCEA(42), MakeBmp({9, 2, 8, 0, 0, 256, 24}, colours, [](uint32_t i) {
                     return i < 12 ? 30 : 31;
                 }));
    HMODULE module = fixtures.Load();
    HBITMAP bitmap = LoadDibBitmap(module, MAKEINTRESOURCEA(42));
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(PixelOf(bitmap, 8, 1), ShownColourOfIndex(colours, 30));
    EXPECT_EQ(PixelOf(bitmap, 0, 0), ShownColourOfIndex(colours, 31));
    DeleteObject(bitmap);
    EXPECT_EQ(LoadDibBitmap(module, MAKEINTRESOURCEA(43)), nullptr);
}

class ProgramPalette_ : public testing::Test {
protected:
    void TearDown() override { UseTestPalette(); }
};

TEST_F(ProgramPalette_, InitPaletteBuildsItFromIdbPal)
{
    ASSERT_NE(ProgramPalette(), nullptr);
    ExpectEntriesEqualTable(ProgramPalette(), fig_builder::TestColours().data(), 256);
    EXPECT_EQ(PaletteModule(), TestPaletteModule());
    EXPECT_EQ(PaletteWindow(), TestPaletteWindow());
    FreePalette();
    EXPECT_EQ(ProgramPalette(), nullptr);
}

TEST_F(ProgramPalette_, SelectAndRestoreLeaveTheDcWithItsOwnPalette)
{
    HDC memory = CreateCompatibleDC(nullptr);
    HDC window = GetDC(TestPaletteWindow());
    for (HDC dc : {memory, window}) {
        HGDIOBJ before = GetCurrentObject(dc, OBJ_PAL);
        SelectMainPalette(dc);
        EXPECT_EQ(GetCurrentObject(dc, OBJ_PAL), ProgramPalette());
        EXPECT_EQ(RestorePalette(dc), ProgramPalette());
        EXPECT_EQ(GetCurrentObject(dc, OBJ_PAL), before);
    }
    ReleaseDC(TestPaletteWindow(), window);
    DeleteDC(memory);
}

TEST_F(ProgramPalette_, WithoutIdbPalThereIsNoPaletteAndDrawingGoesOn)
{
    FixtureModule empty;
    empty.Add("DIB", "OTHER", TestPaletteBmp());
    FreePalette();
    InitPalette(empty.Load(), TestPaletteWindow());
    EXPECT_EQ(ProgramPalette(), nullptr);
    RealizeMainPalette();
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ before = GetCurrentObject(dc, OBJ_PAL);
    SelectMainPalette(dc);
    RestorePalette(dc);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_PAL), before);
    DeleteDC(dc);
    EXPECT_EQ(RealizeForPaletteMessage(TestPaletteWindow()), 0);
}

} // namespace
