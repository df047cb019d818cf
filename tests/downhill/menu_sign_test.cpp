#include "downhill/menu_sign.h"

#include "downhill/downhill_fixture.h"

namespace {

class MenuSignTest : public DownhillTest {
protected:
    void SetUp() override
    {
        DownhillTest::SetUp();
        Ticks(50);  // the title card has shown the sign
        ASSERT_EQ(sign()->m_shown, 1);
    }

    CAnimSprite* sign() { return Actor(kMenuSignId); }

    // A left click at a stage point; the message carries another point, which
    // the sign must not use.
    void ClickAt(int stageX, int stageY)
    {
        ASSERT_TRUE(SetCursorPos(scene->m_stageX + stageX, scene->m_stageY + stageY));
        sign()->OnMouse(nullptr, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(500, 100));
    }

    // The phases of the actors the boards drive.
    std::vector<int> Targets()
    {
        return {Actor(kBigTreeId)->m_phase, Actor(kBoyId)->m_phase, Actor(kGirlId)->m_phase,
                Actor(kObstacleId)->m_phase, sign()->m_phase};
    }
};

} // namespace

TEST_F(MenuSignTest, StandsAtTheUpperRightOfTheStage)
{
    EXPECT_STAGE_AT(sign(), 405, 4);
    EXPECT_EQ(sign()->m_rect.right - sign()->m_rect.left, 184);
    EXPECT_EQ(sign()->m_rect.bottom - sign()->m_rect.top, 198);
}

TEST_F(MenuSignTest, EachBoardStartsItsEvent)
{
    // Phases of: big tree, boy, girl, obstacle, sign.
    struct Case {
        int x, y;
        std::vector<int> phases;
    } cases[] = {
        {480, 58, {6, 0, 0, 0, 1}},   // board 1, top left corner
        {574, 82, {6, 0, 0, 0, 1}},   // board 1, bottom right corner
        {520, 89, {0, 1, 1, 0, 1}},   // board 2
        {520, 114, {0, 1, 1, 0, 1}},
        {500, 120, {0, 0, 0, 1, 1}},  // board 3
        {500, 144, {0, 0, 0, 1, 1}},
        {530, 151, {0, 0, 0, 2, 0}},  // board 4 hides the sign
        {530, 176, {0, 0, 0, 2, 0}},
    };
    for (const Case& c : cases) {
        TearDown();
        SetUp();
        ClickAt(c.x, c.y);
        EXPECT_EQ(Targets(), c.phases) << "click at " << c.x << "," << c.y;
    }
    EXPECT_EQ(sign()->m_shown, 0);
}

TEST_F(MenuSignTest, ClicksBesideTheBoardsDoNothing)
{
    const POINT misses[] = {{479, 60}, {575, 60}, {520, 57}, {520, 83}, {520, 88}, {520, 115},
                            {520, 119}, {520, 145}, {520, 150}, {520, 177}, {420, 100}};
    const std::vector<int> idle = Targets();
    for (POINT p : misses) {
        ClickAt(p.x, p.y);
        EXPECT_EQ(Targets(), idle) << "click at " << p.x << "," << p.y;
    }
    // Other messages over a board do nothing either.
    ASSERT_TRUE(SetCursorPos(scene->m_stageX + 520, scene->m_stageY + 100));
    for (UINT message : {WM_RBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_MOUSEMOVE})
        sign()->OnMouse(nullptr, message, 0, 0);
    EXPECT_EQ(Targets(), idle);
}

TEST_F(MenuSignTest, BoardsCanBeClickedAgain)
{
    ClickAt(520, 70);
    Ticks(3);
    const POINT moved = StagePos(Actor(kBigTreeId));
    ClickAt(520, 70);
    EXPECT_EQ(Actor(kBigTreeId)->m_phase, 6);
    POINT restarted = StagePos(Actor(kBigTreeId));
    EXPECT_EQ(restarted.x, moved.x + 3 * kLaneStepX) << "the second click sends the big tree back to its start";
    EXPECT_EQ(restarted.y, moved.y + 3 * kLaneStepY);
}

TEST_F(MenuSignTest, BoardTwoStartsTheBoyBeforeTheGirl)
{
    g_fightSteps = 0;
    ClickAt(520, 100);
    // The girl's start uses the boy's count of this click, 8 on this screen.
    EXPECT_EQ(g_fightSteps, 8);
    EXPECT_STAGE_AT(Actor(kGirlId), 819, 610);
}
