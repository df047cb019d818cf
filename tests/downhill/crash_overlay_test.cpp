#include "downhill/crash_overlay.h"

#include "downhill/downhill_fixture.h"

TEST_F(DownhillTest, HeadLooksAboutBurstsAndMakesTheSledWave)
{
    CAnimSprite* overlay = Actor(kOverlayId);
    CAnimSprite* sled = Actor(kSledId);
    sled->SetPhase(1);
    overlay->SetPhase(1);
    EXPECT_EQ(g_headOnSled, 1);
    EXPECT_EQ(overlay->m_shown, 1);
    EXPECT_STAGE_AT(overlay, 253, 98);
    EXPECT_EQ(overlay->m_rect.right - overlay->m_rect.left, 141);
    EXPECT_EQ(overlay->m_rect.bottom - overlay->m_rect.top, 120);

    const int lookingAbout[] = {4, 3, 2, 3, 2, 3};  // Steps 40 to 45
    for (int step = 1; step <= 48; ++step) {
        overlay->Step();
        int expected;
        if (step < 30)
            expected = step % 2;
        else if (step < 40)
            expected = 2 + step % 2;
        else if (step < 46)
            expected = lookingAbout[step - 40];
        else
            expected = 5 + step - 46;
        EXPECT_EQ(overlay->m_frame, expected) << "Step " << step;
        EXPECT_EQ(sled->m_phase, step < 46 ? 1 : 2) << "Step " << step;
        EXPECT_EQ(g_headOnSled, step < 46 ? 1 : 0) << "Step " << step;
    }
    overlay->Step();
    EXPECT_EQ(overlay->m_phase, 0);
    EXPECT_EQ(overlay->m_shown, 0);
}

TEST_F(DownhillTest, LegsKickWithoutEnd)
{
    CAnimSprite* overlay = Actor(kOverlayId);
    overlay->SetPhase(2);
    EXPECT_STAGE_AT(overlay, 347, 151);
    EXPECT_EQ(overlay->m_rect.right - overlay->m_rect.left, 88);
    EXPECT_EQ(overlay->m_rect.bottom - overlay->m_rect.top, 39);
    EXPECT_EQ(overlay->m_shown, 1);
    for (int step = 1; step <= 200; ++step) {
        overlay->Step();
        ASSERT_EQ(overlay->m_frame, step % 2) << "Step " << step;
    }
    EXPECT_EQ(overlay->m_phase, 2);
}

TEST_F(DownhillTest, DriftDuringTheHeadLeavesTheHeadFlagSet)
{
    Ticks(50);
    scene->SendPhase(kObstacleId, 1);
    Ticks(10);
    ASSERT_EQ(Actor(kOverlayId)->m_phase, 1);
    // Board 4 while the head rests on the sled.
    scene->SendPhase(kObstacleId, 2);
    Ticks(12);
    EXPECT_EQ(Actor(kOverlayId)->m_phase, 2);
    EXPECT_EQ(g_headOnSled, 1);
}
