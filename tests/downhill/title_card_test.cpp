#include "downhill/title_card.h"

#include "downhill/downhill_fixture.h"

TEST_F(DownhillTest, TitleCardIsCentredOnTheUsableScreen)
{
    struct Case {
        int width, height, left, top;
    } cases[] = {
        {1024, 740, 371, 292},
        {1024, 768, 371, 306},
        {200, 100, -41, -27},
    };
    for (const Case& c : cases) {
        UseScreen(c.width, c.height);
        CAnimSprite* card = Actor(kTitleCardId);
        card->SetPhase(1);
        EXPECT_EQ(card->m_rect.left, c.left) << c.width << " x " << c.height;
        EXPECT_EQ(card->m_rect.top, c.top) << c.width << " x " << c.height;
        EXPECT_EQ(card->m_rect.right - card->m_rect.left, 282);
        EXPECT_EQ(card->m_rect.bottom - card->m_rect.top, 155);
        EXPECT_EQ(card->m_shown, 1);
    }
}

TEST_F(DownhillTest, TitleCardStaysHiddenAfterItsFiveSeconds)
{
    CAnimSprite* card = Actor(kTitleCardId);
    Ticks(50);
    EXPECT_EQ(card->m_phase, 2);
    Ticks(200);
    EXPECT_EQ(card->m_phase, 2);
    EXPECT_EQ(card->m_shown, 0);
    EXPECT_EQ(Actor(kMenuSignId)->m_phase, 1) << "the sign was started once and stays";
}
