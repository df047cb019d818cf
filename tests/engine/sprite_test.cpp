// Sprites: placement, strips and frame geometry, the shown rule and drawing.
#include "engine/sprite.h"

#include <gtest/gtest.h>

#include <vector>

#include "engine_fixture.h"
#include "graphics/frame_bitmaps.h"

using engine_fixture::FixtureColour;
using engine_fixture::ReadPixels;
using engine_fixture::TestScene;
using engine_fixture::TestSprite;

namespace {

enum { kKey = 253, kOther = 20, kBackground = 40 };

// A canvas filled with one fixture colour, with a memory DC holding it.
struct Canvas {
    Canvas(int width, int height)
    {
        HDC screen = GetDC(nullptr);
        bitmap = CreateCompatibleBitmap(screen, width, height);
        dc = CreateCompatibleDC(screen);
        ReleaseDC(nullptr, screen);
        old = SelectObject(dc, bitmap);
        uint32_t c = FixtureColour(kBackground);
        HBRUSH brush = CreateSolidBrush(RGB(c >> 16, (c >> 8) & 0xFF, c & 0xFF));
        RECT all = {0, 0, width, height};
        FillRect(dc, &all, brush);
        DeleteObject(brush);
    }
    ~Canvas()
    {
        SelectObject(dc, old);
        DeleteDC(dc);
        DeleteObject(bitmap);
    }
    std::vector<uint32_t> Pixels()
    {
        SelectObject(dc, old);
        std::vector<uint32_t> pixels = ReadPixels(bitmap);
        SelectObject(dc, bitmap);
        return pixels;
    }
    HBITMAP bitmap;
    HDC dc;
    HGDIOBJ old;
};

// Index of strip pixel (x, y): frame number in the high part, and a key
// pixel wherever x + y is a multiple of 5.
int StripIndex(int x, int y, int frameWidth, int frameHeight, int columns)
{
    if ((x + y) % 5 == 0)
        return kKey;
    int frame = (y / frameHeight) * columns + x / frameWidth;
    return 10 + frame * 3 + (x + 2 * y) % 3;
}

TEST(Sprite, NewSpriteIsNotShownUntilItHasAStrip)
{
    TestScene scene("sled");
    TestSprite* sprite = scene.Add(1, "s");
    EXPECT_EQ(sprite->m_shown, 1);
    EXPECT_EQ(sprite->m_image, nullptr);
    EXPECT_EQ(sprite->IsShown(), 0);
    RECT r;
    sprite->GetBounds(&r);
    EXPECT_TRUE(IsRectEmpty(&r));
}

TEST(Sprite, PlaceAndMoveSetTheScreenRectangle)
{
    TestScene scene("sled");
    TestSprite* sprite = scene.Add(1, "s");
    RECT r;
    sprite->Place(10, 20, 30, 40);
    sprite->GetBounds(&r);
    EXPECT_EQ(r.left, 10);
    EXPECT_EQ(r.top, 20);
    EXPECT_EQ(r.right, 40);
    EXPECT_EQ(r.bottom, 60);
    sprite->MoveTo(0, 0);
    sprite->GetBounds(&r);
    EXPECT_EQ(r.right, 30);
    EXPECT_EQ(r.bottom, 40);
    sprite->SaveBounds();
    sprite->MoveTo(5, 6);
    sprite->GetOldBounds(&r);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.right, 30);
}

TEST(Sprite, ShownRuleFollowsFrameStripAndFlag)
{
    TestScene scene("sled");
    TestSprite* sprite = scene.Add(1, "s");
    sprite->Place(0, 0, 4, 4);
    sprite->GiveStrip(300, 8, 4, [](int, int) { return kOther; });
    EXPECT_EQ(sprite->IsShown(), 1);
    sprite->SetShown(0);
    EXPECT_EQ(sprite->IsShown(), 0);
    sprite->SetShown(1);
    EXPECT_EQ(sprite->IsShown(), 1);
    sprite->m_frame = kNoFrame;
    EXPECT_EQ(sprite->IsShown(), 0);
    sprite->Show();
    EXPECT_EQ(sprite->IsShown(), 0);
}

TEST(Sprite, ColumnCountAndFrameSourceFollowTheStrip)
{
    struct {
        const char* name;
        int stripWidth, stripHeight, frameWidth, frameHeight;
        int firstFrame, frame;
        int columns;
        bool drawable;
        int srcX, srcY;
    } cases[] = {
        {"frame 3 of a two-column strip", 312, 362, 156, 181, 0, 3, 2, true, 156, 181},
        {"first frame 2 plus frame 1 is frame 3", 312, 362, 156, 181, 2, 1, 2, true, 156, 181},
        {"frame 0", 312, 362, 156, 181, 0, 0, 2, true, 0, 0},
        {"columns truncate", 50, 10, 20, 10, 0, 1, 2, true, 20, 0},
        {"a strip narrower than the frame still has a column", 10, 10, 20, 10, 0, 0, 1, true, 0, 0},
        {"a frame past the last row draws nothing", 312, 362, 156, 181, 0, 4, 2, false, 0, 0},
        {"no frame draws nothing", 312, 362, 156, 181, 0, kNoFrame, 2, false, 0, 0},
        {"a negative frame number draws nothing", 312, 362, 156, 181, -3, 1, 2, false, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TestScene scene("sled");
        TestSprite* sprite = scene.Add(1, "s");
        sprite->Place(0, 0, c.frameWidth, c.frameHeight);
        sprite->GiveStrip(301, c.stripWidth, c.stripHeight, [](int, int) { return kOther; });
        ASSERT_NE(sprite->m_image, nullptr);
        EXPECT_EQ(sprite->m_columns, c.columns);
        sprite->m_firstFrame = c.firstFrame;
        sprite->m_frame = c.frame;
        int srcX = -1, srcY = -1;
        EXPECT_EQ(sprite->FrameSource(&srcX, &srcY), c.drawable ? 1 : 0);
        if (c.drawable) {
            EXPECT_EQ(srcX, c.srcX);
            EXPECT_EQ(srcY, c.srcY);
        }
    }
}

TEST(Sprite, ZeroFrameWidthStillGivesAColumn)
{
    TestScene scene("sled");
    TestSprite* sprite = scene.Add(1, "s");
    sprite->GiveStrip(302, 10, 10, [](int, int) { return kOther; });
    EXPECT_EQ(sprite->m_columns, 1);
}

TEST(Sprite, FailedStripLeavesTheSpriteUnshownAndKeepsColumns)
{
    TestScene scene("sled");
    TestSprite* sprite = scene.Add(1, "s");
    sprite->Place(0, 0, 10, 10);
    sprite->GiveStrip(303, 30, 10, [](int, int) { return kOther; });
    EXPECT_EQ(sprite->m_columns, 3);
    // No FIG resource 9999 exists in the test program.
    EXPECT_EQ(sprite->LoadStrip(9999, 0, kImageKindFig), nullptr);
    EXPECT_EQ(sprite->IsShown(), 0);
    EXPECT_EQ(sprite->m_columns, 3);
}

// Draws frame 3 of a 3 x 2 strip of 12 x 9 frames into a canvas at (5, 4) and
// checks every canvas pixel against the strip and the transparency rule.
TEST(Sprite, DrawingPutsOneWholeFrameWithItsKeyColourTransparent)
{
    const int fw = 12, fh = 9, columns = 3;
    auto pick = [&](int x, int y) { return StripIndex(x, y, fw, fh, columns); };
    // The bottom-right pixel is forced to another colour for the second key corner.
    auto pickCorner = [&](int x, int y) { return x == fw * columns - 1 && y == fh * 2 - 1 ? kOther : pick(x, y); };
    struct {
        const char* name;
        int mode; // 0 Draw, 1 DrawKeyed(1), 2 DrawKeyed(2), 3 DrawOpaque
        bool hidden;
        int keyIndex; // -1: nothing transparent
        bool drawn;
    } cases[] = {
        {"Draw keys on the top-left pixel", 0, false, kKey, true},
        {"DrawKeyed with corner 1 keys on the bottom-right pixel", 1, false, kOther, true},
        {"DrawKeyed with corner 2 keys on the top-left pixel", 2, false, kKey, true},
        {"DrawOpaque copies every pixel", 3, false, -1, true},
        {"a hidden sprite draws nothing", 0, true, -1, false},
        {"a hidden sprite draws nothing opaquely either", 3, true, -1, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TestScene scene("sled");
        TestSprite* sprite = scene.Add(1, "s");
        sprite->Place(100, 100, fw, fh);
        sprite->GiveStrip(304, fw * columns, fh * 2, pickCorner);
        sprite->m_frame = 3;
        RECT src = {0, 0, fw, fh}, dst = {5, 4, 5 + fw, 4 + fh}, clip = {0, 0, 30, 20};
        sprite->SetDrawRects(&src, &dst);
        if (c.hidden)
            sprite->Hide();
        Canvas canvas(30, 20);
        switch (c.mode) {
        case 0: sprite->Draw(canvas.dc, &clip); break;
        case 1: sprite->DrawKeyed(canvas.dc, &clip, 1); break;
        case 2: sprite->DrawKeyed(canvas.dc, &clip, 2); break;
        default: sprite->DrawOpaque(canvas.dc, &clip); break;
        }
        std::vector<uint32_t> pixels = canvas.Pixels();
        int wrong = 0;
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 30; ++x) {
                uint32_t expected = FixtureColour(kBackground);
                bool inFrame = x >= 5 && x < 5 + fw && y >= 4 && y < 4 + fh;
                if (c.drawn && inFrame) {
                    int index = pickCorner(fw * 0 + (x - 5), fh * 1 + (y - 4)); // frame 3 = column 0, row 1
                    if (index != c.keyIndex)
                        expected = FixtureColour(index);
                }
                if (pixels[y * 30 + x] != expected && ++wrong < 5)
                    ADD_FAILURE() << "pixel " << x << "," << y << std::hex << " is " << pixels[y * 30 + x]
                                  << " not " << expected;
            }
        EXPECT_EQ(wrong, 0);
        // The strip itself is unchanged by the drawing.
        std::vector<uint32_t> strip = ReadPixels(sprite->m_image);
        for (int y = 0; y < fh * 2; ++y)
            for (int x = 0; x < fw * columns; ++x)
                ASSERT_EQ(strip[y * fw * columns + x], FixtureColour(pickCorner(x, y))) << x << "," << y;
    }
}

TEST(AnimSprite, RecordTableHoldsWhatWasSetAndIgnoresIndicesOutside)
{
    TestScene scene("sled");
    TestSprite* sprite = scene.Add(1, "s");
    ASSERT_EQ(sprite->AllocAnimRecords(2), 1);
    sprite->SetAnimRecord(0, 1, 2, 3, 4, 305);
    sprite->SetAnimRecord(1, -5, -6, 7, 8, 306);
    sprite->SetAnimRecord(2, 9, 9, 9, 9, 9);
    sprite->SetAnimRecord(-1, 9, 9, 9, 9, 9);
    EXPECT_EQ(sprite->m_records[0].imageId, 305);
    EXPECT_EQ(sprite->m_records[1].x, -5);
    EXPECT_EQ(sprite->m_records[1].height, 8);
    EXPECT_EQ(sprite->AllocAnimRecords(0), 0);
    EXPECT_EQ(sprite->m_records, nullptr);
    sprite->SetAnimRecord(0, 1, 1, 1, 1, 1);
}

} // namespace
