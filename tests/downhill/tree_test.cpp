#include "downhill/tree.h"

#include "downhill/downhill_fixture.h"

namespace {

class TreeTest : public DownhillTest {
protected:
    CTree* tree(int id) { return Actor<CTree>(id); }
};

} // namespace

TEST_F(TreeTest, LanesStartBeyondTheScreenByPicture)
{
    // Stage start points on 1024 x 740, by picture: a fir, two firs, a small fir.
    struct Case {
        int id, phase;
        POINT start[3];
    } cases[] = {
        {kUpperLaneId, 1, {{1104, 372}, {1104, 372}, {1104, 372}}},
        // Lower lane from (0, 337), (0, 341) and (0, 408): the lower edge ends the loop.
        {kLowerLaneId, 2, {{880, 777}, {880, 781}, {704, 760}}},
    };
    for (const Case& c : cases) {
        bool seen[3] = {};
        for (int pass = 0; pass < 40; ++pass) {
            tree(c.id)->SetPhase(c.phase);
            EXPECT_EQ(tree(c.id)->m_shown, 0);
            tree(c.id)->Step();
            int index = tree(c.id)->m_treeIndex;
            ASSERT_GE(index, 0);
            ASSERT_LT(index, 3);
            seen[index] = true;
            EXPECT_EQ(tree(c.id)->m_phase, c.phase + 2);
            EXPECT_EQ(tree(c.id)->m_shown, 1);
            EXPECT_STAGE_AT(tree(c.id), c.start[index].x, c.start[index].y);
        }
        EXPECT_TRUE(seen[0] && seen[1] && seen[2]) << "lane " << c.id << " never chose some picture";
    }
}

TEST_F(TreeTest, PassEndsPastTheStageOriginAndTheNextFollowsAfterOneHiddenStep)
{
    CTree* t = tree(kUpperLaneId);
    t->SetPhase(1);
    t->Step();
    AnimRecord first = t->m_records[t->m_treeIndex];
    int steps = 0;
    while (t->m_phase == 3 && steps < 100) {
        POINT before = StagePos(t);
        t->Step();
        ++steps;
        if (t->m_phase == 3) {
            POINT after = StagePos(t);
            ASSERT_EQ(after.x, before.x - 88);
            ASSERT_EQ(after.y, before.y - 44);
            ASSERT_EQ(t->m_shown, 1);
        }
    }
    ASSERT_EQ(t->m_phase, 1) << "the pass never ended";
    EXPECT_EQ(t->m_shown, 0);
    // It ended on the first Step that took it wholly above and left of the origin.
    int x = first.x - steps * 88, y = first.y - steps * 44;
    EXPECT_TRUE(x < -first.width && y < -first.height);
    EXPECT_FALSE(x + 88 < -first.width && y + 44 < -first.height);

    t->Step();
    EXPECT_EQ(t->m_phase, 3);
    EXPECT_EQ(t->m_shown, 1);
    EXPECT_STAGE_AT(t, 1104, 372);
}

TEST_F(TreeTest, PausedSceneryFreezesTreesAndKeepsLeftOnesHidden)
{
    CTree* upper = tree(kUpperLaneId);
    CTree* lower = tree(kLowerLaneId);
    upper->SetPhase(1);
    upper->Step();
    upper->Step();
    // The lower tree has just gone past the origin.
    lower->SetPhase(2);
    lower->Step();
    AnimRecord& r = lower->m_records[lower->m_treeIndex];
    r.x = -r.width - 1;
    r.y = -r.height - 1;

    g_sceneryPaused = 1;
    lower->Step();
    EXPECT_EQ(lower->m_phase, 4) << "no new pass while paused";
    EXPECT_EQ(lower->m_shown, 0);
    POINT frozen = StagePos(upper);
    for (int i = 0; i < 10; ++i) {
        upper->Step();
        lower->Step();
    }
    EXPECT_STAGE_AT(upper, frozen.x, frozen.y);
    EXPECT_EQ(upper->m_shown, 1);
    EXPECT_EQ(lower->m_phase, 4);
    EXPECT_EQ(lower->m_shown, 0);

    g_sceneryPaused = 0;
    upper->Step();
    EXPECT_STAGE_AT(upper, frozen.x - 88, frozen.y - 44);
    lower->Step();
    EXPECT_EQ(lower->m_phase, 2);
    lower->Step();
    EXPECT_EQ(lower->m_phase, 4);
    EXPECT_EQ(lower->m_shown, 1);
}

TEST_F(TreeTest, BigTreePutsTheBearOnAndTakesItOffAlternately)
{
    Ticks(50);  // the ride has begun
    g_headOnSled = 1;  // no chance wave gets in the way of the phases below
    CTree* big = tree(kBigTreeId);
    scene->SendPhase(kBigTreeId, 5);
    EXPECT_EQ(big->m_phase, 6);
    EXPECT_EQ(big->m_treeIndex, 3);
    EXPECT_STAGE_AT(big, 1051, 503);
    EXPECT_EQ(big->m_rect.right - big->m_rect.left, 151);

    // Nine lane Steps to the sled's point.
    Ticks(8);
    EXPECT_EQ(Actor(kSledId)->m_phase, 1);
    Ticks(1);
    EXPECT_STAGE_AT(big, 259, 107);
    EXPECT_EQ(Actor(kSledId)->m_phase, 3);
    EXPECT_EQ(big->m_bearAboard, 1);

    // The tree goes on and leaves; the sled calls it back after the ride, and
    // the tree, stepped after the sled, takes its first Step in that tick.
    Ticks(31);
    EXPECT_EQ(Actor(kSledId)->m_phase, 3);
    EXPECT_EQ(big->m_phase, 0);
    EXPECT_EQ(big->m_shown, 0);
    Ticks(1);
    EXPECT_EQ(Actor(kSledId)->m_phase, 4);
    EXPECT_EQ(big->m_phase, 6);
    EXPECT_STAGE_AT(big, 963, 459);

    // The second crossing takes the bear off.
    Ticks(7);
    EXPECT_EQ(big->m_bearAboard, 1);
    Ticks(1);
    EXPECT_STAGE_AT(big, 259, 107);
    EXPECT_EQ(big->m_bearAboard, 0);
    EXPECT_EQ(Actor(kSledId)->m_phase, 1);
    Ticks(1);
    EXPECT_EQ(Actor(kSledId)->m_phase, 1);
    EXPECT_EQ(Actor(kSledId)->m_ticks, 1);
}

TEST_F(TreeTest, BigTreeStandingOnTheCrossingSignalsEveryStep)
{
    CTree* big = tree(kBigTreeId);
    big->SetPhase(5);
    for (int i = 0; i < 8; ++i)
        big->Step();
    g_sceneryPaused = 1;
    big->m_records[3].x = 259;
    big->m_records[3].y = 107;
    const int expected[] = {3, 1, 3, 1};
    for (int phase : expected) {
        Actor(kSledId)->SetPhase(0);
        big->Step();
        EXPECT_EQ(Actor(kSledId)->m_phase, phase);
    }
    EXPECT_EQ(big->m_phase, 6);
}

TEST_F(TreeTest, SecondClickOnBoardOneKeepsTheBearFlag)
{
    CTree* big = tree(kBigTreeId);
    scene->SendPhase(kBigTreeId, 5);
    for (int i = 0; i < 9; ++i)
        big->Step();
    EXPECT_EQ(big->m_bearAboard, 1);
    scene->SendPhase(kBigTreeId, 5);
    EXPECT_EQ(big->m_bearAboard, 1);
    Actor(kSledId)->SetPhase(4);
    for (int i = 0; i < 9; ++i)
        big->Step();
    EXPECT_EQ(Actor(kSledId)->m_phase, 1) << "the next crossing takes the bear off";
}
