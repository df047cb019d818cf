#include "graphics/fig_reader.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>

#include <zlib.h>

#include "graphics/frame_bitmaps.h"
#include "graphics/fixture_module.h"
#include "graphics/gdi_helpers.h"
#include "graphics/guarded_bytes.h"
#include "support/fig_builder.h"

namespace {

int Pattern(int x, int y)
{
    return 10 + (x * 7 + y * 13) % 200;
}

figpack::FigImage PatternImage(int width, int height)
{
    return fig_builder::MakeImage(width, height, Pattern);
}

struct Decoded {
    int result = -1;
    HBITMAP bitmap = nullptr;
    FigImageInfo* info = nullptr;
    ~Decoded()
    {
        if (bitmap != nullptr)
            DeleteObject(bitmap);
        free(info);
    }
};

void Read(FigReader* reader, Decoded* out)
{
    out->result = FigReadImage(reader, &out->bitmap, &out->info);
}

void ExpectPatternPixels(HBITMAP bitmap, int width, int height)
{
    const std::vector<uint8_t> colours = fig_builder::TestColours();
    std::vector<COLORREF> shown(256);
    for (int i = 0; i < 256; ++i)
        shown[i] = ShownColourOfIndex(colours, i);
    BitmapReader pixels(bitmap);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            ASSERT_EQ(pixels.At(x, y), shown[Pattern(x, y)]) << "at " << x << "," << y;
}

TEST(FigReader, ImagesOfOddAndEvenWidthsDecodeWithPaddedRows)
{
    const struct {
        int width, height;
    } cases[] = {{57, 29}, {1, 1}, {4, 2}, {3, 5}, {64, 3}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
        std::vector<uint8_t> fig = fig_builder::Build({PatternImage(c.width, c.height)});
        FigReader* reader = FigOpenMemory(fig.data(), fig.size());
        ASSERT_NE(reader, nullptr);
        Decoded image;
        Read(reader, &image);
        ASSERT_EQ(image.result, kFigImageRead);
        ASSERT_NE(image.bitmap, nullptr);
        ASSERT_NE(image.info, nullptr);
        const int rowBytes = (c.width + 3) / 4 * 4;
        EXPECT_EQ(image.info->header.biSize, 40u);
        EXPECT_EQ(image.info->header.biWidth, c.width);
        EXPECT_EQ(image.info->header.biHeight, c.height);
        EXPECT_EQ(image.info->header.biSizeImage, static_cast<DWORD>(rowBytes * c.height));
        EXPECT_EQ(image.info->header.biClrUsed, 256u);
        EXPECT_EQ(GetBitmapWidth(image.bitmap), c.width);
        EXPECT_EQ(GetBitmapHeight(image.bitmap), c.height);
        ExpectPatternPixels(image.bitmap, c.width, c.height);
        FigClose(reader);
    }
}

TEST(FigReader, FirstRowOfThePixelBlockIsTheBottomRow)
{
    // Top half index 20, bottom row 30: the block starts with the bottom row.
    figpack::FigImage image = fig_builder::MakeImage(5, 4, [](int, int y) { return y == 3 ? 30 : 20; });
    std::vector<uint8_t> block = figpack::RawPixelBlock(image);
    ASSERT_EQ(block.size(), 8u * 4);
    EXPECT_EQ(block[0], 30);
    EXPECT_EQ(block[8], 20);

    std::vector<uint8_t> fig = fig_builder::Build({image});
    FigReader* reader = FigOpenMemory(fig.data(), fig.size());
    ASSERT_NE(reader, nullptr);
    Decoded decoded;
    Read(reader, &decoded);
    ASSERT_NE(decoded.bitmap, nullptr);
    const std::vector<uint8_t> colours = fig_builder::TestColours();
    EXPECT_EQ(PixelOf(decoded.bitmap, 0, 3), ShownColourOfIndex(colours, 30));
    EXPECT_EQ(PixelOf(decoded.bitmap, 0, 0), ShownColourOfIndex(colours, 20));
    FigClose(reader);
}

TEST(FigReader, RecordFieldsAndHeaderAreSignExtended)
{
    figpack::FigFile file;
    file.loopCount = -1;
    file.colours = fig_builder::TestColours();
    figpack::FigImage image = PatternImage(6, 2);
    image.x = -5;
    image.y = 300;
    image.keyIndex = -1;
    image.delay = 250;
    image.disposal = 2;
    file.images = {image};
    file.width = 640;
    file.height = 480;
    file.spare = 7;
    std::vector<uint8_t> fig = fig_builder::Build(file);
    FigReader* reader = FigOpenMemory(fig.data(), fig.size());
    ASSERT_NE(reader, nullptr);
    EXPECT_EQ(reader->loopCount, -1);
    EXPECT_EQ(reader->imageCount, 1);
    EXPECT_EQ(reader->width, 640);
    EXPECT_EQ(reader->height, 480);
    EXPECT_EQ(reader->spare, 7);
    EXPECT_EQ(memcmp(reader->palette, file.colours.data(), 1024), 0);
    Decoded decoded;
    Read(reader, &decoded);
    ASSERT_NE(decoded.info, nullptr);
    EXPECT_EQ(decoded.info->x, -5);
    EXPECT_EQ(decoded.info->y, 300);
    EXPECT_EQ(decoded.info->keyIndex, -1);
    EXPECT_EQ(decoded.info->delay, 250);
    EXPECT_EQ(decoded.info->disposal, 2);
    FigClose(reader);
}

TEST(FigReader, FileWithoutImagesOpensAndGivesNoImage)
{
    std::vector<uint8_t> fig = fig_builder::Build(std::vector<figpack::FigImage>{});
    FigReader* reader = FigOpenMemory(fig.data(), fig.size());
    ASSERT_NE(reader, nullptr);
    EXPECT_NE(reader->paletteHandle, nullptr);
    HBITMAP bitmap = reinterpret_cast<HBITMAP>(1);
    FigImageInfo* info = reinterpret_cast<FigImageInfo*>(1);
    EXPECT_EQ(FigReadImage(reader, &bitmap, &info), kFigNoImages);
    EXPECT_EQ(bitmap, nullptr);
    EXPECT_EQ(info, nullptr);
    FigClose(reader);
}

TEST(FigReader, NullReaderIsReportedAndCloseAcceptsNull)
{
    HBITMAP bitmap = reinterpret_cast<HBITMAP>(1);
    FigImageInfo* info = reinterpret_cast<FigImageInfo*>(1);
    EXPECT_EQ(FigReadImage(nullptr, &bitmap, &info), kFigNoReader);
    EXPECT_EQ(bitmap, nullptr);
    EXPECT_EQ(info, nullptr);
    FigClose(nullptr);
    FigRewind(nullptr);
}

TEST(FigReader, DamagedHeadersDoNotOpen)
{
    const std::vector<uint8_t> good = fig_builder::Build({PatternImage(8, 8)});
    std::vector<uint8_t> badMagic = good;
    badMagic[3] = '2';
    std::vector<uint8_t> badPalette = good;
    // Bytes in the middle of the deflate data: the stream no longer inflates
    // (or its checksum fails).
    for (size_t i = fig_builder::PaletteBlockOffset() + 4; i < fig_builder::FirstRecordOffset(good) - 4; ++i)
        badPalette[i] ^= 0x5A;
    std::vector<uint8_t> paletteTooLong = good;
    paletteTooLong[17] = 0x7F; // palette size far past the end of the file
    std::vector<uint8_t> paletteSizeCut = good;
    paletteSizeCut[14] = static_cast<uint8_t>(paletteSizeCut[14] - 1); // the stream ends early

    const struct {
        const char* what;
        const std::vector<uint8_t>& bytes;
    } cases[] = {
        {"bad magic", badMagic},
        {"palette block that does not inflate", badPalette},
        {"palette size past the end", paletteTooLong},
        {"palette block cut by one byte", paletteSizeCut},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        GuardedBytes bytes(c.bytes);
        EXPECT_EQ(FigOpenMemory(bytes.Data(), bytes.Size()), nullptr);
    }
    EXPECT_EQ(FigOpenMemory(nullptr, 100), nullptr);
}

TEST(FigReader, RewindReadsTheFirstImageAgainWithTheSamePalette)
{
    std::vector<uint8_t> fig =
        fig_builder::Build({PatternImage(9, 4), fig_builder::MakeImage(3, 3, [](int, int) { return 40; })});
    FigReader* reader = FigOpenMemory(fig.data(), fig.size());
    ASSERT_NE(reader, nullptr);
    HPALETTE palette = reader->paletteHandle;
    {
        Decoded first, second;
        Read(reader, &first);
        Read(reader, &second);
        ASSERT_NE(second.bitmap, nullptr);
        EXPECT_EQ(GetBitmapWidth(second.bitmap), 3);
    }
    FigRewind(reader);
    EXPECT_EQ(reader->paletteHandle, palette);
    Decoded again;
    Read(reader, &again);
    ASSERT_EQ(again.result, kFigImageRead);
    ASSERT_NE(again.bitmap, nullptr);
    EXPECT_EQ(GetBitmapWidth(again.bitmap), 9);
    ExpectPatternPixels(again.bitmap, 9, 4);
    FigClose(reader);
}

TEST(FigReader, TruncatedFileNeverReadsPastItsEnd)
{
    const std::vector<uint8_t> whole =
        fig_builder::Build({PatternImage(21, 7), fig_builder::MakeImage(5, 5, [](int x, int) { return x; })});
    const size_t firstRecord = fig_builder::FirstRecordOffset(whole);
    for (size_t cut = 0; cut < whole.size(); ++cut) {
        SCOPED_TRACE(testing::Message() << "cut at " << cut << " of " << whole.size());
        GuardedBytes bytes(std::vector<uint8_t>(whole.begin(), whole.begin() + cut));
        FigReader* reader = FigOpenMemory(bytes.Data(), bytes.Size());
        if (cut < firstRecord) {
            EXPECT_EQ(reader, nullptr);
            continue;
        }
        ASSERT_NE(reader, nullptr);
        // Images that are whole decode; from the one cut short on, every read
        // comes back damaged with nothing handed out.
        int whole = 0;
        for (int i = 0; i < 3; ++i) {
            Decoded image;
            Read(reader, &image);
            if (image.result == kFigImageRead && whole == i) {
                EXPECT_NE(image.bitmap, nullptr);
                ++whole;
                continue;
            }
            EXPECT_EQ(image.result, kFigImageDamaged);
            EXPECT_EQ(image.bitmap, nullptr);
            EXPECT_EQ(image.info, nullptr);
        }
        EXPECT_LT(whole, 2);
        FigClose(reader);
    }
}

TEST(FigReader, RecordsThatDescribeNoPixelsAreDamaged)
{
    const struct {
        const char* what;
        int16_t width, height;
    } cases[] = {{"zero width", 0, 4}, {"negative width", -3, 4}, {"zero height", 4, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<uint8_t> fig = fig_builder::Build({PatternImage(4, 4)});
        size_t record = fig_builder::FirstRecordOffset(fig);
        memcpy(&fig[record], &c.width, 2);
        memcpy(&fig[record + 2], &c.height, 2);
        GuardedBytes bytes(fig);
        FigReader* reader = FigOpenMemory(bytes.Data(), bytes.Size());
        ASSERT_NE(reader, nullptr);
        Decoded image;
        Read(reader, &image);
        EXPECT_EQ(image.result, kFigImageDamaged);
        EXPECT_EQ(image.bitmap, nullptr);
        FigClose(reader);
    }
}

TEST(FigReader, BitCountOtherThanEightStillReadsOneBytePerPixel)
{
    std::vector<uint8_t> fig = fig_builder::Build({PatternImage(57, 29)});
    size_t record = fig_builder::FirstRecordOffset(fig);
    fig[record + 6] = 24;
    GuardedBytes bytes(fig);
    FigReader* reader = FigOpenMemory(bytes.Data(), bytes.Size());
    ASSERT_NE(reader, nullptr);
    Decoded image;
    Read(reader, &image);
    ASSERT_EQ(image.result, kFigImageRead);
    ASSERT_NE(image.bitmap, nullptr);
    EXPECT_EQ(image.info->header.biBitCount, 24);
    ExpectPatternPixels(image.bitmap, 57, 29);
    FigClose(reader);
}

TEST(FigReader, PixelBlockThatDoesNotInflateStillMakesTheImage)
{
    std::vector<uint8_t> fig = fig_builder::Build({PatternImage(16, 16)});
    size_t block = fig_builder::FirstRecordOffset(fig) + figpack::kRecordBytes;
    for (size_t i = block + 2; i < fig.size(); ++i)
        fig[i] = 0xFF;
    FigReader* reader = FigOpenMemory(fig.data(), fig.size());
    ASSERT_NE(reader, nullptr);
    Decoded image;
    Read(reader, &image);
    EXPECT_EQ(image.result, kFigImageRead);
    EXPECT_NE(image.bitmap, nullptr);
    ASSERT_NE(image.info, nullptr);
    EXPECT_EQ(image.info->header.biSizeImage, 16u * 16u);
    FigClose(reader);
}

TEST(FigReader, OpensResourcesByNumberAndNameAndRefusesOthers)
{
    std::vector<uint8_t> good = fig_builder::Build({PatternImage(57, 29)});
    std::vector<uint8_t> badMagic = good;
    badMagic[0] = 'X';
    FixtureModule fixtures;
    fixtures.Add("FIG", MAKEINTRESOURCEA(300), good);
    fixtures.Add("FIG", "CARDFACE", good);
    fixtures.Add("FIG", MAKEINTRESOURCEA(301), badMagic);
    fixtures.Add("FIG", MAKEINTRESOURCEA(302), std::vector<uint8_t>(good.begin(), good.begin() + 30));
    HMODULE module = fixtures.Load();
    ASSERT_NE(module, nullptr);

    const char* const names[] = {MAKEINTRESOURCEA(300), "CARDFACE"};
    for (const char* name : names) {
        FigReader* reader = FigOpenResource(module, name);
        ASSERT_NE(reader, nullptr);
        EXPECT_EQ(reader->sourceKind, kFigSourceResource);
        Decoded image;
        Read(reader, &image);
        ASSERT_NE(image.bitmap, nullptr);
        ExpectPatternPixels(image.bitmap, 57, 29);
        FigClose(reader);
    }
    EXPECT_EQ(FigOpenResource(module, MAKEINTRESOURCEA(301)), nullptr);
    EXPECT_EQ(FigOpenResource(module, MAKEINTRESOURCEA(302)), nullptr);
    EXPECT_EQ(FigOpenResource(module, MAKEINTRESOURCEA(399)), nullptr);
}

TEST(InflateBuffer, ReportsTheLengthOrFailsLeavingItUnchanged)
{
    uint8_t raw[300];
    for (int i = 0; i < 300; ++i)
        raw[i] = static_cast<uint8_t>(i * 3);
    uLongf packedSize = compressBound(sizeof(raw));
    std::vector<uint8_t> packed(packedSize);
    ASSERT_EQ(compress(packed.data(), &packedSize, raw, sizeof(raw)), Z_OK);

    uint8_t out[400];
    unsigned long room = sizeof(out);
    EXPECT_EQ(InflateBuffer(out, &room, packed.data(), packedSize), 0);
    EXPECT_EQ(room, 300ul);
    EXPECT_EQ(memcmp(out, raw, 300), 0);

    const struct {
        const char* what;
        unsigned long room;
        unsigned long sourceSize;
    } failing[] = {
        {"too little room", 299, packedSize},
        {"stream cut short", 400, packedSize - 3},
        {"no input", 400, 0},
    };
    for (const auto& c : failing) {
        SCOPED_TRACE(c.what);
        unsigned long length = c.room;
        EXPECT_NE(InflateBuffer(out, &length, packed.data(), c.sourceSize), 0);
        EXPECT_EQ(length, c.room);
    }
}

} // namespace
