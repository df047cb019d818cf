// Checks that mean something only on a 256-colour (palette) display; on
// other displays they are skipped. The end-to-end scenario
// palette_display_test.py runs them on an 8-bit display.
#include <gtest/gtest.h>

#include "graphics/blit.h"
#include "graphics/fig_reader.h"
#include "graphics/frame_bitmaps.h"
#include "graphics/gdi_helpers.h"
#include "graphics/test_palette.h"

namespace {

class PaletteDisplay : public testing::Test {
protected:
    void SetUp() override
    {
        if (!IsPaletteDisplay())
            GTEST_SKIP() << "not a palette display";
        m_window = CreateWindowExA(WS_EX_TOPMOST, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 64, 64, nullptr,
                                   nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(m_window, nullptr);
        FreePalette();
        InitPalette(TestPaletteModule(), m_window);
    }
    void TearDown() override
    {
        if (m_window != nullptr)
            DestroyWindow(m_window);
        UseTestPalette();
    }

    static std::vector<PALETTEENTRY> SystemPalette()
    {
        std::vector<PALETTEENTRY> entries(256);
        HDC screen = GetDC(nullptr);
        entries.resize(GetSystemPaletteEntries(screen, 0, 256, entries.data()));
        ReleaseDC(nullptr, screen);
        return entries;
    }
    // The colours the artwork may use freely: all but the twenty the system keeps.
    static void ExpectSystemPaletteHolds(const std::vector<uint8_t>& colours)
    {
        std::vector<PALETTEENTRY> system = SystemPalette();
        ASSERT_EQ(system.size(), 256u);
        for (int i = 10; i < 246; ++i)
            ASSERT_EQ(RGB(system[i].peRed, system[i].peGreen, system[i].peBlue), ColourOfIndex(colours, i))
                << "system palette entry " << i;
    }

    HWND m_window = nullptr;
};

TEST_F(PaletteDisplay, TheDisplayIsAPaletteDevice)
{
    HDC screen = GetDC(nullptr);
    EXPECT_EQ(GetDeviceCaps(screen, BITSPIXEL), 8);
    EXPECT_NE(GetDeviceCaps(screen, RASTERCAPS) & RC_PALETTE, 0);
    EXPECT_EQ(GetDeviceCaps(screen, SIZEPALETTE), 256);
    ReleaseDC(nullptr, screen);
}

TEST_F(PaletteDisplay, InitPaletteRealisesTheProgramPaletteIntoTheSystemPalette)
{
    ExpectSystemPaletteHolds(fig_builder::TestColours());
}

TEST_F(PaletteDisplay, PaletteMessageTakesTheSystemPaletteBack)
{
    // Another window realises a palette of its own in the foreground.
    std::vector<uint8_t> reversed(1024);
    const std::vector<uint8_t> colours = fig_builder::TestColours();
    for (int i = 0; i < 256; ++i)
        memcpy(&reversed[i * 4], &colours[(255 - i) * 4], 4);
    struct {
        WORD version, count;
        PALETTEENTRY entries[256];
    } logical = {0x300, 256, {}};
    for (int i = 0; i < 256; ++i)
        logical.entries[i] = {reversed[i * 4 + 2], reversed[i * 4 + 1], reversed[i * 4], 0};
    HPALETTE other = CreatePalette(reinterpret_cast<LOGPALETTE*>(&logical));
    HWND otherWindow = CreateWindowExA(WS_EX_TOPMOST, "STATIC", "", WS_POPUP | WS_VISIBLE, 100, 0, 16, 16, nullptr,
                                       nullptr, GetModuleHandleA(nullptr), nullptr);
    HDC dc = GetDC(otherWindow);
    HPALETTE old = SelectPalette(dc, other, FALSE);
    RealizePalette(dc);
    SelectPalette(dc, old, FALSE);
    ReleaseDC(otherWindow, dc);
    ExpectSystemPaletteHolds(reversed);

    // The window asked to realise is the one about to become active.
    SetForegroundWindow(m_window);
    SetActiveWindow(m_window);
    ValidateRect(m_window, nullptr);
    const int count = RealizeForPaletteMessage(m_window);
    ExpectSystemPaletteHolds(colours);
    // The window repaints exactly when entries changed.
    RECT update;
    EXPECT_EQ(GetUpdateRect(m_window, &update, FALSE) != FALSE, count > 0) << count << " entries realised";

    DestroyWindow(otherWindow);
    DeleteObject(other);
}

TEST_F(PaletteDisplay, FigBitmapDrawnToAWindowShowsEachIndexAsTheDisplayMapsIt)
{
    const std::vector<uint8_t> colours = fig_builder::TestColours();
    std::vector<uint8_t> fig = fig_builder::Build({fig_builder::MakeImage(64, 4, [](int x, int y) {
        return (x + 64 * y) % 256;
    })});
    FigReader* reader = FigOpenMemory(fig.data(), fig.size());
    ASSERT_NE(reader, nullptr);
    HBITMAP bitmap = nullptr;
    FigImageInfo* info = nullptr;
    FigReadImage(reader, &bitmap, &info);
    free(info);
    FigClose(reader);
    ASSERT_NE(bitmap, nullptr);

    HDC dc = GetDC(m_window);
    BlitBitmap(dc, bitmap, 0, 0);
    SelectMainPalette(dc);
    for (int index = 0; index < 256; ++index)
        ASSERT_EQ(GetPixel(dc, index % 64, index / 64) & 0xFFFFFF, DisplayColour(ColourOfIndex(colours, index)))
            << "index " << index;
    RestorePalette(dc);
    ReleaseDC(m_window, dc);
    DeleteObject(bitmap);
}

} // namespace
