#include "downhill/snowball_girl.h"

#include "downhill/downhill_fixture.h"

TEST_F(DownhillTest, GirlStartsAsManyLaneStepsAwayAsTheBoyCounted)
{
    const int counts[] = {3, 8, 20};
    for (int n : counts) {
        g_fightSteps = n;
        scene->SendPhase(kGirlId, 1);
        CAnimSprite* girl = Actor(kGirlId);
        EXPECT_STAGE_AT(girl, 115 + 88 * n, 258 + 44 * n);
        for (int i = 0; i < n; ++i)
            girl->Step();
        EXPECT_STAGE_AT(girl, 115, 258);
        EXPECT_EQ(girl->m_phase, 1);
        girl->Step();
        EXPECT_EQ(girl->m_phase, 2) << "she arrives after exactly " << n << " moves";
    }
}

TEST_F(DownhillTest, GirlFallsThenLeavesByTheScreenNotTheStage)
{
    // On a large screen the stage origin is far from the screen's corner: she
    // goes on past the stage origin until she is off the screen.
    UseScreen(1920, 1040);
    CAnimSprite* girl = Actor(kGirlId);
    g_fightSteps = 3;
    girl->SetPhase(1);
    for (int i = 0; i < 3 + 1 + 14; ++i)
        girl->Step();
    EXPECT_EQ(girl->m_phase, 3);
    EXPECT_EQ(girl->m_frame, 3);
    int moves = 0;
    while (girl->m_phase == 3 && moves < 100) {
        girl->Step();
        ++moves;
    }
    // From screen (755, 538)-(895, 712): 17 moves bring the bottom to 0 or
    // above, and the next Step finds her gone.
    EXPECT_EQ(moves, 17 + 1);
    EXPECT_EQ(girl->m_phase, 0);
    EXPECT_LE(girl->m_rect.bottom, 0);
    EXPECT_LE(girl->m_rect.right, 0);
}
