#include "downhill/title_card.h"

#include "downhill/scene.h"

namespace {

enum { kCardWidth = 282, kCardHeight = 155, kCardPicture = 351 };
// Five seconds of title.
enum { kTitleSteps = 50 };

} // namespace

CTitleCard::CTitleCard(CDownhillScene* scene, HINSTANCE module, int phase) : CAnimSprite(scene, module, kTitleCardId)
{
    Place(-kCardWidth, -kCardHeight, kCardWidth, kCardHeight);
    SetPhase(phase);
}

void CTitleCard::SetPhase(int phase)
{
    m_phase = phase;
    m_frame = 0;
    m_firstFrame = 0;
    switch (phase) {
    case 1: {
        const CDownhillScene* stage = StageOf(this);
        // Centred on the screen itself, not on the stage.
        MoveTo((stage->m_screenWidth - kCardWidth) / 2, (stage->m_screenHeight - kCardHeight) / 2);
        Place(m_rect.left, m_rect.top, kCardWidth, kCardHeight);
        LoadStrip(kCardPicture, 0, kImageKindFig);
        Show();
        m_ticks = 0;
        break;
    }
    case 2:
        Hide();
        break;
    default:
        break;
    }
}

int CTitleCard::Step()
{
    ++m_ticks;
    if (m_phase == 1 && m_ticks == kTitleSteps) {
        CDownhillScene* stage = StageOf(this);
        stage->SendPhase(kSledId, 1);
        stage->SendPhase(kMenuSignId, 1);
        stage->SendPhase(kUpperLaneId, 1);
        stage->SendPhase(kLowerLaneId, 2);
        SetPhase(2);
    }
    return 0;
}

void CTitleCard::Draw(HDC dc, const RECT* clip)
{
    // The card is copied whole, with no transparent colour.
    if (m_phase != kPhaseDone)
        DrawOpaque(dc, clip);
}

void CTitleCard::OnMouse(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    ApplyClickRule(hwnd, message, wParam, lParam);
}
