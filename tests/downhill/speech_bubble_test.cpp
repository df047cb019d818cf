#include "downhill/speech_bubble.h"

#include "downhill/downhill_fixture.h"

TEST_F(DownhillTest, SpeechBubbleIsNeverShown)
{
    auto* bubble = Actor<CSpeechBubble>(kBubbleId);
    ASSERT_NE(bubble, nullptr);
    EXPECT_EQ(bubble->m_rect.left, -95);
    EXPECT_EQ(bubble->m_rect.top, -125);
    EXPECT_EQ(bubble->m_rect.right, 0);
    EXPECT_EQ(bubble->m_rect.bottom, 0);
    for (int slot = 0; slot <= CSpeechBubble::kBubbleSlots; ++slot)
        EXPECT_EQ(bubble->m_bubbleImages[slot], nullptr);

    // A whole show with every event: the bubble stays as it was made.
    Ticks(50);
    scene->SendPhase(kBigTreeId, 5);
    scene->SendPhase(kBoyId, 1);
    scene->SendPhase(kGirlId, 1);
    scene->SendPhase(kObstacleId, 1);
    Ticks(100);
    EXPECT_EQ(bubble->m_phase, 0);
    EXPECT_EQ(bubble->IsShown(), 0);
    EXPECT_EQ(bubble->m_rect.left, -95);
}

TEST_F(DownhillTest, SpeechBubbleFreesTheBubblesItHolds)
{
    auto* bubble = Actor<CSpeechBubble>(kBubbleId);
    HDC screen = GetDC(nullptr);
    HBITMAP picture = CreateCompatibleBitmap(screen, 8, 8);
    ReleaseDC(nullptr, screen);
    bubble->m_bubbleImages[25] = picture;
    delete scene;
    scene = nullptr;
    EXPECT_EQ(GetObjectType(picture), 0u) << "the bubble's bitmap outlived it";
}
