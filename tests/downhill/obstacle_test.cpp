#include "downhill/obstacle.h"

#include <vector>

#include "downhill/downhill_fixture.h"

namespace {

class ObstacleTest : public DownhillTest {
protected:
    CObstacle* obstacle() { return Actor<CObstacle>(kObstacleId); }
};

} // namespace

TEST_F(ObstacleTest, SnowmanBurstsAtTheSledAndSendsTheHeadAtFrameTwo)
{
    scene->SendPhase(kObstacleId, 1);
    EXPECT_STAGE_AT(obstacle(), 1044, 527);
    EXPECT_EQ(obstacle()->m_rect.right - obstacle()->m_rect.left, 246);
    EXPECT_EQ(obstacle()->m_rect.bottom - obstacle()->m_rect.top, 201);

    // Nine lane Steps bring it to the sled; frame 1 is the hit.
    Ticks(8);
    EXPECT_EQ(obstacle()->m_frame, 0);
    Ticks(1);
    EXPECT_STAGE_AT(obstacle(), 252, 131);
    EXPECT_EQ(obstacle()->m_frame, 1);
    EXPECT_EQ(Actor(kOverlayId)->m_phase, 0);

    // Frame 2: the head is sent and, stepped later in the list, takes its
    // first Step in the same tick.
    Ticks(1);
    EXPECT_EQ(obstacle()->m_frame, 2);
    EXPECT_EQ(Actor(kOverlayId)->m_phase, 1);
    EXPECT_EQ(Actor(kOverlayId)->m_ticks, 1);
    EXPECT_EQ(g_headOnSled, 1);

    const int frames[] = {3, 4, 5, 5, 5};
    for (int frame : frames) {
        Ticks(1);
        EXPECT_EQ(obstacle()->m_frame, frame);
        EXPECT_EQ(Actor(kOverlayId)->m_phase, 1) << "the head was sent again";
    }
}

TEST_F(ObstacleTest, BrokenSnowmanStopsOnceWhollyOffTheScreen)
{
    scene->SendPhase(kObstacleId, 1);
    // From stage (252, 131) its right edge, at screen 690, needs eight more
    // lane Steps to reach 0.
    Ticks(9 + 7);
    EXPECT_EQ(obstacle()->m_phase, 1);
    EXPECT_EQ(obstacle()->m_shown, 1);
    EXPECT_GT(obstacle()->m_rect.right, 0);
    Ticks(1);
    EXPECT_EQ(obstacle()->m_phase, 0);
    EXPECT_EQ(obstacle()->m_shown, 0);
    const RECT stopped = obstacle()->m_rect;
    EXPECT_LE(stopped.right, 0);

    // However long the run, it stays where it stopped.
    Ticks(1000);
    EXPECT_EQ(obstacle()->m_rect.left, stopped.left);
    EXPECT_EQ(obstacle()->m_rect.top, stopped.top);
    EXPECT_EQ(obstacle()->m_shown, 0);

    // Board 3 brings a new snowman, board 4 the drift.
    scene->SendPhase(kObstacleId, 1);
    EXPECT_STAGE_AT(obstacle(), 1044, 527);
    scene->SendPhase(kObstacleId, 2);
    EXPECT_STAGE_AT(obstacle(), 1039, 573);
}

TEST_F(ObstacleTest, SnowmanWithoutLaneStepsHitsOnItsFirstMove)
{
    // The start is already beyond the right edge: no lane step is made.
    UseScreen(250, 480);
    scene->SendPhase(kObstacleId, 1);
    EXPECT_STAGE_AT(obstacle(), 252, 131);
    obstacle()->Step();
    EXPECT_EQ(obstacle()->m_frame, 1);
    obstacle()->Step();
    EXPECT_EQ(obstacle()->m_frame, 2);
    EXPECT_EQ(Actor(kOverlayId)->m_phase, 1);
}

TEST_F(ObstacleTest, DriftStopsTheSledAndShowsTheMessageAtStepThirty)
{
    Ticks(50);
    // Board 4: the drift is sent, the sign hides.
    scene->SendPhase(kObstacleId, 2);
    Actor(kMenuSignId)->SetPhase(0);
    EXPECT_STAGE_AT(obstacle(), 1039, 573);
    EXPECT_EQ(obstacle()->m_rect.right - obstacle()->m_rect.left, 293);
    EXPECT_EQ(obstacle()->m_rect.bottom - obstacle()->m_rect.top, 130);

    Ticks(9);
    EXPECT_STAGE_AT(obstacle(), 247, 177);
    EXPECT_EQ(g_driftReached, 0);
    EXPECT_EQ(g_sceneryPaused, 0);

    Ticks(1);  // Step 10: the crash
    EXPECT_EQ(g_driftReached, 1);
    EXPECT_EQ(g_sceneryPaused, 1);
    EXPECT_EQ(Actor(kSledId)->m_phase, 6);
    EXPECT_STAGE_AT(Actor(kSledId), 232, 137);

    Ticks(1);  // the sled's first Step ploughs in
    EXPECT_EQ(Actor(kSledId)->m_frame, 1);
    EXPECT_EQ(Actor(kOverlayId)->m_phase, 0);
    Ticks(1);  // its second calls the legs and hides it
    EXPECT_EQ(Actor(kSledId)->m_phase, 0);
    EXPECT_EQ(Actor(kSledId)->m_shown, 0);
    EXPECT_EQ(Actor(kOverlayId)->m_phase, 2);
    EXPECT_STAGE_AT(Actor(kOverlayId), 347, 151);

    // The trees stand still from the tick after the crash.
    POINT upper = StagePos(Actor(kUpperLaneId));
    Ticks(17);  // Step 29
    EXPECT_EQ(g_messageShown, 0);
    EXPECT_STAGE_AT(Actor(kUpperLaneId), upper.x, upper.y);
    Ticks(1);  // Step 30
    EXPECT_EQ(g_messageShown, 1);
    EXPECT_STAGE_AT(obstacle(), 247, 177);

    // The drift stands for good.
    Ticks(100);
    EXPECT_EQ(obstacle()->m_phase, 2);
    EXPECT_STAGE_AT(obstacle(), 247, 177);
    EXPECT_EQ(Actor(kSledId)->m_phase, 0);
}

TEST_F(ObstacleTest, DriftCrashesOncePerRun)
{
    scene->SendPhase(kObstacleId, 2);
    Ticks(12);
    ASSERT_EQ(g_driftReached, 1);
    g_sceneryPaused = 0;
    scene->SendPhase(kSledId, 1);
    scene->SendPhase(kObstacleId, 2);
    Ticks(12);
    EXPECT_EQ(g_sceneryPaused, 0);
    EXPECT_EQ(Actor(kSledId)->m_phase, 1);
}

TEST_F(ObstacleTest, MessageComesAtStepThirtyEvenIfTheDriftIsStillComing)
{
    // 41 lane Steps from the right edge of a very wide screen.
    UseScreen(3840, 2120);
    scene->SendPhase(kObstacleId, 2);
    for (int i = 0; i < 29; ++i)
        obstacle()->Step();
    EXPECT_EQ(g_messageShown, 0);
    obstacle()->Step();
    EXPECT_EQ(g_messageShown, 1);
    EXPECT_STAGE_AT(obstacle(), 247 + 11 * 88, 177 + 11 * 44);
    EXPECT_EQ(g_driftReached, 0);
}

namespace {

// Counts the dark pixels of a memory DC inside and outside a rectangle.
void CountDark(HDC dc, int width, int height, const RECT& box, int* inside, int* outside)
{
    *inside = *outside = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            COLORREF c = GetPixel(dc, x, y);
            if (GetRValue(c) + GetGValue(c) + GetBValue(c) >= 3 * 128)
                continue;
            POINT p = {x, y};
            ++*(PtInRect(&box, p) ? inside : outside);
        }
    }
}

} // namespace

TEST_F(ObstacleTest, MessageIsWrittenInItsBoxOnlyOnceShown)
{
    CObstacle* drift = obstacle();
    scene->SendPhase(kObstacleId, 2);
    // A plain white drift picture, so only the message can be dark.
    HDC screen = GetDC(nullptr);
    HBITMAP white = CreateCompatibleBitmap(screen, 293, 130);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP canvas = CreateCompatibleBitmap(screen, 320, 160);
    ReleaseDC(nullptr, screen);
    HGDIOBJ oldCanvas = SelectObject(dc, white);
    PatBlt(dc, 0, 0, 293, 130, WHITENESS);
    SelectObject(dc, canvas);
    HBITMAP loaded = drift->m_image;
    drift->m_image = white;
    drift->m_columns = 1;
    const RECT src = {0, 0, 293, 130};
    const RECT dst = {10, 20, 303, 150};
    drift->SetDrawRects(&src, &dst);
    RECT box = CObstacle::kMessageBox;
    OffsetRect(&box, dst.left, dst.top);

    struct Case {
        int messageShown, driftShown, written;
    } cases[] = {
        {0, 1, 0},  // before its time
        {1, 1, 1},
        {1, 0, 0},  // a hidden drift shows nothing, its message neither
    };
    for (const Case& c : cases) {
        g_messageShown = c.messageShown;
        drift->SetShown(c.driftShown);
        PatBlt(dc, 0, 0, 320, 160, WHITENESS);
        drift->Draw(dc, &dst);
        int inside = 0, outside = 0;
        CountDark(dc, 320, 160, box, &inside, &outside);
        EXPECT_EQ(outside, 0) << "message " << c.messageShown << ", drift " << c.driftShown;
        if (c.written)
            EXPECT_GT(inside, 20) << "no message was written";
        else
            EXPECT_EQ(inside, 0) << "message " << c.messageShown << ", drift " << c.driftShown;
    }

    drift->m_image = loaded;
    SelectObject(dc, oldCanvas);
    DeleteDC(dc);
    DeleteObject(canvas);
    DeleteObject(white);
}
