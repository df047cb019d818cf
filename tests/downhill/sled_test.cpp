#include "downhill/sled.h"

#include <vector>

#include "downhill/downhill_fixture.h"

namespace {

class SledTest : public DownhillTest {
protected:
    CAnimSprite* sled() { return Actor(kSledId); }

    // Steps only the sled, as the scene would, and returns the frames shown.
    std::vector<int> StepFrames(int count)
    {
        std::vector<int> frames;
        for (int i = 0; i < count; ++i) {
            sled()->Step();
            frames.push_back(sled()->m_frame);
        }
        return frames;
    }
};

} // namespace

TEST_F(SledTest, EachPhaseStandsOnItsRecord)
{
    struct Case {
        int phase, x, y, width, height, shown;
    } cases[] = {
        {0, 250, 154, 160, 135, 0}, {1, 250, 154, 160, 135, 1}, {2, 250, 122, 160, 167, 1},
        {3, 254, 108, 156, 181, 1}, {5, 250, 147, 160, 142, 1}, {6, 232, 137, 156, 113, 1},
        {7, 250, 154, 160, 135, 1},
    };
    for (const Case& c : cases) {
        sled()->SetPhase(c.phase);
        EXPECT_STAGE_AT(sled(), c.x, c.y);
        EXPECT_EQ(sled()->m_rect.right - sled()->m_rect.left, c.width) << "phase " << c.phase;
        EXPECT_EQ(sled()->m_rect.bottom - sled()->m_rect.top, c.height) << "phase " << c.phase;
        EXPECT_EQ(sled()->m_shown, c.shown) << "phase " << c.phase;
        EXPECT_EQ(sled()->m_frame, 0) << "phase " << c.phase;
        EXPECT_EQ(sled()->m_ticks, 0) << "phase " << c.phase;
    }
    // Phase 4 keeps the bear's picture and place and shows frame 2.
    sled()->SetPhase(3);
    sled()->SetPhase(4);
    EXPECT_STAGE_AT(sled(), 254, 108);
    EXPECT_EQ(sled()->m_frame, 2);
}

TEST_F(SledTest, RideLoopsFourFramesAndWavesOnlyWithoutTheHead)
{
    // With the head on the sled no wave comes, however long the ride.
    g_headOnSled = 1;
    sled()->SetPhase(1);
    EXPECT_EQ(StepFrames(8), (std::vector<int>{1, 2, 3, 0, 1, 2, 3, 0}));
    for (int i = 0; i < 4000; ++i) {
        sled()->Step();
        ASSERT_EQ(sled()->m_phase, 1) << "waved with the head aboard at Step " << i;
    }

    // Without it a wave comes, always right after a frame-3 Step.
    g_headOnSled = 0;
    sled()->SetPhase(1);
    int waves = 0;
    for (int i = 0; i < 4000 && waves < 3; ++i) {
        int ticks = sled()->m_ticks;
        sled()->Step();
        if (sled()->m_phase == 2) {
            ++waves;
            EXPECT_EQ((ticks + 1) % 4, 3) << "a wave began on a Step that showed no frame 3";
            EXPECT_STAGE_AT(sled(), 250, 122);
            EXPECT_EQ(StepFrames(3), (std::vector<int>{1, 2, 0}));
            EXPECT_EQ(sled()->m_phase, 1) << "the wave lasts three Steps";
        }
    }
    EXPECT_EQ(waves, 3) << "the children never waved";
}

TEST_F(SledTest, RandomNumberIsDrawnOnEveryFrameThreeStepWhateverTheHead)
{
    g_headOnSled = 1;
    sled()->SetPhase(1);
    srand(kSeed);
    StepFrames(12);  // three frame-3 Steps
    int next = rand();
    srand(kSeed);
    rand();
    rand();
    rand();
    EXPECT_EQ(next, rand());
}

TEST_F(SledTest, BearRideCallsTheBigTreeBackAndWaits)
{
    sled()->SetPhase(3);
    std::vector<int> frames = StepFrames(31);
    for (int i = 0; i < 29; ++i)
        EXPECT_EQ(frames[i], (i + 1) % 2) << "Step " << i + 1;
    EXPECT_EQ(frames[29], 2);
    EXPECT_EQ(frames[30], 3);
    EXPECT_EQ(Actor(kBigTreeId)->m_phase, 0);

    sled()->Step();  // Step 32: the table ends
    EXPECT_EQ(Actor(kBigTreeId)->m_phase, 6) << "the big tree was not sent back";
    EXPECT_EQ(Actor(kBigTreeId)->m_shown, 1);
    EXPECT_EQ(sled()->m_phase, 4);
    EXPECT_EQ(StepFrames(4), (std::vector<int>{3, 2, 3, 2}));
    EXPECT_STAGE_AT(sled(), 254, 108);

    // A new bear restarts the table from its beginning.
    sled()->SetPhase(3);
    EXPECT_EQ(StepFrames(2), (std::vector<int>{1, 0}));
}

TEST_F(SledTest, SnowballRidesOnThenHitsThenRides)
{
    sled()->SetPhase(7);
    EXPECT_EQ(StepFrames(2), (std::vector<int>{1, 2}));
    sled()->Step();
    EXPECT_EQ(sled()->m_phase, 5);
    EXPECT_STAGE_AT(sled(), 250, 147);
    EXPECT_EQ(StepFrames(9), (std::vector<int>{1, 2, 3, 4, 5, 5, 5, 5, 5}));
    sled()->Step();
    EXPECT_EQ(sled()->m_phase, 1);
    EXPECT_STAGE_AT(sled(), 250, 154);
}

TEST_F(SledTest, PloughingCallsTheLegsOnTheSecondStep)
{
    sled()->SetPhase(6);
    sled()->Step();
    EXPECT_EQ(sled()->m_frame, 1);
    EXPECT_EQ(sled()->m_phase, 6);
    EXPECT_EQ(Actor(kOverlayId)->m_phase, 0);

    sled()->Step();
    EXPECT_EQ(Actor(kOverlayId)->m_phase, 2);
    EXPECT_EQ(sled()->m_phase, 0);
    EXPECT_EQ(sled()->m_shown, 0);

    // Hidden for good unless the big tree brings the bear: then it shows again.
    sled()->Step();
    EXPECT_EQ(sled()->m_shown, 0);
    sled()->SetPhase(3);
    EXPECT_EQ(sled()->m_shown, 1);
}
