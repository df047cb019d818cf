#include "graphics/blit.h"

#include <gtest/gtest.h>

#include "graphics/frame_bitmaps.h"
#include "graphics/gdi_helpers.h"
#include "graphics/palette.h"
#include "support/fig_builder.h"

namespace {

// Colours the tests draw with: palette entries, so that they come out
// exactly on a 256-colour display too.
COLORREF Colour(int index)
{
    static const std::vector<uint8_t> colours = fig_builder::TestColours();
    return ColourOfIndex(colours, index);
}

const COLORREF kMagenta = RGB(255, 0, 255);

// A memory DC holding a screen-compatible bitmap: a destination to draw on.
class Canvas {
public:
    template <typename Fill>
    Canvas(int width, int height, Fill fill)
        : m_bitmap(MakeScreenBitmap(width, height, fill)), m_dc(CreateCompatibleDC(nullptr)),
          m_old(SelectObject(m_dc, m_bitmap))
    {
    }
    ~Canvas()
    {
        SelectObject(m_dc, m_old);
        DeleteDC(m_dc);
        DeleteObject(m_bitmap);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
    HDC Dc() const { return m_dc; }
    COLORREF At(int x, int y) const { return GetPixel(m_dc, x, y) & 0xFFFFFF; }

private:
    HBITMAP m_bitmap;
    HDC m_dc;
    HGDIOBJ m_old;
};

COLORREF Background(int x, int y)
{
    return Colour(100 + (x + 3 * y) % 50);
}

// A strip of two 6 x 5 frames side by side. Frame 0 is solid; frame 1 has
// key-coloured holes on a checkerboard. The strip's top-left pixel is
// magenta and its bottom-right pixel is the other key given.
struct StripCase {
    const char* what;
    int keyCorner;
    COLORREF key;          // what the drawing should treat as transparent
    COLORREF bottomRight;  // the strip's bottom-right pixel
    int srcX;
    bool frameAllKey;
    bool frameNoKey;
};

COLORREF StripPixel(const StripCase& c, int x, int y)
{
    if (x == 0 && y == 0)
        return kMagenta;
    if (x == 11 && y == 4)
        return c.bottomRight;
    if (x < 6)
        return Colour(20 + x + y);
    if (c.frameAllKey)
        return c.key;
    if (c.frameNoKey)
        return Colour(60 + x);
    return (x + y) % 2 ? c.key : Colour(40 + x * 5 + y);
}

TEST(BlitKeyed, KeyPixelsKeepTheDestinationAndTheStripIsUnchanged)
{
    const COLORREF green = Colour(250);
    const StripCase cases[] = {
        {"top-left key, holes", 0, kMagenta, kMagenta, 6, false, false},
        {"keyCorner 2 keys on the top-left", 2, kMagenta, green, 6, false, false},
        {"keyCorner 1 keys on the bottom-right", 1, green, green, 6, false, false},
        {"frame with no key pixel is opaque", 0, kMagenta, kMagenta, 6, false, true},
        {"frame only of key colour changes nothing", 0, kMagenta, kMagenta, 6, true, false},
    };
    for (const StripCase& c : cases) {
        SCOPED_TRACE(c.what);
        HBITMAP strip = MakeScreenBitmap(12, 5, [&](int x, int y) { return StripPixel(c, x, y); });
        const std::vector<COLORREF> stripBefore = AllPixels(strip);
        Canvas dest(20, 16, Background);
        // Frame 1 but its last column, so the bottom-right key pixel is not drawn.
        RECT rect = {3, 4, 3 + 5, 4 + 5};
        BlitKeyed(dest.Dc(), &rect, strip, c.srcX, 0, c.keyCorner);

        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 20; ++x) {
                COLORREF expected = Background(x, y);
                if (x >= rect.left && x < rect.right && y >= rect.top && y < rect.bottom) {
                    COLORREF source = StripPixel(c, c.srcX + x - rect.left, y - rect.top);
                    if (source != c.key)
                        expected = source;
                }
                ASSERT_EQ(dest.At(x, y), expected) << "at " << x << "," << y;
            }
        }
        EXPECT_EQ(AllPixels(strip), stripBefore);
        DeleteObject(strip);
    }
}

TEST(BlitKeyed, ShortFormKeysOnTheTopLeftPixel)
{
    StripCase c = {"short form", 0, kMagenta, Colour(250), 0, false, false};
    HBITMAP strip = MakeScreenBitmap(12, 5, [&](int x, int y) { return StripPixel(c, x, y); });
    Canvas dest(12, 5, Background);
    RECT rect = {0, 0, 12, 5};
    BlitKeyed(dest.Dc(), &rect, strip, 0, 0);
    EXPECT_EQ(dest.At(0, 0), Background(0, 0));
    EXPECT_EQ(dest.At(11, 4), Colour(250));
    EXPECT_EQ(dest.At(7, 1), Colour(40 + 7 * 5 + 1));
    EXPECT_EQ(dest.At(6, 1), Background(6, 1));
    DeleteObject(strip);
}

TEST(BlitColourKeyed, KeyPixelsKeepTheDestinationAndThePaletteStaysSelected)
{
    const COLORREF key = Colour(77);
    auto source = [&](int x, int y) { return (x * y) % 3 == 0 ? key : Colour(130 + x + y); };
    HBITMAP src = MakeScreenBitmap(10, 8, source);
    HBITMAP mask = CreateBitmap(10, 8, 1, 1, nullptr);
    HDC screen = GetDC(nullptr);
    HBITMAP work = CreateCompatibleBitmap(screen, 10, 8);
    ReleaseDC(nullptr, screen);
    Canvas dest(16, 12, Background);
    RECT srcRect = {2, 1, 9, 7};
    BlitColourKeyed(dest.Dc(), src, mask, work, 5, 4, &srcRect, key);

    for (int y = 0; y < 12; ++y) {
        for (int x = 0; x < 16; ++x) {
            COLORREF expected = Background(x, y);
            int sx = x - 5 + srcRect.left;
            int sy = y - 4 + srcRect.top;
            if (x >= 5 && x < 5 + 7 && y >= 4 && y < 4 + 6 && source(sx, sy) != key)
                expected = source(sx, sy);
            ASSERT_EQ(dest.At(x, y), expected) << "at " << x << "," << y;
        }
    }
    EXPECT_EQ(GetCurrentObject(dest.Dc(), OBJ_PAL), ProgramPalette());
    RestorePalette(dest.Dc());
    DeleteObject(work);
    DeleteObject(mask);
    DeleteObject(src);
}

COLORREF Column(int x, int y)
{
    return Colour(10 + (x + 7 * y) % 230);
}

TEST(GrabToBitmapClipped, NegativeCoordinatesAreClippedAway)
{
    const struct {
        const char* what;
        int x, y, width, height, srcX, srcY;
        // what lands where: bitmap columns/rows [toX, toX + columns) from source [fromX ...)
        int toX, toY, columns, rows, fromX, fromY;
    } cases[] = {
        {"negative x", -10, 0, 50, 4, 100, 2, 0, 0, 40, 4, 110, 2},
        {"negative source x", 0, 0, 50, 4, -5, 2, 5, 0, 45, 4, 0, 2},
        {"negative y", 3, -2, 5, 6, 20, 10, 3, 0, 5, 4, 20, 12},
        {"negative source y", 3, 1, 5, 6, 20, -4, 3, 5, 5, 2, 20, 0},
    };
    Canvas source(200, 20, Column);
    const COLORREF blank = Colour(255);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        HBITMAP bitmap = MakeScreenBitmap(60, 8, [&](int, int) { return blank; });
        GrabToBitmapClipped(source.Dc(), bitmap, c.x, c.y, c.width, c.height, c.srcX, c.srcY);
        BitmapReader pixels(bitmap);
        for (int y = 0; y < 8; ++y) {
            for (int x = 0; x < 60; ++x) {
                bool copied = x >= c.toX && x < c.toX + c.columns && y >= c.toY && y < c.toY + c.rows;
                COLORREF expected = copied ? Column(c.fromX + x - c.toX, c.fromY + y - c.toY) : blank;
                ASSERT_EQ(pixels.At(x, y), expected) << "at " << x << "," << y;
            }
        }
    }
}

TEST(OpaqueCopies, EachCopiesItsAreaAndNothingElse)
{
    HBITMAP picture = MakeScreenBitmap(9, 7, Column);
    const COLORREF blank = Colour(255);

    {
        Canvas dest(20, 12, [&](int, int) { return blank; });
        BlitBitmap(dest.Dc(), picture, 4, 3);
        EXPECT_EQ(dest.At(4, 3), Column(0, 0));
        EXPECT_EQ(dest.At(12, 9), Column(8, 6));
        EXPECT_EQ(dest.At(13, 9), blank);
        EXPECT_EQ(dest.At(3, 3), blank);
    }
    {
        Canvas dest(20, 12, [&](int, int) { return blank; });
        BlitBitmapPart(dest.Dc(), picture, 1, 2, 3, 2, 5, 4);
        EXPECT_EQ(dest.At(1, 2), Column(5, 4));
        EXPECT_EQ(dest.At(3, 3), Column(7, 5));
        EXPECT_EQ(dest.At(4, 3), blank);
        EXPECT_EQ(dest.At(1, 4), blank);
    }
    {
        Canvas source(30, 20, Column);
        HBITMAP grabbed = MakeScreenBitmap(6, 4, [&](int, int) { return blank; });
        GrabToBitmap(source.Dc(), grabbed, 11, 13);
        EXPECT_EQ(AllPixels(grabbed).front(), Column(11, 13));
        EXPECT_EQ(AllPixels(grabbed).back(), Column(16, 16));
        DeleteObject(grabbed);
    }
    {
        HBITMAP target = MakeScreenBitmap(10, 10, [&](int, int) { return blank; });
        CopyBitmapPart(target, 2, 3, 4, 2, picture, 1, 1);
        BitmapReader pixels(target);
        EXPECT_EQ(pixels.At(2, 3), Column(1, 1));
        EXPECT_EQ(pixels.At(5, 4), Column(4, 2));
        EXPECT_EQ(pixels.At(6, 4), blank);
        EXPECT_EQ(pixels.At(2, 5), blank);
    }
    DeleteObject(picture);
}

} // namespace
