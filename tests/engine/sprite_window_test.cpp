// Sprite windows: keeping the saved background true as the window moves and
// changes size, taking pixels from other windows, parking, presenting with
// the curtain, and routing clicks and keys to the sprite under the cursor.
#include "engine/sprite_window.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/engine.h"
#include "engine_fixture.h"

using engine_fixture::Log;
using engine_fixture::MainWindowForTests;
using engine_fixture::ReadPixels;
using engine_fixture::TestScene;
using engine_fixture::TestSprite;

using engine_fixture::R;

namespace {

// What a test window of this program shows on the screen at (x, y).
uint32_t ScreenPattern(int x, int y)
{
    return (((x * 7 + y) & 255) << 16) | (((x + y * 5) & 255) << 8) | ((x ^ y) & 255);
}

// A marker written into a background bitmap, by screen position and step.
uint32_t Marker(int step, int x, int y)
{
    return (((step * 40 + 1) & 255) << 16) | (((x * 3) & 255) << 8) | ((y * 11) & 255);
}

LRESULT CALLBACK PatternProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_PAINT)
        return DefWindowProcA(hwnd, message, wParam, lParam);
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT client;
    GetClientRect(hwnd, &client);
    std::vector<uint32_t> bits(client.right * client.bottom);
    for (int y = 0; y < client.bottom; ++y)
        for (int x = 0; x < client.right; ++x)
            bits[y * client.right + x] = ScreenPattern(x, y);
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = client.right;
    bi.bmiHeader.biHeight = -client.bottom;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    SetDIBitsToDevice(dc, 0, 0, client.right, client.bottom, 0, 0, 0, client.bottom, bits.data(), &bi,
                      DIB_RGB_COLORS);
    EndPaint(hwnd, &ps);
    return 0;
}

// A window of this program at the screen's top-left showing ScreenPattern.
struct PatternWindow {
    PatternWindow()
    {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = PatternProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "engine test pattern";
        RegisterClassA(&wc);
        m_hwnd = CreateWindowExA(WS_EX_TOOLWINDOW, wc.lpszClassName, "", WS_POPUP | WS_VISIBLE, 0, 0, 600, 400,
                                 nullptr, nullptr, wc.hInstance, nullptr);
        UpdateWindow(m_hwnd);
    }
    ~PatternWindow() { DestroyWindow(m_hwnd); }
    HWND m_hwnd;
};

void WriteMarker(HBITMAP bitmap, const RECT& at, int step)
{
    int w = at.right - at.left, h = at.bottom - at.top;
    std::vector<uint32_t> bits(w * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            bits[y * w + x] = Marker(step, at.left + x, at.top + y);
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    HDC screen = GetDC(nullptr);
    SetDIBits(screen, bitmap, 0, h, bits.data(), &bi, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
}

// Each step moves the window; what lay in both the old and the new place
// must be carried over, everything else must come from the screen.
TEST(SpriteWindowBackground, KeepsWhatStaysCoveredAndGrabsOnlyTheNewlyCoveredScreen)
{
    PatternWindow pattern;
    struct {
        const char* name;
        RECT rect;
    } steps[] = {
        {"first place: everything from the screen", R(100, 100, 200, 150)},
        {"10 pixels right: 90 columns kept, a 10-pixel strip grabbed", R(110, 100, 210, 150)},
        {"the same place: nothing changes", R(110, 100, 210, 150)},
        {"up and left", R(103, 91, 203, 141)},
        {"grown on every side", R(95, 85, 225, 160)},
        {"shrunk into the middle", R(120, 100, 180, 130)},
        {"moved and grown down-right", R(150, 120, 260, 200)},
        {"a far jump: everything from the screen", R(400, 250, 450, 300)},
    };
    CSpriteWindow window(nullptr);
    window.m_rect = R(-2, -2, -1, -1);
    RECT previous = window.m_rect;
    int step = 0;
    for (const auto& s : steps) {
        SCOPED_TRACE(s.name);
        window.SetGroupRect(&s.rect);
        window.UpdateBackground();
        ASSERT_NE(window.m_background, nullptr);
        EXPECT_TRUE(EqualRect(&window.m_capRect, &s.rect));
        int w = 0, h = 0;
        std::vector<uint32_t> got = ReadPixels(window.m_background, &w, &h);
        ASSERT_EQ(w, s.rect.right - s.rect.left);
        ASSERT_EQ(h, s.rect.bottom - s.rect.top);
        ASSERT_EQ(ReadPixels(window.m_canvas).size(), got.size());
        int wrong = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                POINT p = {s.rect.left + x, s.rect.top + y};
                uint32_t expected = PtInRect(&previous, p) ? Marker(step, p.x, p.y) : ScreenPattern(p.x, p.y);
                if (got[y * w + x] != expected && ++wrong < 4)
                    ADD_FAILURE() << "at " << p.x << "," << p.y;
            }
        EXPECT_EQ(wrong, 0);
        // A new marker tells carried pixels from grabbed ones at the next step.
        WriteMarker(window.m_background, s.rect, ++step);
        previous = s.rect;
    }
}

TEST(SpriteWindowBackground, TakesTheSavedPixelsOfAnotherWindowWhereItStood)
{
    PatternWindow pattern;
    CSpriteWindow first(nullptr), second(nullptr);
    RECT a = R(100, 100, 200, 150), b = R(150, 120, 250, 170);
    first.SetGroupRect(&a);
    first.UpdateBackground();
    WriteMarker(first.m_background, a, 7);
    second.SetGroupRect(&b);
    second.UpdateBackground();
    second.TakeBackgroundFrom(&second);
    second.TakeBackgroundFrom(&first);
    std::vector<uint32_t> got = ReadPixels(second.m_background);
    for (int y = b.top; y < b.bottom; ++y)
        for (int x = b.left; x < b.right; ++x) {
            POINT p = {x, y};
            uint32_t expected = PtInRect(&a, p) ? Marker(7, x, y) : ScreenPattern(x, y);
            ASSERT_EQ(got[(y - b.top) * 100 + (x - b.left)], expected) << x << "," << y;
        }
}

TEST(SpriteWindowBackground, TakesWhatAnotherWindowHeldBeforeItMovedThisFrame)
{
    PatternWindow pattern;
    CSpriteWindow first(nullptr), second(nullptr);
    RECT a = R(100, 100, 200, 150), away = R(300, 250, 400, 300), b = R(150, 120, 250, 170);
    first.SetGroupRect(&a);
    first.UpdateBackground();
    first.DropPrevious();
    WriteMarker(first.m_background, a, 9);
    // The first window has already moved on when the second one updates.
    first.SetGroupRect(&away);
    first.UpdateBackground();
    second.SetGroupRect(&b);
    second.UpdateBackground();
    second.TakeBackgroundFrom(&first);
    first.DropPrevious();
    EXPECT_EQ(first.m_previous, nullptr);
    std::vector<uint32_t> got = ReadPixels(second.m_background);
    for (int y = b.top; y < b.bottom; ++y)
        for (int x = b.left; x < b.right; ++x) {
            POINT p = {x, y};
            uint32_t expected = PtInRect(&a, p) ? Marker(9, x, y) : ScreenPattern(x, y);
            ASSERT_EQ(got[(y - b.top) * 100 + (x - b.left)], expected) << x << "," << y;
        }
}

// Counts the messages a sprite window gets, then lets its own procedure act.
struct MessageCounter {
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_WINDOWPOSCHANGING)
            ++s_positionChanges;
        if (message == WM_PAINT)
            ++s_paints;
        return CallWindowProcA(s_original, hwnd, message, wParam, lParam);
    }
    explicit MessageCounter(HWND hwnd) : m_hwnd(hwnd)
    {
        s_original = reinterpret_cast<WNDPROC>(SetWindowLongA(hwnd, GWL_WNDPROC, reinterpret_cast<LONG>(Proc)));
        Reset();
    }
    ~MessageCounter() { SetWindowLongA(m_hwnd, GWL_WNDPROC, reinterpret_cast<LONG>(s_original)); }
    static void Reset() { s_positionChanges = s_paints = 0; }
    HWND m_hwnd;
    static WNDPROC s_original;
    static int s_positionChanges, s_paints;
};
WNDPROC MessageCounter::s_original;
int MessageCounter::s_positionChanges, MessageCounter::s_paints;

class SpriteWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(main.m_hwnd, nullptr);
        Log().clear();
    }
    TestSprite* AddSprite(TestScene* scene, int id, const char* name, int x, int y, int w, int h)
    {
        TestSprite* sprite = scene->Add(id, name);
        sprite->Place(x, y, w, h);
        sprite->GiveStrip(340 + id, w, h, [](int, int) { return 30; });
        return sprite;
    }
    MainWindowForTests main;
    CEngine engine{GetModuleHandleA(nullptr), main.m_hwnd};
};

TEST_F(SpriteWindowTest, WindowPresentedForTheFirstTimeShowsWithTheCurtainOverItsNewPlaceOnly)
{
    ASSERT_EQ(engine.EnsureWindows(0), 1);
    CSpriteWindow* window = engine.m_windows[0];
    RECT created;
    GetWindowRect(window->m_hwnd, &created);
    EXPECT_TRUE(EqualRect(&created, &window->m_rect));
    EXPECT_EQ(created.left, -2);
    EXPECT_FALSE(IsWindowVisible(window->m_hwnd));
    RECT group = R(50, 60, 80, 100);
    window->SetGroupRect(&group);
    window->UpdateBackground();
    window->Present();
    RECT shown, curtain;
    GetWindowRect(window->m_hwnd, &shown);
    EXPECT_TRUE(EqualRect(&shown, &group));
    EXPECT_TRUE(IsWindowVisible(window->m_hwnd));
    // The curtain left past the top-left corner, the size of the new place.
    GetWindowRect(main.m_hwnd, &curtain);
    EXPECT_TRUE(IsWindowVisible(main.m_hwnd));
    EXPECT_EQ(curtain.left, -31);
    EXPECT_EQ(curtain.top, -41);
    EXPECT_EQ(curtain.right, -1);
    EXPECT_EQ(curtain.bottom, -1);
    // A move on the screen sends the curtain over the old and the new place.
    RECT moved = R(60, 60, 90, 100);
    window->SetGroupRect(&moved);
    window->UpdateBackground();
    window->Present();
    GetWindowRect(main.m_hwnd, &curtain);
    EXPECT_EQ(curtain.right - curtain.left, 40);
    EXPECT_EQ(curtain.bottom - curtain.top, 40);
}

TEST_F(SpriteWindowTest, StillWindowWithNothingPendingRepaintsFromItsBackgroundWithoutMoving)
{
    TestScene* scene = new TestScene("sled");
    AddSprite(scene, 1, "a", 100, 100, 20, 20);
    engine.AddScene(scene);
    engine.Frame();
    engine.Frame();
    CSpriteWindow* window = engine.m_windows[0];
    MessageCounter counter(window->m_hwnd);
    HBITMAP background = window->m_background;
    std::vector<uint32_t> before = ReadPixels(background);
    engine.Frame();
    EXPECT_EQ(MessageCounter::s_paints, 1);
    EXPECT_EQ(MessageCounter::s_positionChanges, 0) << "the window moved, so it captured";
    EXPECT_EQ(window->m_background, background);
    EXPECT_EQ(ReadPixels(background), before);
}

TEST_F(SpriteWindowTest, RepaintOnRequestCapturesAFreshBackground)
{
    TestScene* scene = new TestScene("sled");
    AddSprite(scene, 1, "a", 100, 100, 20, 20);
    engine.AddScene(scene);
    engine.Frame();
    CSpriteWindow* window = engine.m_windows[0];
    MessageCounter counter(window->m_hwnd);
    window->Repaint();
    EXPECT_EQ(MessageCounter::s_paints, 1);
    // Out of sight and back.
    EXPECT_EQ(MessageCounter::s_positionChanges, 2);
    RECT r;
    GetWindowRect(window->m_hwnd, &r);
    EXPECT_EQ(r.left, 100);
    EXPECT_EQ(r.top, 100);
}

TEST_F(SpriteWindowTest, RefreshRepaintsAWindowOnceHoweverManySpritesItShows)
{
    TestScene* scene = new TestScene("sled");
    AddSprite(scene, 1, "a", 100, 100, 20, 20);
    AddSprite(scene, 2, "b", 110, 105, 20, 20);
    TestSprite* c = AddSprite(scene, 3, "c", 400, 100, 20, 20);
    engine.AddScene(scene);
    engine.Frame();
    c->Hide();
    engine.Frame(); // c's window is parked and still lists it
    ASSERT_EQ(engine.m_windows[0]->m_entryCount, 2);
    MessageCounter counter(engine.m_windows[0]->m_hwnd);
    engine.RefreshAll();
    EXPECT_EQ(MessageCounter::s_paints, 1);
    EXPECT_EQ(MessageCounter::s_positionChanges, 2);
}

TEST_F(SpriteWindowTest, ParkingHidesAShownWindowAndLeavesAHiddenOneWhereItIs)
{
    ASSERT_EQ(engine.EnsureWindows(0), 1);
    CSpriteWindow* window = engine.m_windows[0];
    RECT before = window->m_rect, r;
    window->Park();
    EXPECT_FALSE(IsWindowVisible(window->m_hwnd));
    GetWindowRect(window->m_hwnd, &r);
    EXPECT_TRUE(EqualRect(&r, &before));

    RECT group = R(200, 200, 240, 230);
    window->SetGroupRect(&group);
    window->UpdateBackground();
    window->Present();
    ASSERT_TRUE(IsWindowVisible(window->m_hwnd));
    RECT oldRect = window->m_oldRect;
    window->Park();
    EXPECT_FALSE(IsWindowVisible(window->m_hwnd));
    RECT parked = R(-1, -1, 0, 0);
    EXPECT_TRUE(EqualRect(&window->m_rect, &parked));
    EXPECT_TRUE(EqualRect(&window->m_capRect, &parked));
    EXPECT_TRUE(EqualRect(&window->m_oldRect, &oldRect));
    GetWindowRect(window->m_hwnd, &r);
    EXPECT_EQ(r.right - r.left, 40);
}

TEST_F(SpriteWindowTest, TopmostIsAppliedOnlyWhenItChanges)
{
    ASSERT_EQ(engine.EnsureWindows(0), 1);
    CSpriteWindow* window = engine.m_windows[0];
    MessageCounter counter(window->m_hwnd);
    window->SetTopmost(1);
    window->SetTopmost(1);
    EXPECT_EQ(MessageCounter::s_positionChanges, 1);
    EXPECT_TRUE(GetWindowLongA(window->m_hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST);
    window->SetTopmost(0);
    EXPECT_EQ(MessageCounter::s_positionChanges, 2);
}

TEST_F(SpriteWindowTest, ClicksAndKeysGoToTheSpriteOnTopUnderTheCursor)
{
    TestScene* first = new TestScene("first");
    AddSprite(first, 1, "a", 100, 100, 40, 30);
    TestScene* second = new TestScene("second");
    AddSprite(second, 1, "b", 120, 110, 40, 30);
    engine.AddScene(first);
    engine.AddScene(second);
    engine.Frame();
    ASSERT_EQ(engine.m_windowCount, 1);
    HWND hwnd = engine.m_windows[0]->m_hwnd;
    struct {
        const char* name;
        UINT message;
        int x, y;
        std::vector<std::string> log;
    } cases[] = {
        {"a right click on the lower sprite opens its scene's card", WM_RBUTTONDOWN, 5, 5, {"card first"}},
        {"a right click where both lie goes to the one on top", WM_RBUTTONDOWN, 25, 15, {"card second"}},
        {"a right click beside both sprites does nothing", WM_RBUTTONDOWN, 55, 5, {}},
        {"a close request acts as a right click at its point", WM_CLOSE, 0, 0, {"card first"}},
        {"a mouse move reaches the sprite on top", WM_MOUSEMOVE, 25, 15, {"mouse b 512 25,15"}},
        {"a left click reaches the lower sprite", WM_LBUTTONDOWN, 2, 3, {"mouse a 513 2,3"}},
        {"a double click reaches the sprite under it", WM_LBUTTONDBLCLK, 50, 35, {"mouse b 515 50,35"}},
        {"a key uses the words of its lParam as the point", WM_KEYDOWN, 30, 20, {"mouse b 256 30,20"}},
        {"a click beside every sprite reaches none", WM_LBUTTONUP, 55, 2, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Log().clear();
        SendMessageA(hwnd, c.message, 0, MAKELPARAM(c.x, c.y));
        EXPECT_EQ(Log(), c.log);
    }
    EXPECT_TRUE(IsWindow(hwnd));
    EXPECT_EQ(SendMessageA(hwnd, WM_CLOSE, 0, 0), 0);
    EXPECT_TRUE(IsWindow(hwnd));

    // While the first scene captures the mouse, everything goes to its capture.
    first->m_capture = first->GetSprite(0);
    Log().clear();
    SendMessageA(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(25, 15));
    SendMessageA(hwnd, WM_LBUTTONDOWN, 0, MAKELPARAM(200, 200));
    EXPECT_EQ(Log(), (std::vector<std::string>{"mouse a 512 25,15", "mouse a 513 200,200"}));
}

TEST_F(SpriteWindowTest, WindowDestroyedBeforeTheEngineIsNoLongerUsed)
{
    TestScene* scene = new TestScene("sled");
    TestSprite* a = AddSprite(scene, 1, "a", 100, 100, 20, 20);
    engine.AddScene(scene);
    engine.Frame();
    CSpriteWindow* window = engine.m_windows[0];
    DestroyWindow(window->m_hwnd);
    EXPECT_EQ(window->m_hwnd, nullptr);
    a->MoveTo(130, 100);
    engine.Frame();
    engine.RefreshAll();
    engine.ToggleTopmost();
}

} // namespace
