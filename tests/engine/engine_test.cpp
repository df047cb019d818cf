// The engine: scenes and the sprite registry, the frame cycle over real
// sprite windows, the scene callback, click routing and always-on-top.
#include "engine/engine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/sprite_window.h"
#include "engine_fixture.h"

using engine_fixture::Log;
using engine_fixture::MainWindowForTests;
using engine_fixture::TestScene;
using engine_fixture::TestSprite;

namespace {

enum { kInk = 30 };

TestSprite* AddShownSprite(TestScene* scene, int id, const char* name, int x, int y, int w, int h)
{
    TestSprite* sprite = scene->Add(id, name);
    sprite->Place(x, y, w, h);
    sprite->GiveStrip(310 + id, w, h, [](int, int) { return kInk; });
    return sprite;
}

int VisibleWindows(const CEngine& engine)
{
    int visible = 0;
    for (int i = 0; i < engine.m_windowCount; ++i)
        if (engine.m_windows[i]->m_hwnd && IsWindowVisible(engine.m_windows[i]->m_hwnd))
            ++visible;
    return visible;
}

RECT WindowRect(CSpriteWindow* window)
{
    RECT r;
    GetWindowRect(window->m_hwnd, &r);
    return r;
}

class EngineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(main.m_hwnd, nullptr);
        Log().clear();
    }
    MainWindowForTests main;
    CEngine engine{GetModuleHandleA(nullptr), main.m_hwnd};
};

TEST_F(EngineTest, ScenesAreSteppedInTheOrderAddedAndTheirSpritesRegisteredAfterEachOther)
{
    TestScene* first = new TestScene("first");
    first->Add(1, "a");
    first->Add(2, "b");
    TestScene* second = new TestScene("second");
    second->Add(1, "c");
    ASSERT_EQ(engine.AddScene(first), 1);
    ASSERT_EQ(engine.AddScene(second), 1);
    ASSERT_EQ(engine.m_holderCount, 2);
    ASSERT_EQ(engine.m_entryCount, 3);
    EXPECT_EQ(engine.m_entries[0]->m_sprite, first->GetSprite(0));
    EXPECT_EQ(engine.m_entries[1]->m_sprite, first->GetSprite(1));
    EXPECT_EQ(engine.m_entries[2]->m_sprite, second->GetSprite(0));
    EXPECT_EQ(engine.m_entries[2]->m_holder, engine.m_holders[1]);
    EXPECT_EQ(first->m_callbackData, engine.m_holders[0]);
    EXPECT_EQ(first->m_callback, EngineSceneCallback);
    engine.Frame();
    EXPECT_EQ(Log(), (std::vector<std::string>{"step a", "step b", "step c"}));
}

TEST_F(EngineTest, EveryNamedSceneIsTheDownhillScene)
{
    for (const char* name : {"sled", "anything"}) {
        SCOPED_TRACE(name);
        int entriesBefore = engine.m_entryCount;
        ASSERT_EQ(engine.AddScene(name), 1);
        SceneHolder* holder = engine.m_holders[engine.m_holderCount - 1];
        CStageScene* scene = static_cast<CStageScene*>(holder->m_scene);
        EXPECT_STREQ(scene->m_name, "sled");
        EXPECT_STREQ(scene->m_folder, "downhill");
        EXPECT_EQ(scene->m_callbackData, holder);
        EXPECT_EQ(scene->m_owner, main.m_hwnd);
        EXPECT_EQ(scene->m_tag, 10);
        ASSERT_GT(scene->GetSpriteCount(), 0);
        EXPECT_EQ(engine.m_entryCount, entriesBefore + scene->GetSpriteCount());
        EXPECT_EQ(engine.m_entries[entriesBefore]->m_sprite, scene->GetSprite(0));
    }
    EXPECT_EQ(engine.m_holderCount, 2);
}

TEST_F(EngineTest, SceneThatCannotBeMadeIsNotAdded)
{
    EXPECT_EQ(engine.AddScene(static_cast<CScene*>(nullptr)), 0);
    EXPECT_EQ(engine.m_holderCount, 0);
    engine.Frame();
    engine.RefreshAll();
    EXPECT_EQ(engine.CaptureSprite(), nullptr);
}

TEST_F(EngineTest, WithNothingShownEveryWindowIsParked)
{
    TestScene* scene = new TestScene("sled");
    TestSprite* a = AddShownSprite(scene, 1, "a", 50, 60, 20, 10);
    engine.AddScene(scene);
    engine.Frame();
    ASSERT_EQ(engine.m_windowCount, 1);
    EXPECT_EQ(VisibleWindows(engine), 1);
    RECT r = WindowRect(engine.m_windows[0]);
    EXPECT_EQ(r.left, 50);
    EXPECT_EQ(r.top, 60);
    EXPECT_EQ(r.right, 70);
    EXPECT_EQ(a->m_hwnd, engine.m_windows[0]->m_hwnd);

    a->Hide();
    EXPECT_EQ(engine.Group(), 0);
    engine.Frame();
    EXPECT_EQ(VisibleWindows(engine), 0);
    EXPECT_EQ(engine.m_windows[0]->m_rect.left, -1);
    EXPECT_EQ(engine.m_windows[0]->m_rect.right, 0);
}

TEST_F(EngineTest, HiddenSpriteKeepsItsLastShownPlaceForTheFrameItReturns)
{
    TestScene* scene = new TestScene("sled");
    TestSprite* a = AddShownSprite(scene, 1, "a", 0, 0, 50, 50);
    engine.AddScene(scene);
    engine.Frame();
    a->Hide();
    a->MoveTo(100, 0);
    engine.Frame();
    a->Show();
    a->MoveTo(200, 0);
    ASSERT_EQ(engine.Group(), 2);
    EXPECT_EQ(engine.m_windows[0]->m_rect.left, 200);
    EXPECT_EQ(engine.m_windows[0]->m_entryCount, 1);
    EXPECT_EQ(engine.m_windows[1]->m_rect.left, 0);
    EXPECT_EQ(engine.m_windows[1]->m_entryCount, 0);
}

TEST_F(EngineTest, SpritesLearnTheirWindowAndDrawRectangles)
{
    TestScene* scene = new TestScene("sled");
    TestSprite* a = AddShownSprite(scene, 1, "a", 100, 100, 30, 20);
    TestSprite* b = AddShownSprite(scene, 2, "b", 120, 110, 30, 20);
    engine.AddScene(scene);
    engine.Frame();
    ASSERT_EQ(VisibleWindows(engine), 1);
    EXPECT_EQ(a->m_hwnd, b->m_hwnd);
    RECT r = WindowRect(engine.m_windows[0]);
    EXPECT_EQ(r.left, 100);
    EXPECT_EQ(r.right, 150);
    EXPECT_EQ(r.bottom, 130);
    EXPECT_EQ(b->m_dstRect.left, 20);
    EXPECT_EQ(b->m_dstRect.top, 10);
    EXPECT_EQ(b->m_dstRect.right, 50);
    EXPECT_EQ(b->m_srcRect.right, 30);
    EXPECT_EQ(b->m_srcRect.bottom, 20);
    // Drawn above: b was registered after a.
    EXPECT_EQ(engine.m_windows[0]->m_entries[0]->m_sprite, a);
    EXPECT_EQ(engine.m_windows[0]->m_entries[1]->m_sprite, b);
}

TEST_F(EngineTest, SceneCallbackRepaintsStartsNothingWithoutApplicationAndIgnoresOtherCodes)
{
    TestScene* scene = new TestScene("sled");
    TestSprite* a = AddShownSprite(scene, 1, "a", 10, 10, 10, 10);
    TestSprite* unshown = scene->Add(2, "unshown");
    engine.AddScene(scene);
    engine.Frame();
    void* holder = engine.m_holders[0];
    EXPECT_EQ(EngineSceneCallback(holder, kSceneRepaintSprite, a), 0);
    EXPECT_EQ(EngineSceneCallback(holder, kSceneRepaintSprite, unshown), 0);
    EXPECT_EQ(EngineSceneCallback(holder, kSceneRepaintSprite, nullptr), 0);
    EXPECT_EQ(EngineSceneCallback(holder, kSceneStartMusic, nullptr), 0);
    EXPECT_EQ(EngineSceneCallback(holder, 4, a), 0);
    EXPECT_EQ(EngineSceneCallback(nullptr, kSceneRepaintSprite, a), 0);
    EXPECT_EQ(engine.m_topmost, 0);
    EXPECT_EQ(EngineSceneCallback(holder, kSceneToggleTopmost, nullptr), 0);
    EXPECT_EQ(engine.m_topmost, 1);
}

TEST_F(EngineTest, ToggleTopmostTwiceLeavesEveryWindowNotTopmost)
{
    TestScene* scene = new TestScene("sled");
    AddShownSprite(scene, 1, "a", 10, 10, 10, 10);
    AddShownSprite(scene, 2, "b", 300, 10, 10, 10);
    engine.AddScene(scene);
    engine.Frame();
    ASSERT_EQ(engine.m_windowCount, 2);
    engine.ToggleTopmost();
    for (int i = 0; i < engine.m_windowCount; ++i)
        EXPECT_TRUE(GetWindowLongA(engine.m_windows[i]->m_hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST);
    engine.ToggleTopmost();
    // (Wine keeps a popup topmost while a topmost sibling lies above its
    // owner, so the windows' own state is what is checked here.)
    EXPECT_EQ(engine.m_topmost, 0);
    for (int i = 0; i < engine.m_windowCount; ++i)
        EXPECT_EQ(engine.m_windows[i]->m_topmost, 0);
}

TEST_F(EngineTest, ClickOpensTheCardOfTheClickedSpritesSceneOnly)
{
    TestScene* first = new TestScene("first");
    AddShownSprite(first, 1, "a", 10, 10, 10, 10);
    TestScene* second = new TestScene("second");
    TestSprite* c = AddShownSprite(second, 1, "c", 100, 10, 10, 10);
    engine.AddScene(first);
    engine.AddScene(second);
    engine.OpenCardFor(c);
    EXPECT_EQ(Log(), std::vector<std::string>{"card second"});
    Log().clear();
    TestSprite stranger(first, 9, "stranger");
    engine.OpenCardFor(&stranger);
    EXPECT_TRUE(Log().empty());
}

TEST_F(EngineTest, CaptureSpriteIsTheFirstScenesCapture)
{
    TestScene* first = new TestScene("first");
    TestSprite* a = first->Add(1, "a");
    TestScene* second = new TestScene("second");
    TestSprite* b = second->Add(1, "b");
    engine.AddScene(first);
    engine.AddScene(second);
    EXPECT_EQ(engine.CaptureSprite(), nullptr);
    second->m_capture = b;
    EXPECT_EQ(engine.CaptureSprite(), nullptr);
    first->m_capture = a;
    EXPECT_EQ(engine.CaptureSprite(), a);
}

TEST_F(EngineTest, WindowsThatCannotBeCreatedLeaveTheirGroupsUnshown)
{
    TestScene* scene = new TestScene("sled");
    TestSprite* a = AddShownSprite(scene, 1, "a", 10, 10, 10, 10);
    AddShownSprite(scene, 2, "b", 300, 10, 10, 10);
    engine.AddScene(scene);
    // Without the window class no sprite window can be made.
    ASSERT_TRUE(UnregisterClassA(kSpriteClassName, GetModuleHandleA(nullptr)));
    engine.Frame();
    engine.Frame();
    EXPECT_EQ(engine.m_windowCount, 0);
    EXPECT_EQ(a->m_hwnd, nullptr);
    engine.RefreshAll();
    engine.RepaintSprite(a);
    // With the class back the next frame shows both groups.
    ASSERT_NE(RegisterSpriteWindowClass(GetModuleHandleA(nullptr)), 0);
    engine.Frame();
    EXPECT_EQ(engine.m_windowCount, 2);
    EXPECT_EQ(VisibleWindows(engine), 2);
}

TEST_F(EngineTest, PoolGrowsToTheLargestNeedAndNeverShrinks)
{
    TestScene* scene = new TestScene("sled");
    TestSprite* a = AddShownSprite(scene, 1, "a", 10, 10, 10, 10);
    TestSprite* b = AddShownSprite(scene, 2, "b", 300, 10, 10, 10);
    TestSprite* c = AddShownSprite(scene, 3, "c", 600, 10, 10, 10);
    engine.AddScene(scene);
    engine.Frame();
    EXPECT_EQ(engine.m_windowCount, 3);
    b->MoveTo(15, 15);
    c->MoveTo(12, 12);
    engine.Frame(); // the old places still need windows this frame
    engine.Frame();
    EXPECT_EQ(engine.m_windowCount, 3);
    EXPECT_EQ(VisibleWindows(engine), 1);
    EXPECT_EQ(a->m_hwnd, c->m_hwnd);
}

} // namespace
