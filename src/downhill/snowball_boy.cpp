#include "downhill/snowball_boy.h"

#include "downhill/scene.h"

namespace {

// Three lane Steps beyond his place; the start loop adds the rest.
const POINT kBoyFirstStart = {662, 271};
enum { kBoyPlaceX = 398, kBoyBaseSteps = 3, kCoveredFrame = 3 };
const int kBoyFrames[] = {0, 0, 0, 0, 0, 0, 0, 1, 2, 3, 4, 5, 5, -1};

} // namespace

CSnowballBoy::CSnowballBoy(CDownhillScene* scene, HINSTANCE module, int phase) : CAnimSprite(scene, module, kBoyId)
{
    AllocAnimRecords(1);
    SetAnimRecord(0, 0, 0, 78, 92, 302);
    SetPhase(phase);
}

void CSnowballBoy::SetPhase(int phase)
{
    BeginPhase(this, phase);
    const CDownhillScene* stage = StageOf(this);
    switch (phase) {
    case 0:
        Hide();
        break;
    case 1: {
        // The girl reads the count to start as many lane Steps from her place.
        g_fightSteps = kBoyBaseSteps;
        int x = kBoyFirstStart.x, y = kBoyFirstStart.y;
        while (x < stage->m_screenWidth && y < stage->m_screenHeight) {
            x += kLaneStepX;
            y += kLaneStepY;
            ++g_fightSteps;
        }
        m_records[0].x = x;
        m_records[0].y = y;
        EnterRecord(this, 0);
        g_boyCalled = 0;
        break;
    }
    case 2:
        g_sceneryPaused = 1;
        EnterRecord(this, 0);
        break;
    case 3:
        g_sceneryPaused = 0;
        m_frame = kCoveredFrame;
        EnterRecord(this, 0);
        break;
    default:
        break;
    }
}

int CSnowballBoy::Step()
{
    ++m_ticks;
    switch (m_phase) {
    case 1:
        if (m_records[0].x > kBoyPlaceX) {
            MoveAlongLane(this, 0);
        } else if (!g_boyCalled) {
            StageOf(this)->SendPhase(kSledId, 7);
            g_boyCalled = 1;
        } else {
            SetPhase(2);
        }
        break;
    case 2:
        m_frame = kBoyFrames[m_ticks];
        if (m_frame == -1)
            SetPhase(3);
        break;
    case 3:
        // Gone once wholly above and left of the screen's corner.
        if (m_rect.right <= 0 && m_rect.bottom <= 0) {
            SetPhase(0);
        } else {
            MoveAlongLane(this, 0);
        }
        break;
    default:
        break;
    }
    return 0;
}

void CSnowballBoy::Draw(HDC dc, const RECT* clip)
{
    if (m_phase != kPhaseDone)
        CAnimSprite::Draw(dc, clip);
}

void CSnowballBoy::OnMouse(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    ApplyClickRule(hwnd, message, wParam, lParam);
}
