#include "graphics/text_box.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "graphics/gdi_helpers.h"

namespace {

HFONT ArialAt(int points)
{
    HDC screen = GetDC(nullptr);
    LOGFONTA font = {};
    font.lfHeight = -MulDiv(points, GetDeviceCaps(screen, LOGPIXELSY), 72);
    ReleaseDC(nullptr, screen);
    strcpy(font.lfFaceName, "Arial");
    return CreateFontIndirectA(&font);
}

int FontHeightOf(HFONT font)
{
    LOGFONTA info = {};
    GetObjectA(font, sizeof(info), &info);
    return info.lfHeight;
}

// A white memory bitmap to draw text on, and its font measurements.
class Page {
public:
    Page(int width, int height, HFONT font)
        : m_bitmap(MakeScreenBitmap(width, height, [](int, int) { return RGB(255, 255, 255); })),
          m_dc(CreateCompatibleDC(nullptr)), m_old(SelectObject(m_dc, m_bitmap)), m_font(font)
    {
    }
    ~Page()
    {
        SelectObject(m_dc, m_old);
        DeleteDC(m_dc);
        DeleteObject(m_bitmap);
    }
    Page(const Page&) = delete;
    Page& operator=(const Page&) = delete;
    HDC Dc() const { return m_dc; }
    HBITMAP Bitmap() const { return m_bitmap; }

    SIZE Measure(const std::string& text) const
    {
        HGDIOBJ old = SelectObject(m_dc, m_font);
        SIZE size = {};
        GetTextExtentPoint32A(m_dc, text.c_str(), static_cast<int>(text.size()), &size);
        SelectObject(m_dc, old);
        return size;
    }
    // Draws lines one below the other from (left, top), as the layout should.
    void DrawLines(const std::vector<std::string>& lines, int left, int top, COLORREF colour)
    {
        HGDIOBJ old = SelectObject(m_dc, m_font);
        SetBkMode(m_dc, TRANSPARENT);
        SetTextColor(m_dc, colour);
        const int cy = Measure("Ag").cy;
        for (size_t i = 0; i < lines.size(); ++i)
            if (!lines[i].empty())
                TextOutA(m_dc, left, top + static_cast<int>(i) * cy, lines[i].c_str(),
                         static_cast<int>(lines[i].size()));
        SelectObject(m_dc, old);
    }

private:
    HBITMAP m_bitmap;
    HDC m_dc;
    HGDIOBJ m_old;
    HFONT m_font;
};

struct LayoutCase {
    const char* what;
    const char* text;
    const char* widthOf;  // the box is exactly as wide as this text
    int extraWidth;       // ... plus this many pixels
    int lineCount;        // the box holds this many lines
    int breakWords;
    std::vector<std::string> lines; // where each line should appear; "" for an empty line
    int result;
};

TEST(DrawWrapped, LaysLinesOutLeftAlignedOneLineHeightApart)
{
    const LayoutCase cases[] = {
        {"one line that fits", "Merry days", "Merry days", 0, 1, 0, {"Merry days"}, 1},
        {"break at the last blank that fits", "snow falls softly", "snow falls", 2, 3, 0,
         {"snow falls", "softly"}, 1},
        {"carriage return and line feed", "First\r\nSecond", "First Second", 40, 3, 0, {"First", "Second"}, 1},
        {"lone carriage return", "First\rSecond", "First Second", 40, 3, 0, {"First", "Second"}, 1},
        {"two line ends leave an empty line", "Above\r\n\r\nBelow", "Above Below", 40, 3, 0,
         {"Above", "", "Below"}, 1},
        {"blanks at a break are dropped", "sled   ride", "sled", 1, 3, 0, {"sled", "ride"}, 1},
        {"blanks inside a line stay", "a  b cc", "a  b", 1, 3, 0, {"a  b", "cc"}, 1},
        {"a tab is a blank", "snow\tfalls softly", "snow falls", 2, 3, 0, {"snow falls", "softly"}, 1},
        {"a word wider than the box does not fit", "Festivities", "Festiv", 0, 3, 0, {}, 0},
        {"a forced break splits after the longest prefix", "Festivities", "Festiv", 0, 3, 1,
         {"Festiv", "ities"}, 1},
        {"lines that fit are drawn, the rest is not", "one two three", "three", 1, 2, 0, {"one", "two"}, 0},
        {"a paragraph that does not fit ends the text", "one two three\r\nfour", "three", 1, 3, 0,
         {"one", "two", "three"}, 0},
        {"a box narrower than any character stops with success", "Wide", "", 0, 3, 1, {}, 1},
    };
    HFONT font = ArialAt(12);
    for (const LayoutCase& c : cases) {
        SCOPED_TRACE(c.what);
        Page actual(300, 120, font);
        Page expected(300, 120, font);
        const int cy = actual.Measure("Ag").cy;
        const int left = 7, top = 5;
        RECT box = {left, top, left + actual.Measure(c.widthOf).cx + c.extraWidth, top + c.lineCount * cy};
        if (*c.widthOf == '\0')
            box.right = left + 1;

        CTextBox text;
        text.m_font = ArialAt(12);
        text.m_breakWords = c.breakWords;
        EXPECT_EQ(text.DrawWrapped(c.text, 0x02000000, actual.Dc(), &box, 1), c.result);
        expected.DrawLines(c.lines, left, top, 0x02000000);
        EXPECT_EQ(AllPixels(actual.Bitmap()), AllPixels(expected.Bitmap()));

        // The same layout without drawing gives the same answer.
        EXPECT_EQ(text.DrawWrapped(c.text, 0x02000000, expected.Dc(), &box, 0), c.result);
    }
    DeleteObject(font);
}

TEST(DrawWrapped, WithoutDrawingNothingChangesOnTheDc)
{
    HFONT font = ArialAt(12);
    Page page(200, 80, font);
    const std::vector<COLORREF> before = AllPixels(page.Bitmap());
    HGDIOBJ fontBefore = GetCurrentObject(page.Dc(), OBJ_FONT);
    SetTextColor(page.Dc(), RGB(10, 20, 30));
    SetBkMode(page.Dc(), OPAQUE);

    CTextBox text;
    text.m_font = ArialAt(12);
    RECT box = {0, 0, 200, 120};
    EXPECT_EQ(text.DrawWrapped("Greetings from the hill\r\nand a happy new year", RGB(0, 0, 0), page.Dc(), &box, 0),
              1);
    EXPECT_EQ(AllPixels(page.Bitmap()), before);
    EXPECT_EQ(GetCurrentObject(page.Dc(), OBJ_FONT), fontBefore);
    EXPECT_EQ(GetTextColor(page.Dc()), RGB(10, 20, 30));
    EXPECT_EQ(GetBkMode(page.Dc()), OPAQUE);

    EXPECT_EQ(text.DrawWrapped(nullptr, 0, page.Dc(), &box, 1), 0);
    EXPECT_EQ(text.DrawWrapped("", 0, page.Dc(), &box, 1), 0);
    DeleteObject(font);
}

TEST(FitFont, PicksTheLargestSizeAtWhichTheWholeTextFits)
{
    const struct {
        const char* what;
        const char* text;
    } cases[] = {
        {"short", "Hi!"},
        {"a greeting", "Season's greetings from all of us, and a happy new year!"},
        {"long", "Wishing you a wonderful holiday season with snow days, warm fires, sledging down "
                 "the hill and cocoa afterwards."},
        {"two paragraphs", "Dear friend,\r\nhappy holidays!"},
    };
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    std::vector<int> chosen;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CTextBox text;
        text.FitFont(c.text, 155, 67);
        ASSERT_NE(text.m_font, nullptr);
        int size = 0;
        for (int points : kFontSizes)
            if (FontHeightOf(text.m_font) == -MulDiv(points, dpi, 72))
                size = points;
        ASSERT_NE(size, 0);
        EXPECT_EQ(text.m_breakWords, size == 8 ? 1 : 0);
        chosen.push_back(size);

        // It fits at the chosen size and at no larger one.
        RECT box = {0, 0, 155, 67};
        HDC dc = CreateCompatibleDC(nullptr);
        EXPECT_EQ(text.DrawWrapped(c.text, 0, dc, &box, 0), 1);
        for (int points : kFontSizes) {
            if (points <= size)
                break;
            CTextBox larger;
            larger.m_font = ArialAt(points);
            EXPECT_EQ(larger.DrawWrapped(c.text, 0, dc, &box, 0), 0) << points << " points";
        }
        DeleteDC(dc);
    }
    EXPECT_EQ(chosen[0], 36) << "a short message gets the largest size";
    EXPECT_GT(chosen[1], chosen[2]) << "a longer message gets a smaller size";
}

TEST(FitFont, AMessageThatFitsNowhereEndsAtEightPointsBreakingWords)
{
    std::string message;
    for (int i = 0; i < 40; ++i)
        message += "Snowflakes ";
    CTextBox text;
    text.FitFont(message.c_str(), 155, 67);
    HDC screen = GetDC(nullptr);
    EXPECT_EQ(FontHeightOf(text.m_font), -MulDiv(8, GetDeviceCaps(screen, LOGPIXELSY), 72));
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(text.m_breakWords, 1);
    text.ReleaseFont();
    EXPECT_EQ(text.m_font, nullptr);
}

} // namespace
