#include "downhill/snowball_girl.h"

#include "downhill/scene.h"

namespace {

const POINT kGirlPlace = {115, 258};
enum { kFallenFrame = 3 };
const int kGirlFrames[] = {0, 0, 0, 0, 0, 0, 0, 1, 1, 2, 3, 3, 3, 3, -1};

} // namespace

CSnowballGirl::CSnowballGirl(CDownhillScene* scene, HINSTANCE module, int phase)
    : CAnimSprite(scene, module, kGirlId)
{
    AllocAnimRecords(1);
    SetAnimRecord(0, 0, 0, 140, 174, 306);
    SetPhase(phase);
}

void CSnowballGirl::SetPhase(int phase)
{
    BeginPhase(this, phase);
    switch (phase) {
    case 0:
        Hide();
        StageOf(this)->PlaceAndLoadRecord(this, 0);
        break;
    case 1:
        // As many lane Steps from her place as the boy needs to reach his.
        m_records[0].x = kLaneStepX * g_fightSteps + kGirlPlace.x;
        m_records[0].y = kLaneStepY * g_fightSteps + kGirlPlace.y;
        EnterRecord(this, 0);
        break;
    case 2:
        EnterRecord(this, 0);
        break;
    case 3:
        m_frame = kFallenFrame;
        EnterRecord(this, 0);
        break;
    default:
        break;
    }
}

int CSnowballGirl::Step()
{
    ++m_ticks;
    switch (m_phase) {
    case 1:
        if (m_records[0].x > kGirlPlace.x) {
            MoveAlongLane(this, 0);
        } else {
            SetPhase(2);
        }
        break;
    case 2:
        m_frame = kGirlFrames[m_ticks];
        if (m_frame == -1)
            SetPhase(3);
        break;
    case 3:
        if (m_rect.right <= 0 && m_rect.bottom <= 0) {
            // The last of the fight to leave sets the scenery going again.
            g_sceneryPaused = 0;
            CDownhillScene* stage = StageOf(this);
            stage->SendPhase(kUpperLaneId, 1);
            stage->SendPhase(kLowerLaneId, 2);
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

void CSnowballGirl::Draw(HDC dc, const RECT* clip)
{
    if (m_phase != kPhaseDone)
        CAnimSprite::Draw(dc, clip);
}

void CSnowballGirl::OnMouse(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    ApplyClickRule(hwnd, message, wParam, lParam);
}
