// Real sprite windows over a known desktop that another program shows: after
// every frame the screen must be the desktop with each shown sprite drawn
// transparently at its rectangle, pixel for pixel, and nothing anywhere else.
// The desktop is put up by the end-to-end scenario engine_desktop_test.py,
// which runs these tests with FESTLING_DESKTOP_PATTERN set; on their own they
// are skipped.
#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>

#include <algorithm>
#include <string>
#include <vector>

#include "card/greeting_card.h"
#include "engine/engine.h"
#include "engine/sprite_window.h"
#include "engine_fixture.h"

using engine_fixture::FixtureColour;
using engine_fixture::Log;
using engine_fixture::MainWindowForTests;
using engine_fixture::TestScene;
using engine_fixture::TestSprite;

using engine_fixture::R;

namespace {

const int kScreenWidth = 1024, kScreenHeight = 768;
enum { kKey = 253 };

// The known desktop of the end-to-end driver, as 0xRRGGBB.
uint32_t PatternPixel(int x, int y)
{
    uint32_t r = (x * 5 + y * 3) & 255, g = (x * 2 + y * 7 + 60) & 255, b = (((x ^ y) * 3) + 120) & 255;
    return (r << 16) | (g << 8) | b;
}

// Strip pixel (x, y) of a strip with frames of fw x fh: key pixels in a
// diagonal lattice (the top-left pixel among them), the rest by frame.
int StripIndex(int x, int y, int fw, int fh, int columns, int shade)
{
    int fx = x % fw, fy = y % fh;
    if ((fx + fy) % 4 == 0 || fx == fw - 1)
        return kKey;
    int frame = (y / fh) * columns + x / fw;
    return 10 + (shade * 37 + frame * 11 + fx + 3 * fy) % 200;
}

struct Actor {
    TestSprite* sprite;
    int fw, fh, columns, shade;
};

class Screen {
public:
    Screen()
    {
        BITMAPINFO bi = {};
        bi.bmiHeader.biSize = sizeof bi.bmiHeader;
        bi.bmiHeader.biWidth = kScreenWidth;
        bi.bmiHeader.biHeight = -kScreenHeight;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        m_bitmap = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&m_bits), nullptr, 0);
    }
    ~Screen() { DeleteObject(m_bitmap); }
    void Grab()
    {
        HDC screen = GetDC(nullptr);
        HDC memory = CreateCompatibleDC(screen);
        HGDIOBJ old = SelectObject(memory, m_bitmap);
        BitBlt(memory, 0, 0, kScreenWidth, kScreenHeight, screen, 0, 0, SRCCOPY);
        GdiFlush();
        SelectObject(memory, old);
        DeleteDC(memory);
        ReleaseDC(nullptr, screen);
    }
    uint32_t Pixel(int x, int y) const { return m_bits[y * kScreenWidth + x] & 0xFFFFFF; }
    void Save(const std::string& name) const
    {
        const char* dir = getenv("FESTLING_ARTIFACTS");
        if (dir == nullptr)
            return;
        std::string path = std::string(dir) + "\\" + name + ".ppm";
        FILE* f = fopen(path.c_str(), "wb");
        if (f == nullptr)
            return;
        fprintf(f, "P6\n%d %d\n255\n", kScreenWidth, kScreenHeight);
        for (int i = 0; i < kScreenWidth * kScreenHeight; ++i) {
            unsigned char rgb[3] = {static_cast<unsigned char>(m_bits[i] >> 16),
                                    static_cast<unsigned char>(m_bits[i] >> 8), static_cast<unsigned char>(m_bits[i])};
            fwrite(rgb, 1, 3, f);
        }
        fclose(f);
    }

private:
    HBITMAP m_bitmap;
    uint32_t* m_bits = nullptr;
};

class OverDesktop : public ::testing::Test {
public: // the card check runs from a timer
    void SetUp() override
    {
        if (getenv("FESTLING_DESKTOP_PATTERN") == nullptr)
            GTEST_SKIP() << "needs the known desktop of engine_desktop_test.py";
        ASSERT_NE(main.m_hwnd, nullptr);
        m_screen.Grab();
        ASSERT_EQ(m_screen.Pixel(500, 400), PatternPixel(500, 400)) << "the known desktop is not shown";
        Log().clear();
        engine = new CEngine(GetModuleHandleA(nullptr), main.m_hwnd);
        scene = new TestScene("sled", main.m_hwnd);
        m_actors.reserve(16); // actors are handed out by address
    }
    void TearDown() override
    {
        delete engine;
        // Let the desktop repaint where the windows were before the next test.
        Pump(300);
    }

    Actor* AddActor(int x, int y, int fw, int fh, int columns, int rows, int shade)
    {
        TestSprite* sprite = scene->Add(static_cast<int>(m_actors.size()) + 1, "actor");
        sprite->Place(x, y, fw, fh);
        sprite->GiveStrip(320 + shade, fw * columns, fh * rows,
                          [=](int px, int py) { return StripIndex(px, py, fw, fh, columns, shade); });
        m_actors.push_back(Actor{sprite, fw, fh, columns, shade});
        return &m_actors.back();
    }
    void Start()
    {
        ASSERT_EQ(engine->AddScene(scene), 1);
    }
    // Resizes an actor and gives it a strip of the new frame size.
    void Resize(Actor* actor, int fw, int fh, int shade)
    {
        RECT r;
        actor->sprite->GetBounds(&r);
        actor->sprite->Place(r.left, r.top, fw, fh);
        actor->fw = fw;
        actor->fh = fh;
        actor->columns = 2;
        actor->shade = shade;
        actor->sprite->GiveStrip(320 + shade, fw * 2, fh,
                                 [=](int px, int py) { return StripIndex(px, py, fw, fh, 2, shade); });
    }

    static void Pump(DWORD milliseconds)
    {
        DWORD start = GetTickCount();
        do {
            MSG msg;
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageA(&msg);
            Sleep(5);
        } while (GetTickCount() - start < milliseconds);
    }

    // One frame at the program's pace.
    void Frame()
    {
        engine->Frame();
        Pump(100);
    }

    uint32_t Expected(int x, int y) const
    {
        uint32_t colour = PatternPixel(x, y);
        for (const Actor& a : m_actors) {
            TestSprite* s = a.sprite;
            if (!s->IsShown())
                continue;
            const RECT& r = s->m_rect;
            if (x < r.left || x >= r.right || y < r.top || y >= r.bottom)
                continue;
            int frame = s->m_firstFrame + s->m_frame;
            int sx = (frame % a.columns) * a.fw + (x - r.left), sy = (frame / a.columns) * a.fh + (y - r.top);
            int index = StripIndex(sx, sy, a.fw, a.fh, a.columns, a.shade);
            if (index != kKey)
                colour = FixtureColour(index);
        }
        return colour;
    }

    // Whether every pixel that differs lies where no window of the scene
    // stands (and none differs when the answer is no differences at all).
    bool DiffersOnlyBeneath(bool* differs)
    {
        std::vector<RECT> windows;
        for (int i = 0; i < engine->m_windowCount; ++i) {
            HWND hwnd = engine->m_windows[i]->m_hwnd;
            RECT r;
            if (hwnd != nullptr && IsWindowVisible(hwnd) && GetWindowRect(hwnd, &r))
                windows.push_back(r);
        }
        *differs = false;
        for (int y = 0; y < kScreenHeight; ++y)
            for (int x = 0; x < kScreenWidth; ++x) {
                POINT p = {x, y};
                if (PtInRect(&m_exclude, p) || m_screen.Pixel(x, y) == Expected(x, y))
                    continue;
                *differs = true;
                for (const RECT& r : windows)
                    if (PtInRect(&r, p))
                        return false;
            }
        return true;
    }

    // The whole screen against the expectation; the first differences are named.
    // Where no window of the scene stands, the desktop program repaints in its
    // own time (late on purpose over the slow desktop, later still on a busy
    // machine), so differences there alone are given time to go; a difference
    // in a window of the scene is reported at once. Sleeping, not pumping:
    // this also runs inside the card's modal loop.
    void ExpectScreen(const char* step)
    {
        const DWORD kDesktopRepaintLimitMs = 5000;
        DWORD start = GetTickCount();
        bool differs = true;
        for (;;) {
            m_screen.Grab();
            if (!DiffersOnlyBeneath(&differs) || !differs || GetTickCount() - start >= kDesktopRepaintLimitMs)
                break;
            Sleep(50);
        }
        int wrong = 0;
        RECT box = {kScreenWidth, kScreenHeight, 0, 0};
        std::string first;
        for (int y = 0; y < kScreenHeight; ++y)
            for (int x = 0; x < kScreenWidth; ++x) {
                POINT p = {x, y};
                if (PtInRect(&m_exclude, p))
                    continue;
                uint32_t expected = Expected(x, y), got = m_screen.Pixel(x, y);
                if (got == expected)
                    continue;
                if (++wrong <= 3) {
                    char text[96];
                    snprintf(text, sizeof text, " (%d,%d) is %06x not %06x;", x, y, got, expected);
                    first += text;
                }
                box.left = std::min<LONG>(box.left, x);
                box.top = std::min<LONG>(box.top, y);
                box.right = std::max<LONG>(box.right, x + 1);
                box.bottom = std::max<LONG>(box.bottom, y + 1);
            }
        if (wrong > 0) {
            std::string name = std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "-" +
                               step;
            m_screen.Save(name);
            ADD_FAILURE() << step << ": " << wrong << " pixels differ within (" << box.left << "," << box.top << ")-("
                          << box.right << "," << box.bottom << "):" << first;
        }
    }

    int VisibleWindows() const
    {
        int visible = 0;
        for (int i = 0; i < engine->m_windowCount; ++i)
            if (IsWindowVisible(engine->m_windows[i]->m_hwnd))
                ++visible;
        return visible;
    }

    MainWindowForTests main;
    CEngine* engine = nullptr;
    TestScene* scene = nullptr;
    std::vector<Actor> m_actors;
    Screen m_screen;
    RECT m_exclude = {0, 0, 0, 0}; // not compared: another window of the test
};

TEST_F(OverDesktop, MovingSpritesLeaveNoTrail)
{
    Actor* a = AddActor(100, 100, 40, 30, 2, 2, 1);
    Actor* b = AddActor(500, 300, 24, 36, 3, 1, 2);
    Start();
    for (int i = 0; i < 8; ++i) {
        Frame();
        ExpectScreen(("step" + std::to_string(i)).c_str());
        a->sprite->MoveTo(100 + 7 * (i + 1), 100 + 2 * (i + 1));
        a->sprite->m_frame = (i + 1) % 4;
        b->sprite->MoveTo(500 - 5 * (i + 1), 300 - 9 * (i + 1));
        b->sprite->m_frame = (i + 1) % 3;
    }
    Frame();
    ExpectScreen("last");
}

TEST_F(OverDesktop, FarJumpAndSizeChangeLeaveNoTrail)
{
    Actor* a = AddActor(200, 200, 40, 30, 2, 1, 3);
    Start();
    Frame();
    ExpectScreen("start");
    a->sprite->MoveTo(700, 500);
    Frame();
    ExpectScreen("jumped");
    Frame();
    ExpectScreen("after-jump");
    Resize(a, 70, 52, 4);
    Frame();
    ExpectScreen("grown");
    a->sprite->MoveTo(690, 505);
    Resize(a, 30, 20, 5);
    Frame();
    ExpectScreen("shrunk-and-moved");
    Frame();
    ExpectScreen("still");
}

TEST_F(OverDesktop, SpritesMergeIntoOneWindowAndSplitAgain)
{
    Actor* a = AddActor(300, 300, 40, 40, 2, 1, 6);
    Actor* b = AddActor(420, 300, 40, 40, 2, 1, 7);
    Start();
    Frame();
    ExpectScreen("apart");
    EXPECT_EQ(VisibleWindows(), 2);
    for (int x = 400; x >= 320; x -= 20) {
        b->sprite->MoveTo(x, 310);
        Frame();
        ExpectScreen(("closing" + std::to_string(x)).c_str());
    }
    Frame();
    EXPECT_EQ(VisibleWindows(), 1);
    EXPECT_EQ(a->sprite->m_hwnd, b->sprite->m_hwnd);
    ExpectScreen("merged");
    b->sprite->MoveTo(600, 100);
    Frame();
    ExpectScreen("split");
    Frame();
    EXPECT_EQ(VisibleWindows(), 2);
    ExpectScreen("apart-again");
}

// The window that showed a group moves on to another group, and the window
// that takes over its old place must not keep the sprites it left there.
TEST_F(OverDesktop, WindowsThatChangeGroupsLeaveNoTrail)
{
    Actor* a = AddActor(100, 100, 80, 40, 2, 1, 16);
    Actor* s = AddActor(200, 100, 40, 40, 2, 1, 17);
    Actor* t = AddActor(230, 100, 40, 40, 2, 1, 18);
    Start();
    Frame();
    Frame();
    ExpectScreen("start");
    a->sprite->MoveTo(130, 100);
    s->sprite->MoveTo(500, 500);
    t->sprite->MoveTo(700, 100);
    Frame();
    ExpectScreen("regrouped");
    Frame();
    ExpectScreen("still");
}

TEST_F(OverDesktop, HiddenSpritesParkTheirWindows)
{
    Actor* a = AddActor(150, 400, 40, 30, 2, 1, 8);
    Actor* b = AddActor(600, 400, 40, 30, 2, 1, 9);
    Start();
    Frame();
    ExpectScreen("shown");
    a->sprite->Hide();
    Frame();
    ExpectScreen("one-hidden");
    b->sprite->m_frame = kNoFrame;
    Frame();
    EXPECT_EQ(VisibleWindows(), 0);
    ExpectScreen("all-hidden");
    a->sprite->Show();
    a->sprite->MoveTo(160, 390);
    Frame();
    ExpectScreen("back");
}

TEST_F(OverDesktop, RefreshedWindowsRecaptureWithoutKeepingSprites)
{
    Actor* a = AddActor(250, 150, 48, 40, 2, 1, 10);
    Actor* b = AddActor(270, 170, 40, 40, 2, 1, 11);
    Start();
    Frame();
    ExpectScreen("shown");
    // What the foreground check does when other windows may have changed.
    engine->RefreshAll();
    Pump(100);
    ExpectScreen("refreshed");
    for (int i = 1; i <= 4; ++i) {
        a->sprite->MoveTo(250 + 15 * i, 150);
        b->sprite->MoveTo(270, 170 + 12 * i);
        Frame();
        ExpectScreen(("moved" + std::to_string(i)).c_str());
    }
}

TEST_F(OverDesktop, SpritesAcrossTheScreenEdgesShowTheDesktopAroundThem)
{
    Actor* a = AddActor(-20, -15, 48, 40, 2, 1, 14);
    Actor* b = AddActor(1000, 740, 48, 40, 2, 1, 15);
    Start();
    Frame();
    ExpectScreen("placed");
    engine->RefreshAll();
    Pump(100);
    ExpectScreen("refreshed");
    for (int i = 1; i <= 3; ++i) {
        a->sprite->MoveTo(-20 + 9 * i, -15 + 4 * i);
        b->sprite->MoveTo(1000 - 6 * i, 740 + 5 * i);
        Frame();
        ExpectScreen(("moved" + std::to_string(i)).c_str());
    }
    // Far jumps onto and off the edges.
    a->sprite->MoveTo(990, -10);
    b->sprite->MoveTo(-30, 750);
    Frame();
    ExpectScreen("jumped");
}

// The stage scene's own card opening: its sprites vanish from the desktop
// before the card shows, and while it is open only the card covers it.
class CardScene : public CStageScene {
public:
    explicit CardScene(HWND owner)
        : CStageScene(GetModuleHandleA(nullptr), owner, nullptr, 10, "sled", "C:\\a\\downhill\\scene")
    {
    }
};

OverDesktop* g_cardTest = nullptr;
bool g_cardChecked = false;

void CALLBACK CheckWhileTheCardIsOpen(HWND, UINT, UINT_PTR id, DWORD)
{
    if (g_cardState.window == nullptr)
        return;
    KillTimer(nullptr, id);
    g_cardChecked = true;
    GetWindowRect(g_cardState.window, &g_cardTest->m_exclude);
    g_cardTest->ExpectScreen("card-open");
    PostMessageA(g_cardState.window, WM_COMMAND, IDCANCEL, 0);
}

TEST_F(OverDesktop, OpeningTheCardMakesTheSceneVanishFirst)
{
    delete scene; // a scene with the real card opening instead
    CardScene* cardScene = new CardScene(main.m_hwnd);
    std::vector<TestSprite*> sprites;
    const RECT places[] = {R(300, 200, 348, 240), R(330, 220, 370, 260), R(700, 500, 740, 530)};
    for (int i = 0; i < 3; ++i) {
        const RECT& r = places[i];
        TestSprite* sprite = new TestSprite(cardScene, i + 1, "actor");
        cardScene->AddSprite(sprite);
        int fw = r.right - r.left, fh = r.bottom - r.top, shade = 20 + i;
        sprite->Place(r.left, r.top, fw, fh);
        sprite->GiveStrip(330 + i, fw * 2, fh, [=](int px, int py) { return StripIndex(px, py, fw, fh, 2, shade); });
        m_actors.push_back(Actor{sprite, fw, fh, 2, shade});
        sprites.push_back(sprite);
    }
    scene = nullptr;
    ASSERT_EQ(engine->AddScene(cardScene), 1);
    Frame();
    Frame();
    ExpectScreen("playing");
    g_cardTest = this;
    g_cardChecked = false;
    UINT_PTR timer = SetTimer(nullptr, 0, 150, CheckWhileTheCardIsOpen);
    engine->OpenCardFor(sprites[1]);
    KillTimer(nullptr, timer);
    EXPECT_TRUE(g_cardChecked);
    // The closed card asks the main window to close; this test keeps it.
    MSG msg;
    while (PeekMessageA(&msg, main.m_hwnd, WM_CLOSE, WM_CLOSE, PM_REMOVE)) {
    }
    m_exclude = R(0, 0, 0, 0);
    Pump(200);
    ExpectScreen("card-closed");
}

TEST_F(OverDesktop, RightClickOnASpriteReachesItsSceneAndElsewhereNothing)
{
    Actor* a = AddActor(320, 240, 40, 30, 2, 1, 12);
    Actor* b = AddActor(500, 240, 40, 30, 2, 1, 13);
    b->sprite->MoveTo(500, 240);
    Start();
    Frame();
    Frame();
    auto rightClick = [](int x, int y) {
        SetCursorPos(x, y);
        Pump(50);
        mouse_event(MOUSEEVENTF_RIGHTDOWN, 0, 0, 0, 0);
        mouse_event(MOUSEEVENTF_RIGHTUP, 0, 0, 0, 0);
        Pump(200);
    };
    // A point of the desktop far from every sprite.
    rightClick(900, 700);
    EXPECT_EQ(scene->m_cardRequests, 0);
    rightClick(335, 252);
    EXPECT_EQ(scene->m_cardRequests, 1);
    (void)a;
}

} // namespace
