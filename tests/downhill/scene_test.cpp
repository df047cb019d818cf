#include "downhill/scene.h"

#include <string.h>

#include "downhill/downhill_fixture.h"
#include "downhill/tree.h"

TEST_F(DownhillTest, StageIsCentredOnTheUsableScreen)
{
    struct Case {
        int width, height, x, y;
    } cases[] = {
        {1024, 740, 192, 130},
        {640, 480, 0, 0},
        {639, 480, 0, 0},
        {600, 470, -20, -5},
        {1920, 1040, 640, 280},
    };
    for (const Case& c : cases) {
        UseScreen(c.width, c.height);
        EXPECT_EQ(scene->m_stageX, c.x) << c.width << " x " << c.height;
        EXPECT_EQ(scene->m_stageY, c.y) << c.width << " x " << c.height;
    }
}

TEST_F(DownhillTest, LaneStartLiesBeyondTheScreenOnTheLaneThroughThePoint)
{
    struct Case {
        int width, height, x0, y0, x, y;
    } cases[] = {
        {1024, 740, 259, 107, 1051, 503},  // the big tree: nine lane steps
        {1024, 740, 252, 131, 1044, 527},  // the snowman
        {1024, 740, 247, 177, 1039, 573},  // the drift
        {1024, 740, 0, 337, 880, 777},     // the lower edge ends the loop first
        {800, 600, 0, 337, 528, 601},
        {1024, 740, 1024, 10, 1024, 10},   // already at the right edge
        {1024, 740, 10, 740, 10, 740},     // already at the lower edge
        {1024, 740, 2000, 2000, 2000, 2000},
    };
    for (const Case& c : cases) {
        UseScreen(c.width, c.height);
        POINT p = scene->LaneStart(c.x0, c.y0);
        EXPECT_EQ(p.x, c.x) << c.x0 << "," << c.y0 << " on " << c.width << " x " << c.height;
        EXPECT_EQ(p.y, c.y) << c.x0 << "," << c.y0 << " on " << c.width << " x " << c.height;
    }
}

TEST_F(DownhillTest, ActorsAreListedSledFirstAndBubbleLast)
{
    const int listOrder[] = {3, 5, 6, 7, 10, 9, 11, 2, 8, 4, 1};
    ASSERT_EQ(scene->GetSpriteCount(), 11);
    for (int i = 0; i < 11; ++i)
        EXPECT_EQ(scene->GetSprite(i)->m_id, listOrder[i]) << "list position " << i;

    // Only the title card plays from the start; the bubble exists but is hidden.
    for (int i = 0; i < 11; ++i) {
        const CSprite* actor = scene->GetSprite(i);
        EXPECT_EQ(actor->m_phase, actor->m_id == kTitleCardId ? 1 : 0) << "actor " << actor->m_id;
        EXPECT_EQ(actor->m_shown, actor->m_id == kTitleCardId ? 1 : 0) << "actor " << actor->m_id;
    }
    CSprite* bubble = scene->FindSprite(kBubbleId);
    ASSERT_NE(bubble, nullptr);
    EXPECT_EQ(bubble->IsShown(), 0);
}

TEST_F(DownhillTest, SceneIsNamedSledInFolderDownhill)
{
    EXPECT_STREQ(scene->m_name, "sled");
    EXPECT_STREQ(scene->m_folder, "downhill");
}

TEST(DownhillSourcePath, FolderComesOutWhateverTheSeparators)
{
    const char* paths[] = {
        "/work/festling/src/downhill/scene.cpp",
        "C:\\work\\festling\\src\\downhill\\scene.cpp",
        "C:/work/festling/src\\downhill/scene.cpp",
        "../../src/downhill/scene.cpp",
        "downhill/scene.cpp",
        "downhill\\scene",
    };
    for (const char* path : paths) {
        char normal[260];
        CDownhillScene::SourcePathForFolder(path, normal, sizeof normal);
        EXPECT_EQ(strchr(normal, '/'), nullptr) << path;
        CStageScene stage(GetModuleHandleA(nullptr), nullptr, nullptr, 10, "sled", normal);
        EXPECT_STREQ(stage.m_folder, "downhill") << path;
    }
}

TEST(DownhillSourcePath, LongPathKeepsItsEnd)
{
    char path[600];
    memset(path, 'a', sizeof path);
    path[0] = '/';
    path[300] = '/';
    strcpy(path + 560, "/downhill/scene.cpp");
    char normal[260];
    memset(normal, '#', sizeof normal);
    CDownhillScene::SourcePathForFolder(path, normal, 200);
    EXPECT_EQ(normal[200], '#') << "wrote past the buffer";
    EXPECT_LT(strlen(normal), 200u);
    EXPECT_STREQ(normal + strlen(normal) - strlen("\\downhill\\scene.cpp"), "\\downhill\\scene.cpp");
}

TEST_F(DownhillTest, SendPhaseReachesTheActorAtOnceAndIgnoresUnknownIds)
{
    scene->SendPhase(kSledId, 1);
    EXPECT_EQ(Actor(kSledId)->m_phase, 1);
    EXPECT_EQ(Actor(kSledId)->m_shown, 1);
    scene->SendPhase(99, 1);
    scene->SendPhase(0, 1);
    for (int i = 0; i < scene->GetSpriteCount(); ++i) {
        const CSprite* actor = scene->GetSprite(i);
        if (actor->m_id != kSledId)
            EXPECT_EQ(actor->m_phase, actor->m_id == kTitleCardId ? 1 : 0) << "actor " << actor->m_id;
    }
}

TEST_F(DownhillTest, PlaceAtRecordAddsTheStageOrigin)
{
    CAnimSprite* sled = Actor(kSledId);
    scene->PlaceAtRecord(sled, 2);
    EXPECT_EQ(sled->m_rect.left, 192 + 254);
    EXPECT_EQ(sled->m_rect.top, 130 + 108);
    EXPECT_EQ(sled->m_rect.right, 192 + 254 + 156);
    EXPECT_EQ(sled->m_rect.bottom, 130 + 108 + 181);
}

TEST_F(DownhillTest, TitleCardHandsOverAtStepFifty)
{
    Ticks(49);
    EXPECT_EQ(Actor(kTitleCardId)->m_phase, 1);
    EXPECT_EQ(Actor(kTitleCardId)->m_shown, 1);
    for (int id : {kSledId, kMenuSignId, kUpperLaneId, kLowerLaneId})
        EXPECT_EQ(Actor(id)->m_phase, 0) << "actor " << id;

    Ticks(1);
    EXPECT_EQ(Actor(kTitleCardId)->m_phase, 2);
    EXPECT_EQ(Actor(kTitleCardId)->m_shown, 0);
    EXPECT_EQ(Actor(kSledId)->m_phase, 1);
    EXPECT_EQ(Actor(kSledId)->m_shown, 1);
    EXPECT_EQ(Actor(kMenuSignId)->m_phase, 1);
    EXPECT_EQ(Actor(kMenuSignId)->m_shown, 1);
    // The lanes wait, hidden, for their next Step to start a pass.
    EXPECT_EQ(Actor(kUpperLaneId)->m_phase, 1);
    EXPECT_EQ(Actor(kLowerLaneId)->m_phase, 2);
    EXPECT_EQ(Actor(kUpperLaneId)->m_shown, 0);

    // Next tick: the upper lane draws its tree before the lower lane.
    srand(kSeed);
    int upper = rand() % 3;
    int lower = rand() % 3;
    srand(kSeed);
    Ticks(1);
    EXPECT_EQ(Actor<CTree>(kUpperLaneId)->m_treeIndex, upper);
    EXPECT_EQ(Actor<CTree>(kLowerLaneId)->m_treeIndex, lower);
    EXPECT_EQ(Actor(kUpperLaneId)->m_phase, 3);
    EXPECT_EQ(Actor(kLowerLaneId)->m_phase, 4);
    EXPECT_EQ(Actor(kSledId)->m_frame, 1);
}

namespace {

HWND MakeMessageWindow()
{
    return CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, GetModuleHandleA(nullptr),
                           nullptr);
}

// The right click that an actor posted to the window, if any.
bool TakePostedRightClick(HWND hwnd, WPARAM* wParam, LPARAM* lParam)
{
    MSG msg;
    bool found = false;
    while (PeekMessageA(&msg, hwnd, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_RBUTTONDOWN) {
            found = true;
            *wParam = msg.wParam;
            *lParam = msg.lParam;
        }
    }
    return found;
}

} // namespace

TEST_F(DownhillTest, LeftClickOpensTheCardOnlyOnceTheMessageIsShown)
{
    HWND hwnd = MakeMessageWindow();
    ASSERT_NE(hwnd, nullptr);
    // Away from the signpost's boards, so the sign only applies the click rule.
    SetCursorPos(0, 0);
    const LPARAM point = MAKELPARAM(17, 23);
    for (int i = 0; i < scene->GetSpriteCount(); ++i) {
        CSprite* actor = scene->GetSprite(i);
        WPARAM w = 0;
        LPARAM l = 0;
        g_messageShown = 0;
        actor->OnMouse(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, point);
        EXPECT_FALSE(TakePostedRightClick(hwnd, &w, &l)) << "actor " << actor->m_id << " before the message";

        g_messageShown = 1;
        for (UINT other : {WM_MOUSEMOVE, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_KEYDOWN}) {
            actor->OnMouse(hwnd, other, MK_LBUTTON, point);
            EXPECT_FALSE(TakePostedRightClick(hwnd, &w, &l)) << "actor " << actor->m_id << " message " << other;
        }
        actor->OnMouse(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, point);
        bool posted = TakePostedRightClick(hwnd, &w, &l);
        if (actor->m_id == kBubbleId) {
            EXPECT_FALSE(posted) << "the bubble has no click rule";
            continue;
        }
        EXPECT_TRUE(posted) << "actor " << actor->m_id;
        EXPECT_EQ(w, static_cast<WPARAM>(MK_LBUTTON)) << "actor " << actor->m_id;
        EXPECT_EQ(l, point) << "actor " << actor->m_id;
    }
    DestroyWindow(hwnd);
}
