#include "card/card_animation.h"

#include <gtest/gtest.h>

#include "card_fixture.h"

using namespace card_fixture;

namespace {

DWORD g_now;
DWORD FakeClock()
{
    return g_now;
}

const RECT kPlacement = {10, 20, 18, 24}; // an 8 x 4 canvas shown at (10, 20)

// A player on the fixture bytes, playing from the fake clock at 5000.
struct Player {
    explicit Player(std::vector<uint8_t> fig) : bytes(std::move(fig))
    {
        g_now = 5000;
        animation.SetClock(FakeClock);
        opened = animation.Open(nullptr, bytes.data(), bytes.size(), &kPlacement);
    }
    // Moves the clock on and ticks once.
    void TickAt(DWORD now)
    {
        g_now = now;
        animation.Tick();
    }
    COLORREF Canvas(int x, int y) const { return PixelOf(animation.Canvas(), x, y); }

    std::vector<uint8_t> bytes;
    CCardAnimation animation;
    bool opened;
};

} // namespace

TEST(CardAnimation, ImagesFollowTheFileOrderAndDelaysAndRepeatForEver)
{
    Player p(MakeFig(-1, 8, 4,
                     {Solid(0, 0, 8, 4, kRed, 100), Solid(2, 1, 2, 2, kGreen, 20), Solid(5, 0, 1, 1, kBlue, 0)}));
    ASSERT_TRUE(p.opened);
    EXPECT_EQ(p.animation.Width(), 8);
    EXPECT_EQ(p.animation.Height(), 4);
    EXPECT_EQ(p.animation.FrameNumber(), 0);
    EXPECT_EQ(p.animation.FrameBitmap(), nullptr) << "nothing is shown before play";

    p.animation.SetPlayState(kPlayStatePlaying);
    EXPECT_EQ(p.animation.FrameNumber(), 1) << "play shows image 1 at once";
    EXPECT_EQ(p.animation.DueTime(), 6000u);

    struct Step {
        DWORD now;
        int frame;
        DWORD due;
    } steps[] = {
        {5999, 1, 6000}, // not yet due
        {6000, 2, 6200}, // 1 second for image 1, then 200 ms for image 2
        {6150, 2, 6200},
        {6250, 3, 6250}, // delay 0: due at once...
        {6300, 1, 7300}, // ...and replaced at the next tick, by image 1 again
        {7300, 2, 7500},
    };
    for (const Step& s : steps) {
        p.TickAt(s.now);
        EXPECT_EQ(p.animation.FrameNumber(), s.frame) << "at " << s.now;
        EXPECT_EQ(p.animation.DueTime(), s.due) << "at " << s.now;
    }
    RECT expected = {12, 21, 14, 23};
    EXPECT_TRUE(EqualRect(&p.animation.FrameRect(), &expected)) << "image 2's place in the window";
    EXPECT_EQ(p.Canvas(2, 1), FixtureColour(kGreen));
    EXPECT_EQ(p.Canvas(3, 2), FixtureColour(kGreen));
    EXPECT_EQ(p.Canvas(1, 1), FixtureColour(kRed)) << "image 2 is drawn over image 1";
    EXPECT_EQ(p.Canvas(4, 1), FixtureColour(kRed));
}

TEST(CardAnimation, EachImageIsDecodedOnceWhileItStaysInTheCache)
{
    Player p(MakeFig(0, 8, 4, {Solid(0, 0, 8, 4, kRed, 10), Solid(0, 0, 2, 2, kGreen, 10)}));
    ASSERT_TRUE(p.opened);
    p.animation.SetPlayState(kPlayStatePlaying);
    HBITMAP first = p.animation.FrameBitmap();
    ASSERT_NE(first, nullptr);
    p.TickAt(5100);
    HBITMAP second = p.animation.FrameBitmap();
    p.TickAt(5200);
    EXPECT_EQ(p.animation.FrameNumber(), 1);
    EXPECT_EQ(p.animation.FrameBitmap(), first) << "image 1 came from the cache";
    p.TickAt(5300);
    EXPECT_EQ(p.animation.FrameBitmap(), second);
    EXPECT_EQ(p.animation.CacheEntry(2).frameNumber, 0) << "no third entry was used";
    EXPECT_EQ(p.Canvas(7, 3), FixtureColour(kRed));
    EXPECT_EQ(p.Canvas(0, 0), FixtureColour(kGreen));
}

TEST(CardAnimation, BeyondTwentyImagesTheCacheEntriesAreReusedInTurn)
{
    // 23 images, image i a single pixel of its own colour at (i % 8, i / 8).
    std::vector<figpack::FigImage> images;
    for (int i = 0; i < 23; ++i)
        images.push_back(Solid(i % 8, i / 8, 1, 1, static_cast<uint8_t>(10 + i), 1));
    Player p(MakeFig(-1, 8, 4, images));
    ASSERT_TRUE(p.opened);
    p.animation.SetPlayState(kPlayStatePlaying);
    DWORD now = 5000;
    for (int frame = 2; frame <= 23; ++frame)
        p.TickAt(now += 10);
    EXPECT_EQ(p.animation.FrameNumber(), 23);
    int expectedFrames[kCardAnimationCacheSize];
    for (int i = 0; i < kCardAnimationCacheSize; ++i)
        expectedFrames[i] = i + 1;
    expectedFrames[0] = 21;
    expectedFrames[1] = 22;
    expectedFrames[2] = 23;
    for (int i = 0; i < kCardAnimationCacheSize; ++i)
        EXPECT_EQ(p.animation.CacheEntry(i).frameNumber, expectedFrames[i]) << "entry " << i;

    // The next pass reads the file from its start again, reusing entry 3 on.
    for (int frame = 1; frame <= 5; ++frame) {
        p.TickAt(now += 10);
        EXPECT_EQ(p.animation.FrameNumber(), frame);
        EXPECT_EQ(p.animation.CacheEntry(2 + frame).frameNumber, frame);
        int index = frame - 1;
        EXPECT_EQ(p.Canvas(index % 8, index / 8), FixtureColour(10 + index)) << "image " << frame;
    }
}

TEST(CardAnimation, LoopCountTwoPlaysThreeTimesThenHoldsTheLastImage)
{
    Player p(MakeFig(2, 8, 4, {Solid(0, 0, 8, 4, kRed, 10), Solid(0, 0, 8, 4, kGreen, 30)}));
    ASSERT_TRUE(p.opened);
    p.animation.SetPlayState(kPlayStatePlaying);
    std::vector<int> shown = {p.animation.FrameNumber()};
    DWORD now = 5000;
    for (int i = 0; i < 8; ++i) {
        now = p.animation.DueTime();
        p.TickAt(now);
        shown.push_back(p.animation.FrameNumber());
    }
    EXPECT_EQ(shown, (std::vector<int>{1, 2, 1, 2, 1, 2, 2, 2, 2}));
    EXPECT_EQ(p.animation.DueTime(), now + 300) << "the held image keeps its own delay";
    EXPECT_EQ(p.Canvas(0, 0), FixtureColour(kGreen));
}

TEST(CardAnimation, PauseKeepsTheRemainingTimeAndPlayContinuesWithIt)
{
    Player p(MakeFig(-1, 8, 4, {Solid(0, 0, 8, 4, kRed, 100), Solid(0, 0, 8, 4, kGreen, 100)}));
    ASSERT_TRUE(p.opened);
    p.animation.SetPlayState(kPlayStatePlaying);
    g_now = 5300;
    p.animation.SetPlayState(kPlayStatePaused);
    p.TickAt(9000);
    EXPECT_EQ(p.animation.FrameNumber(), 1) << "a paused player does not move on";
    g_now = 20000;
    p.animation.SetPlayState(kPlayStatePlaying);
    EXPECT_EQ(p.animation.FrameNumber(), 1);
    EXPECT_EQ(p.animation.DueTime(), 20700u);
    p.TickAt(20699);
    EXPECT_EQ(p.animation.FrameNumber(), 1);
    p.TickAt(20700);
    EXPECT_EQ(p.animation.FrameNumber(), 2);

    // Play again while playing changes nothing.
    p.animation.SetPlayState(kPlayStatePlaying);
    EXPECT_EQ(p.animation.FrameNumber(), 2);
    EXPECT_EQ(p.animation.DueTime(), 21700u);
}

TEST(CardAnimation, RestartShowsImageOneAndHoldsItUntilPlay)
{
    Player p(MakeFig(1, 8, 4, {Solid(0, 0, 8, 4, kRed, 100), Solid(0, 0, 8, 4, kGreen, 100)}));
    ASSERT_TRUE(p.opened);
    p.animation.SetPlayState(kPlayStatePlaying);
    p.TickAt(6000);
    p.TickAt(7000);
    p.TickAt(8000);
    ASSERT_EQ(p.animation.FrameNumber(), 2);
    p.TickAt(9000);
    ASSERT_EQ(p.animation.FrameNumber(), 2) << "the one repeat is used up";

    g_now = 9100;
    p.animation.SetPlayState(kPlayStateRestarted);
    EXPECT_EQ(p.animation.FrameNumber(), 1);
    EXPECT_EQ(p.Canvas(0, 0), FixtureColour(kRed));
    p.TickAt(50000);
    EXPECT_EQ(p.animation.FrameNumber(), 1) << "held until told to play";
    p.animation.SetPlayState(kPlayStatePlaying);
    EXPECT_EQ(p.animation.DueTime(), 51000u);
    p.TickAt(51000);
    p.TickAt(52000);
    p.TickAt(53000);
    EXPECT_EQ(p.animation.FrameNumber(), 2);
    p.TickAt(54000);
    EXPECT_EQ(p.animation.FrameNumber(), 2) << "the restart gave back one repeat, no more";
}

TEST(CardAnimation, KeyColourPixelsShowTheCanvasBeneath)
{
    // Image 2: a 4 x 2 image, left half magenta (its key), right half green.
    figpack::FigImage keyed = Solid(2, 1, 4, 2, kGreen, 10, kMagenta);
    keyed.pixels = {kMagenta, kMagenta, kGreen, kGreen, kMagenta, kMagenta, kGreen, kGreen};
    figpack::FigImage unkeyed = keyed;
    unkeyed.keyIndex = -1;
    struct Case {
        const char* name;
        figpack::FigImage image;
        COLORREF left;
    } cases[] = {
        {"keyed", keyed, FixtureColour(kRed)},
        {"no key", unkeyed, FixtureColour(kMagenta)},
    };
    for (const Case& c : cases) {
        Player p(MakeFig(-1, 8, 4, {Solid(0, 0, 8, 4, kRed, 10), c.image}));
        ASSERT_TRUE(p.opened);
        p.animation.SetPlayState(kPlayStatePlaying);
        p.TickAt(5100);
        EXPECT_EQ(p.Canvas(2, 1), c.left) << c.name;
        EXPECT_EQ(p.Canvas(3, 2), c.left) << c.name;
        EXPECT_EQ(p.Canvas(4, 1), FixtureColour(kGreen)) << c.name;
        EXPECT_EQ(p.Canvas(1, 1), FixtureColour(kRed)) << c.name;
    }
}

TEST(CardAnimation, DisposalCodesActOnThePreviousImageBeforeTheNextIsDrawn)
{
    // Image 1 red background; image 2 green at (1, 1) 2 x 2 with the code under
    // test; image 3 a blue pixel elsewhere, with white as its key or no key.
    struct Case {
        const char* name;
        int disposal;
        int thirdKey;
        COLORREF underImageTwo; // at (1, 1) once image 3 is shown
    } cases[] = {
        {"code 1 leaves it", 1, kWhite, FixtureColour(kGreen)},
        {"code 0 leaves it", 0, kWhite, FixtureColour(kGreen)},
        {"code 2 fills with the next key colour", 2, kWhite, FixtureColour(kWhite)},
        {"code 2 without a next key leaves it", 2, -1, FixtureColour(kGreen)},
        {"code 3 restores what was beneath", 3, -1, FixtureColour(kRed)},
    };
    for (const Case& c : cases) {
        Player p(MakeFig(-1, 8, 4,
                         {Solid(0, 0, 8, 4, kRed, 10), Solid(1, 1, 2, 2, kGreen, 10, -1, c.disposal),
                          Solid(6, 0, 1, 1, kBlue, 10, c.thirdKey)}));
        ASSERT_TRUE(p.opened);
        p.animation.SetPlayState(kPlayStatePlaying);
        p.TickAt(5100);
        EXPECT_EQ(p.Canvas(1, 1), FixtureColour(kGreen)) << c.name;
        p.TickAt(5200);
        EXPECT_EQ(p.Canvas(1, 1), c.underImageTwo) << c.name;
        EXPECT_EQ(p.Canvas(2, 2), c.underImageTwo) << c.name;
        EXPECT_EQ(p.Canvas(3, 1), FixtureColour(kRed)) << c.name << ": only the image's own area";
        EXPECT_EQ(p.Canvas(6, 0), FixtureColour(kBlue)) << c.name;
    }
}

TEST(CardAnimation, DrawCopiesTheCanvasToThePlacement)
{
    Player p(MakeFig(-1, 8, 4, {Solid(0, 0, 8, 4, kRed, 10)}));
    ASSERT_TRUE(p.opened);
    HDC screen = GetDC(nullptr);
    HBITMAP target = CreateCompatibleBitmap(screen, 40, 40);
    ReleaseDC(nullptr, screen);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, target);
    RECT all = {0, 0, 40, 40};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));

    p.animation.Draw(dc, &all);
    EXPECT_EQ(GetPixel(dc, 10, 20), FixtureColour(kWhite)) << "nothing is drawn before an image is shown";
    p.animation.SetPlayState(kPlayStatePlaying);
    RECT moved = {20, 30, 28, 34};
    p.animation.SetPlacement(&moved);
    p.animation.Draw(dc, &all);
    EXPECT_EQ(GetPixel(dc, 20, 30), FixtureColour(kRed));
    EXPECT_EQ(GetPixel(dc, 27, 33), FixtureColour(kRed));
    EXPECT_EQ(GetPixel(dc, 28, 33), FixtureColour(kWhite));
    EXPECT_EQ(GetPixel(dc, 10, 20), FixtureColour(kWhite));

    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(target);
}

TEST(CardAnimation, UnreadableFilesOpenNothingAndPlayNothing)
{
    std::vector<uint8_t> good = MakeFig(-1, 8, 4, {Solid(0, 0, 8, 4, kRed, 10)});
    std::vector<uint8_t> badMagic = good;
    badMagic[0] = 'X';
    std::vector<uint8_t> noCanvas = good;
    noCanvas[8] = noCanvas[9] = 0; // canvas width 0
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {"wrong magic", badMagic},
        {"cut in the header", std::vector<uint8_t>(good.begin(), good.begin() + 10)},
        {"no images", MakeFig(-1, 8, 4, {})},
        {"no canvas", noCanvas},
    };
    for (Case& c : cases) {
        Player p(c.bytes);
        EXPECT_FALSE(p.opened) << c.name;
        p.animation.SetPlayState(kPlayStatePlaying);
        p.TickAt(9000);
        EXPECT_EQ(p.animation.FrameBitmap(), nullptr) << c.name;
        EXPECT_EQ(p.animation.FrameNumber(), 0) << c.name;
    }
}

TEST(CardAnimation, AnImageCutShortShowsNothingAndThePlayerGoesOn)
{
    std::vector<uint8_t> bytes =
        MakeFig(-1, 8, 4, {Solid(0, 0, 8, 4, kRed, 10), Solid(0, 0, 8, 4, kGreen, 10)});
    bytes.resize(bytes.size() - 5); // image 2's pixel block runs past the end
    Player p(bytes);
    ASSERT_TRUE(p.opened);
    p.animation.SetPlayState(kPlayStatePlaying);
    p.TickAt(5100);
    EXPECT_EQ(p.animation.FrameNumber(), 2);
    EXPECT_EQ(p.animation.FrameBitmap(), nullptr);
    EXPECT_EQ(p.animation.DueTime(), 5100u) << "a missing image is not waited for";
    p.TickAt(5150);
    EXPECT_EQ(p.animation.FrameNumber(), 1);
    EXPECT_EQ(p.Canvas(0, 0), FixtureColour(kRed));
}

TEST(CardAnimation, TheCarriedAnimationShowsItsBackgroundThenThirteenPartsAndStartsAgain)
{
    HMODULE self = GetModuleHandleA(nullptr);
    HRSRC info = FindResourceA(self, MAKEINTRESOURCEA(1201), "FIG");
    ASSERT_NE(info, nullptr);
    const uint8_t* bytes = static_cast<const uint8_t*>(LockResource(LoadResource(self, info)));
    Player p(std::vector<uint8_t>(bytes, bytes + SizeofResource(self, info)));
    ASSERT_TRUE(p.opened);
    EXPECT_EQ(p.animation.Width(), 468);
    EXPECT_EQ(p.animation.Height(), 60);

    p.animation.SetPlayState(kPlayStatePlaying);
    HBITMAP background = p.animation.FrameBitmap();
    EXPECT_EQ(p.animation.DueTime() - g_now, 1000u);
    RECT full = {10, 20, 10 + 468, 20 + 60};
    EXPECT_TRUE(EqualRect(&p.animation.FrameRect(), &full));
    for (int frame = 2; frame <= 14; ++frame) {
        p.TickAt(p.animation.DueTime());
        ASSERT_EQ(p.animation.FrameNumber(), frame);
        DWORD delay = p.animation.DueTime() - g_now;
        EXPECT_GE(delay, 100u) << "image " << frame;
        EXPECT_LE(delay, 3000u) << "image " << frame;
        const RECT& part = p.animation.FrameRect();
        EXPECT_LT((part.right - part.left) * (part.bottom - part.top), 468 * 60) << "image " << frame;
    }
    p.TickAt(p.animation.DueTime());
    EXPECT_EQ(p.animation.FrameNumber(), 1);
    EXPECT_EQ(p.animation.FrameBitmap(), background) << "the second pass decodes nothing";
}
