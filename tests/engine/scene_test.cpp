// Scenes: the sprite list, the tick rule, the card opening, the greeting text,
// the usable screen size and the folder name.
#include "engine/scene.h"

#include <gtest/gtest.h>
#include <string.h>

#include <string>
#include <vector>

#include "card/greeting_card.h"
#include "engine/sprite.h"
#include "engine_fixture.h"

using engine_fixture::Log;
using engine_fixture::TestScene;
using engine_fixture::TestSprite;

namespace {

TEST(SceneText, GreetingTextKeepsAtMost255CharactersAndItsLineBreaks)
{
    std::string noel = "Joyeux No\xEBl\r\n" + std::string(27, '.') + "\r\n";
    ASSERT_EQ(noel.size(), 42u);
    std::string long300(300, 'x');
    for (size_t i = 0; i < long300.size(); ++i)
        long300[i] = static_cast<char>('a' + i % 26);
    std::string long300Terminated = long300;
    long300Terminated[299] = '\0';
    struct {
        const char* name;
        std::string bytes;
        std::string expected;
    } cases[] = {
        {"42 bytes without terminator are kept whole", noel, noel},
        {"300 bytes without terminator are cut after byte 255", long300, long300.substr(0, 255)},
        {"300 bytes ending in a terminator are cut the same way", long300Terminated, long300.substr(0, 255)},
        {"a terminated text ends at its first terminator", std::string("Hi\0there\0", 9), "Hi"},
        {"255 bytes without terminator are kept whole", long300.substr(0, 255), long300.substr(0, 255)},
        {"an empty resource gives an empty text", std::string(), ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        char message[kMessageSize];
        memset(message, '#', sizeof message);
        CopyMessageText(message, c.bytes.data(), c.bytes.size());
        EXPECT_EQ(std::string(message), c.expected);
    }
}

TEST(SceneText, StageSceneLoadsTheModulesGreetingText)
{
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC info = FindResourceA(module, MAKEINTRESOURCEA(101), "MSGTEXT");
    ASSERT_NE(info, nullptr);
    const char* bytes = static_cast<const char*>(LockResource(LoadResource(module, info)));
    size_t size = SizeofResource(module, info);
    std::string stored(bytes, size);
    if (!stored.empty() && stored.back() == '\0')
        stored = stored.c_str();
    TestScene scene("sled");
    EXPECT_EQ(std::string(scene.m_message), stored.substr(0, 255));
}

TEST(SceneText, ModuleWithoutGreetingTextGivesEmptyText)
{
    CStageScene* scene = new TestScene("sled");
    scene->m_module = GetModuleHandleA("kernel32.dll");
    strcpy(scene->m_message, "left over");
    scene->LoadMessage();
    EXPECT_STREQ(scene->m_message, "");
    delete scene;
}

TEST(SceneGeometry, FullWidthTaskbarTakesItsHeightFromTheScreen)
{
    RECT bottom = {0, 738, 1024, 768}, top = {0, 0, 1024, 30}, left = {0, 0, 60, 768}, wide = {-2, 740, 1026, 768};
    struct {
        const char* name;
        const RECT* taskbar;
        int width, height;
    } cases[] = {
        {"taskbar along the bottom", &bottom, 1024, 738},
        {"taskbar along the top", &top, 1024, 738},
        {"taskbar docked at the left", &left, 1024, 768},
        {"taskbar wider than the screen", &wide, 1024, 740},
        {"no taskbar", nullptr, 1024, 768},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        int width = 0, height = 0;
        UsableScreenSize(1024, 768, c.taskbar, &width, &height);
        EXPECT_EQ(width, c.width);
        EXPECT_EQ(height, c.height);
    }
}

TEST(SceneGeometry, SceneMeasuresTheScreen)
{
    TestScene scene("sled");
    HDC screen = GetDC(nullptr);
    int width = GetDeviceCaps(screen, HORZRES), height = GetDeviceCaps(screen, VERTRES);
    ReleaseDC(nullptr, screen);
    RECT taskbarRect;
    HWND taskbar = FindWindowA("Shell_TrayWnd", nullptr);
    int expectedWidth, expectedHeight;
    UsableScreenSize(width, height, taskbar && GetWindowRect(taskbar, &taskbarRect) ? &taskbarRect : nullptr,
                     &expectedWidth, &expectedHeight);
    EXPECT_EQ(scene.m_screenWidth, expectedWidth);
    EXPECT_EQ(scene.m_screenHeight, expectedHeight);
    EXPECT_EQ(scene.m_screenWidth, 1024);
}

TEST(SceneNames, FolderNameIsTheLastFolderOfTheSourcePath)
{
    struct {
        const char* path;
        const char* folder;
    } cases[] = {
        {"D:\\x\\downhill\\scene", "downhill"},
        {"C:\\src\\festling\\src\\downhill\\scene.cpp", "downhill"},
        {"D:\\x\\y\\scene", "UNKNOWN"},
        {"D:\\x\\ab\\scene", "ab"},
        {"scene.cpp", "UNKNOWN"},
        {"", "UNKNOWN"},
        {nullptr, "UNKNOWN"},
        {"src/downhill/scene.cpp", "UNKNOWN"},
        {"\\\\scene", "UNKNOWN"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path ? c.path : "(null)");
        char* folder = FolderNameFromPath(c.path);
        ASSERT_NE(folder, nullptr);
        EXPECT_STREQ(folder, c.folder);
        delete[] folder;
    }
}

TEST(SceneNames, StageSceneKeepsAtMost34CharactersOfItsName)
{
    TestScene scene("a-scene-name-that-is-longer-than-thirty-four-characters");
    EXPECT_EQ(strlen(scene.m_name), 34u);
    EXPECT_STREQ(scene.m_folder, "tests");
}

TEST(SceneList, SpritesAreFoundByIndexAndId)
{
    TestScene scene("sled");
    TestSprite* a = scene.Add(7, "a");
    TestSprite* b = scene.Add(9, "b");
    scene.Add(7, "c");
    EXPECT_EQ(scene.GetSpriteCount(), 3);
    EXPECT_EQ(scene.GetSprite(0), a);
    EXPECT_EQ(scene.GetSprite(1), b);
    EXPECT_EQ(scene.GetSprite(-1), nullptr);
    EXPECT_EQ(scene.GetSprite(3), nullptr);
    EXPECT_EQ(scene.FindSprite(7), a);
    EXPECT_EQ(scene.FindSprite(9), b);
    EXPECT_EQ(scene.FindSprite(8), nullptr);
    EXPECT_EQ(scene.AddSprite(nullptr), 0);
    EXPECT_EQ(scene.GetSpriteCount(), 3);
}

TEST(SceneTick, CardOpensOnlyWhenEverySpriteHasFinished)
{
    struct {
        const char* name;
        std::vector<int> phases;
        bool opensCard;
    } cases[] = {
        {"an empty scene opens the card at its first tick", {}, true},
        {"ten finished and one at 999 step all eleven", {1000, 1000, 1000, 1000, 1000, 999, 1000, 1000, 1000, 1000, 1000},
         false},
        {"one unfinished first sprite keeps the show going", {0, 1000}, false},
        {"all finished open the card and step nothing", {1000, 1000, 1000}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TestScene scene("sled");
        for (size_t i = 0; i < c.phases.size(); ++i)
            scene.Add(static_cast<int>(i), std::to_string(i).c_str())->m_phase = c.phases[i];
        Log().clear();
        EXPECT_EQ(scene.Tick(), 0);
        std::vector<std::string> expected;
        if (c.opensCard)
            expected.push_back("card sled");
        else
            for (size_t i = 0; i < c.phases.size(); ++i)
                expected.push_back("step " + std::to_string(i));
        EXPECT_EQ(Log(), expected);
    }
}

TEST(SceneTick, StepResultMovesTheSpriteBySigned16BitDeltas)
{
    struct {
        int delta;
        int dx, dy;
    } cases[] = {
        {0, 0, 0},
        {static_cast<int>(0xFFFF0001u), 1, -1},
        {0x0003FFFE, -2, 3},
        {static_cast<int>(0x80007FFFu), 32767, -32768},
    };
    for (const auto& c : cases) {
        TestScene scene("sled");
        TestSprite* sprite = scene.Add(1, "s");
        sprite->Place(100, 200, 30, 40);
        int delta = c.delta;
        sprite->m_onStep = [delta](TestSprite*) { return delta; };
        scene.Tick();
        RECT r;
        sprite->GetBounds(&r);
        EXPECT_EQ(r.left, 100 + c.dx);
        EXPECT_EQ(r.top, 200 + c.dy);
        EXPECT_EQ(r.right - r.left, 30);
        EXPECT_EQ(r.bottom - r.top, 40);
    }
}

// The real card opening: sprites hidden, each reported for repainting, then
// the modal card, which a timer closes again.
std::vector<std::pair<int, void*>> g_reports;
bool g_cardWasOpen = false;

int RecordReport(void*, int code, void* arg)
{
    g_reports.push_back({code, arg});
    return 0;
}

void CALLBACK CloseCardSoon(HWND, UINT, UINT_PTR id, DWORD)
{
    if (g_cardState.window == nullptr)
        return;
    g_cardWasOpen = true;
    KillTimer(nullptr, id);
    PostMessageA(g_cardState.window, WM_COMMAND, IDCANCEL, 0);
}

// The card's owner: it only notes that the card asked it to close.
bool g_ownerAskedToClose = false;

LRESULT CALLBACK OwnerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CLOSE) {
        g_ownerAskedToClose = true;
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

struct CardOwner {
    CardOwner()
    {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = OwnerProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "engine test card owner";
        RegisterClassA(&wc);
        m_hwnd = CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 wc.hInstance, nullptr);
    }
    ~CardOwner() { DestroyWindow(m_hwnd); }
    HWND m_hwnd;
};

TEST(SceneCard, OpenCardHidesTheSpritesHasThemRepaintedAndShowsTheCardOnce)
{
    CardOwner owner;
    ASSERT_NE(owner.m_hwnd, nullptr);
    // CStageScene's own OpenCard, not the test scene's recording one.
    struct RealCardScene : public CStageScene {
        explicit RealCardScene(HWND ownerWindow)
            : CStageScene(GetModuleHandleA(nullptr), ownerWindow, nullptr, 10, "sled", "C:\\a\\downhill\\scene")
        {
        }
        int Tick() override { return CStageScene::Tick(); }
    } scene(owner.m_hwnd);
    TestSprite* a = new TestSprite(&scene, 1, "a");
    TestSprite* b = new TestSprite(&scene, 2, "b");
    scene.AddSprite(a);
    scene.AddSprite(b);
    SetSceneCallback(&scene, 1, RecordReport);
    g_reports.clear();
    g_cardWasOpen = false;
    g_ownerAskedToClose = false;
    UINT_PTR timer = SetTimer(nullptr, 0, 100, CloseCardSoon);

    EXPECT_EQ(scene.OpenCard(), 1);
    KillTimer(nullptr, timer);
    EXPECT_TRUE(g_cardWasOpen);
    EXPECT_EQ(a->m_shown, 0);
    EXPECT_EQ(b->m_shown, 0);
    ASSERT_EQ(g_reports.size(), 2u);
    EXPECT_EQ(g_reports[0], std::make_pair(1, static_cast<void*>(a)));
    EXPECT_EQ(g_reports[1], std::make_pair(1, static_cast<void*>(b)));
    EXPECT_EQ(scene.m_cardShown, 1);

    // The second opening returns the flag at once and shows nothing.
    g_reports.clear();
    EXPECT_EQ(scene.OpenCard(), 1);
    EXPECT_TRUE(g_reports.empty());
    // The closed card asked the owner to close.
    MSG msg;
    while (PeekMessageA(&msg, owner.m_hwnd, 0, 0, PM_REMOVE))
        DispatchMessageA(&msg);
    EXPECT_TRUE(g_ownerAskedToClose);
}

TEST(SceneCard, ReportWithoutCallbackDoesNothing)
{
    TestScene scene("sled");
    scene.Add(1, "a");
    EXPECT_EQ(scene.Report(kSceneRepaintSprite, nullptr), 0);
}

} // namespace
