#include "graphics/frame_bitmaps.h"

#include <gtest/gtest.h>

#include "graphics/gdi_helpers.h"
#include "graphics/test_palette.h"

namespace {

// FIG 1200 carries a colour table of its own: the test colours in reverse.
std::vector<uint8_t> ReversedColours()
{
    std::vector<uint8_t> colours = fig_builder::TestColours();
    std::vector<uint8_t> reversed(colours.size());
    for (int i = 0; i < 256; ++i)
        memcpy(&reversed[i * 4], &colours[(255 - i) * 4], 4);
    return reversed;
}

class FrameBitmaps : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_fixtures = new FixtureModule;
        figpack::FigFile card;
        card.colours = ReversedColours();
        card.images = {fig_builder::MakeImage(31, 17, [](int x, int y) { return x + y; })};
        s_fixtures->Add("FIG", MAKEINTRESOURCEA(1200), fig_builder::Build(card));
        s_fixtures->Add("FIG", MAKEINTRESOURCEA(300),
                        fig_builder::Build({fig_builder::MakeImage(57, 29, [](int x, int) { return 100 + x; })}));
        s_fixtures->Add("FIG", MAKEINTRESOURCEA(301), fig_builder::Build(std::vector<figpack::FigImage>{}));
        s_fixtures->Add("DIB", "IDB_PAL", TestPaletteBmp());
        s_fixtures->Load();
    }
    static void TearDownTestSuite()
    {
        delete s_fixtures;
        s_fixtures = nullptr;
    }
    void TearDown() override { UseTestPalette(); }
    static HMODULE Module() { return s_fixtures->Module(); }

    static std::vector<PALETTEENTRY> EntriesOf(HPALETTE palette)
    {
        std::vector<PALETTEENTRY> entries(256);
        entries.resize(GetPaletteEntries(palette, 0, 256, entries.data()));
        return entries;
    }
    static void ExpectEntries(HPALETTE palette, const std::vector<uint8_t>& colours)
    {
        std::vector<PALETTEENTRY> entries = EntriesOf(palette);
        ASSERT_EQ(entries.size(), 256u);
        for (int i = 0; i < 256; ++i)
            ASSERT_EQ(RGB(entries[i].peRed, entries[i].peGreen, entries[i].peBlue), ColourOfIndex(colours, i))
                << "entry " << i;
    }

    static FixtureModule* s_fixtures;
};

FixtureModule* FrameBitmaps::s_fixtures = nullptr;

TEST_F(FrameBitmaps, FigLoadBitmapGivesTheFirstImageOrNothing)
{
    ASSERT_NE(Module(), nullptr);
    HBITMAP bitmap = FigLoadBitmap(Module(), 300);
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(GetBitmapWidth(bitmap), 57);
    EXPECT_EQ(GetBitmapHeight(bitmap), 29);
    EXPECT_EQ(PixelOf(bitmap, 56, 28), ShownColourOfIndex(fig_builder::TestColours(), 156));
    DeleteObject(bitmap);
    EXPECT_EQ(FigLoadBitmap(Module(), 301), nullptr) << "a FIG without images";
    EXPECT_EQ(FigLoadBitmap(Module(), 302), nullptr) << "no such FIG";
}

TEST_F(FrameBitmaps, FigLoadPaletteHandsTheFilesPaletteToTheCaller)
{
    HPALETTE palette = FigLoadPalette(Module(), MAKEINTRESOURCEA(1200));
    ASSERT_NE(palette, nullptr);
    ExpectEntries(palette, ReversedColours());
    EXPECT_TRUE(DeleteObject(palette));
    EXPECT_EQ(FigLoadPalette(Module(), MAKEINTRESOURCEA(302)), nullptr);
}

TEST_F(FrameBitmaps, UseFigPaletteReplacesTheProgramPalette)
{
    FreePalette();
    InitPalette(Module(), TestPaletteWindow());
    HPALETTE old = ProgramPalette();
    ASSERT_NE(old, nullptr);
    UseFigPalette(MAKEINTRESOURCEA(1200));
    ASSERT_NE(ProgramPalette(), nullptr);
    EXPECT_EQ(GetObjectType(old), 0u) << "the old palette is deleted";
    ExpectEntries(ProgramPalette(), ReversedColours());

    UseFigPalette(MAKEINTRESOURCEA(302));
    EXPECT_EQ(ProgramPalette(), nullptr);
}

} // namespace
