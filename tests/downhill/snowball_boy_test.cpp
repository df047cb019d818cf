#include "downhill/snowball_boy.h"

#include "downhill/downhill_fixture.h"

namespace {

class SnowballFightTest : public DownhillTest {
protected:
    void SetUp() override
    {
        DownhillTest::SetUp();
        Ticks(50);
        g_headOnSled = 1;  // no chance wave: the sled's phases below are the fight's
        // Board 2.
        scene->SendPhase(kBoyId, 1);
        scene->SendPhase(kGirlId, 1);
    }

    CAnimSprite* boy() { return Actor(kBoyId); }
    CAnimSprite* girl() { return Actor(kGirlId); }
};

} // namespace

TEST_F(SnowballFightTest, BoyAndGirlStartSoAsToArriveTogether)
{
    EXPECT_STAGE_AT(boy(), 1102, 491);
    EXPECT_EQ(g_fightSteps, 8);
    EXPECT_EQ(g_boyCalled, 0);
    EXPECT_STAGE_AT(girl(), 819, 610);
    EXPECT_EQ(boy()->m_shown, 1);
    EXPECT_EQ(girl()->m_shown, 1);

    for (int move = 1; move <= 8; ++move) {
        Ticks(1);
        EXPECT_STAGE_AT(boy(), 1102 - 88 * move, 491 - 44 * move);
        EXPECT_STAGE_AT(girl(), 819 - 88 * move, 610 - 44 * move);
    }
    EXPECT_STAGE_AT(boy(), 398, 139);
    EXPECT_STAGE_AT(girl(), 115, 258);
    EXPECT_EQ(boy()->m_phase, 1);
    EXPECT_EQ(girl()->m_phase, 1);

    // Tick A: the boy calls the sled; the girl starts throwing.
    Ticks(1);
    EXPECT_EQ(Actor(kSledId)->m_phase, 7);
    EXPECT_EQ(g_boyCalled, 1);
    EXPECT_EQ(boy()->m_phase, 1);
    EXPECT_EQ(girl()->m_phase, 2);
    EXPECT_STAGE_AT(boy(), 398, 139);
}

TEST_F(SnowballFightTest, BoyPausesTheSceneryWhileHeThrowsAndIsHit)
{
    Ticks(9);  // to tick A
    Ticks(1);  // A + 1
    EXPECT_EQ(boy()->m_phase, 2);
    EXPECT_EQ(g_sceneryPaused, 1);

    // The trees were stepped before the boy paused them, so they stand still
    // from A + 2 on.
    const int boyFrames[] = {0, 0, 0, 0, 0, 0, 1, 2, 3, 4, 5, 5};
    const int girlFrames[] = {0, 0, 0, 0, 0, 1, 1, 2, 3, 3, 3, 3};
    POINT trees[2] = {};
    for (int i = 0; i < 12; ++i) {
        Ticks(1);  // A + 2 .. A + 13
        EXPECT_EQ(boy()->m_frame, boyFrames[i]) << "boy Step " << i + 1;
        EXPECT_EQ(girl()->m_frame, girlFrames[i]) << "girl Step " << i + 2;
        EXPECT_EQ(g_sceneryPaused, 1);
        for (int lane = 0; lane < 2; ++lane) {
            POINT now = StagePos(Actor(kUpperLaneId + lane));
            if (i > 0)
                EXPECT_TRUE(now.x == trees[lane].x && now.y == trees[lane].y) << "lane " << lane << " moved";
            trees[lane] = now;
        }
        // The sled rides on for two Steps, then is hit for ten.
        int sledStep = i + 2;
        EXPECT_EQ(Actor(kSledId)->m_phase, sledStep < 3 ? 7 : (sledStep < 13 ? 5 : 1)) << "tick A + " << sledStep;
    }

    // A + 14: both tables end in the same tick.
    Ticks(1);
    EXPECT_EQ(boy()->m_phase, 3);
    EXPECT_EQ(boy()->m_frame, 3);
    EXPECT_EQ(girl()->m_phase, 3);
    EXPECT_EQ(girl()->m_frame, 3);
    EXPECT_EQ(g_sceneryPaused, 0);
}

TEST_F(SnowballFightTest, BothLeaveOverTheScreenCornerAndTheGirlRestartsTheLanes)
{
    Ticks(23);  // to A + 14
    ASSERT_EQ(boy()->m_phase, 3);

    // The boy needs nine moves to be wholly above and left of the screen.
    Ticks(9);
    EXPECT_EQ(boy()->m_phase, 3);
    EXPECT_STAGE_AT(boy(), 398 - 9 * 88, 139 - 9 * 44);
    Ticks(1);
    EXPECT_EQ(boy()->m_phase, 0);
    EXPECT_EQ(boy()->m_shown, 0);
    EXPECT_LE(boy()->m_rect.right, 0);
    EXPECT_LE(boy()->m_rect.bottom, 0);

    // The girl, reaching further down, needs thirteen. Pretend the drift had
    // stopped the scenery meanwhile: she sets it going again.
    g_sceneryPaused = 1;
    Ticks(3);
    EXPECT_EQ(girl()->m_phase, 3);
    EXPECT_EQ(girl()->m_shown, 1);
    Ticks(1);
    EXPECT_EQ(girl()->m_phase, 0);
    EXPECT_EQ(girl()->m_shown, 0);
    EXPECT_EQ(g_sceneryPaused, 0);
    EXPECT_EQ(Actor(kUpperLaneId)->m_phase, 1);
    EXPECT_EQ(Actor(kLowerLaneId)->m_phase, 2);
}

TEST_F(SnowballFightTest, BoardTwoAgainRestartsBothAndKeepsThePauseUntilTheBoyIsDone)
{
    Ticks(11);  // the boy is throwing; scenery paused
    ASSERT_EQ(boy()->m_phase, 2);
    scene->SendPhase(kBoyId, 1);
    scene->SendPhase(kGirlId, 1);
    EXPECT_STAGE_AT(boy(), 1102, 491);
    EXPECT_STAGE_AT(girl(), 819, 610);
    EXPECT_EQ(g_sceneryPaused, 1);
    Ticks(10);
    EXPECT_EQ(g_sceneryPaused, 1);
    EXPECT_EQ(boy()->m_phase, 2);
}

TEST_F(DownhillTest, BoyCountsLaneStepsOnOtherScreens)
{
    struct Case {
        int width, height, steps, x, y;
    } cases[] = {
        {640, 480, 3, 662, 271},     // the start is already off the stage
        {800, 600, 5, 838, 359},
        {1920, 1040, 18, 1982, 931}, // the right edge ends the loop
    };
    for (const Case& c : cases) {
        UseScreen(c.width, c.height);
        scene->SendPhase(kBoyId, 1);
        EXPECT_EQ(g_fightSteps, c.steps) << c.width << " x " << c.height;
        EXPECT_STAGE_AT(Actor(kBoyId), c.x, c.y);
    }
}
