#include "graphics/image_cache.h"

#include <gtest/gtest.h>

#include "graphics/fixture_module.h"
#include "graphics/gdi_helpers.h"
#include "support/fig_builder.h"
#include "graphics/bmp_file.h"
#include "graphics/frame_bitmaps.h"

namespace {

// FIG 300 to 304 are A to E, each of its own width so that a bitmap shows
// which one it is; DIB 300 is a BMP of another width.
enum { kA = 300, kB, kC, kD, kE, kMissing = 999 };

int WidthOf(int id)
{
    return 10 + (id - kA);
}

class ImageCacheTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_fixtures = new FixtureModule;
        for (int id = kA; id <= kE; ++id)
            s_fixtures->Add("FIG", MAKEINTRESOURCEA(id),
                            fig_builder::Build({fig_builder::MakeImage(WidthOf(id), 3, [](int, int) { return 12; })}));
        BmpSpec spec = {7, 2, 8, 0, 0, 256, 16};
        s_fixtures->Add("DIB", MAKEINTRESOURCEA(kA), MakeBmp(spec, fig_builder::TestColours(), [](uint32_t) { return 3; }));
        s_fixtures->Load();
    }
    static void TearDownTestSuite()
    {
        delete s_fixtures;
        s_fixtures = nullptr;
    }
    HMODULE Module() { return s_fixtures->Module(); }

    // A decode makes a fresh bitmap; a mark put on a cached bitmap survives
    // only as long as the bitmap is not decoded again.
    static void Mark(HBITMAP bitmap)
    {
        BitmapReader dc(bitmap);
        SetPixelV(dc.Dc(), 0, 0, RGB(255, 255, 255));
    }
    static bool Marked(HBITMAP bitmap) { return PixelOf(bitmap, 0, 0) == RGB(255, 255, 255); }
    static bool Alive(HBITMAP bitmap) { return GetObjectType(bitmap) == OBJ_BITMAP; }

    static void ExpectKeys(const CImageCache& cache, std::vector<int> keys)
    {
        ASSERT_EQ(cache.m_capacity, static_cast<int>(keys.size()));
        for (size_t i = 0; i < keys.size(); ++i)
            EXPECT_EQ(cache.m_entries[i].key, keys[i]) << "entry " << i;
    }

    static FixtureModule* s_fixtures;
};

FixtureModule* ImageCacheTest::s_fixtures = nullptr;

TEST_F(ImageCacheTest, SecondGetReturnsTheSameBitmapWithoutDecoding)
{
    ASSERT_NE(Module(), nullptr);
    CImageCache cache(Module(), 4);
    HBITMAP first = cache.Get(kA, 0, kImageKindFig);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(GetBitmapWidth(first), WidthOf(kA));
    Mark(first);
    HBITMAP second = cache.Get(kA, 0, kImageKindFig);
    EXPECT_EQ(second, first);
    EXPECT_TRUE(Marked(second));
    ExpectKeys(cache, {kA, 0, 0, 0});
}

TEST_F(ImageCacheTest, FifthImageEvictsTheLeastRecentlyUsedAndAHitOnlyMovesToTheFront)
{
    CImageCache cache(Module(), 4);
    HBITMAP bitmaps[5];
    for (int id = kA; id <= kE; ++id) {
        bitmaps[id - kA] = cache.Get(id, 0, kImageKindFig);
        ASSERT_NE(bitmaps[id - kA], nullptr);
    }
    EXPECT_FALSE(Alive(bitmaps[0])) << "the evicted bitmap is deleted";
    ExpectKeys(cache, {kE, kD, kC, kB});
    for (int i = 1; i < 5; ++i) {
        EXPECT_TRUE(Alive(bitmaps[i]));
        Mark(bitmaps[i]);
    }

    EXPECT_EQ(cache.Get(kC, 0, kImageKindFig), bitmaps[kC - kA]);
    ExpectKeys(cache, {kC, kE, kD, kB});
    for (int i = 1; i < 5; ++i)
        EXPECT_TRUE(Marked(bitmaps[i])) << "nothing decoded again";
}

TEST_F(ImageCacheTest, MissingResourceTakesTheFrontWithNoImageAndStillEvicts)
{
    CImageCache cache(Module(), 4);
    HBITMAP a = cache.Get(kA, 0, kImageKindFig);
    for (int id = kB; id <= kD; ++id)
        cache.Get(id, 0, kImageKindFig);
    EXPECT_EQ(cache.Get(kMissing, 0, kImageKindFig), nullptr);
    ExpectKeys(cache, {kMissing, kD, kC, kB});
    EXPECT_EQ(cache.m_entries[0].image, nullptr);
    EXPECT_FALSE(Alive(a));

    // The null entry is tried again, and a found key with no image is a miss.
    EXPECT_EQ(cache.Get(kMissing, 0, kImageKindFig), nullptr);
    int index = -1;
    EXPECT_EQ(cache.Find(kMissing, &index), nullptr);
    EXPECT_EQ(index, 0);
}

TEST_F(ImageCacheTest, FindOfAnAbsentKeyOrTheEmptyKeyGivesNothing)
{
    CImageCache cache(Module(), 4);
    HBITMAP b = cache.Get(kB, 0, kImageKindFig);
    int index = -1;
    EXPECT_EQ(cache.Find(0, &index), nullptr);
    EXPECT_EQ(index, 1);
    index = -1;
    EXPECT_EQ(cache.Find(kE, &index), nullptr);
    EXPECT_EQ(index, 0);
    EXPECT_EQ(cache.Find(kB, &index), b);
    EXPECT_EQ(index, 0);
}

TEST_F(ImageCacheTest, FlushDeletesEveryBitmapAndEmptiesTheEntries)
{
    CImageCache cache(Module(), 3);
    HBITMAP bitmaps[3];
    for (int i = 0; i < 3; ++i)
        bitmaps[i] = cache.Get(kA + i, 0, kImageKindFig);
    cache.Flush();
    for (HBITMAP bitmap : bitmaps)
        EXPECT_FALSE(Alive(bitmap));
    ExpectKeys(cache, {0, 0, 0});
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(cache.m_entries[i].image, nullptr);
    cache.Flush();
    // Filled again after a flush, the cache works as new.
    EXPECT_EQ(GetBitmapWidth(cache.Get(kE, 0, kImageKindFig)), WidthOf(kE));
}

TEST_F(ImageCacheTest, FullIdIsTheKeyAndItsLowBitsNameTheResource)
{
    CImageCache cache(Module(), 4);
    HBITMAP plain = cache.Get(kB, 0, kImageKindFig);
    HBITMAP high = cache.Get(0x70000 | kB, 0, kImageKindFig);
    ASSERT_NE(high, nullptr);
    EXPECT_NE(high, plain);
    EXPECT_EQ(GetBitmapWidth(high), WidthOf(kB));
    ExpectKeys(cache, {0x70000 | kB, kB, 0, 0});
}

TEST_F(ImageCacheTest, OtherKindsLoadDibResources)
{
    CImageCache cache(Module(), 4);
    HBITMAP dib = cache.Get(kA, 0, 1);
    ASSERT_NE(dib, nullptr);
    EXPECT_EQ(GetBitmapWidth(dib), 7);
    EXPECT_EQ(GetBitmapHeight(dib), 2);
    EXPECT_EQ(PixelOf(dib, 6, 1), ShownColourOfIndex(fig_builder::TestColours(), 3));
}

TEST_F(ImageCacheTest, ResizeFlushesAndACacheWithoutEntriesHandsOutNothing)
{
    CImageCache cache(Module(), 2);
    HBITMAP a = cache.Get(kA, 0, kImageKindFig);
    cache.Resize(0);
    EXPECT_FALSE(Alive(a));
    EXPECT_EQ(cache.m_capacity, 0);
    EXPECT_EQ(cache.Get(kA, 0, kImageKindFig), nullptr);
    cache.Resize(5);
    ExpectKeys(cache, {0, 0, 0, 0, 0});
    EXPECT_NE(cache.Get(kA, 0, kImageKindFig), nullptr);
}

} // namespace
