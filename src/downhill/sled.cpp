#include "downhill/sled.h"

#include <stdlib.h>

#include "downhill/scene.h"

namespace {

enum { kRideRecord, kWaveRecord, kBearRecord, kHitRecord, kPloughRecord };

// Frame tables end with -1; entry 0 is never read (Step counts from 1).
const int kBearFrames[] = {0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1,
                           0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 2, 3, -1};
const int kSnowballFrames[] = {0, 1, 2, 3, 4, 5, 5, 5, 5, 5, -1};

// One child waves now and then: 1 chance in 50 on every fourth Step.
enum { kWaveOdds = 50 };

} // namespace

CSled::CSled(CDownhillScene* scene, HINSTANCE module, int phase) : CAnimSprite(scene, module, kSledId)
{
    AllocAnimRecords(5);
    SetAnimRecord(kRideRecord, 250, 154, 160, 135, 305);
    SetAnimRecord(kWaveRecord, 250, 122, 160, 167, 303);
    SetAnimRecord(kBearRecord, 254, 108, 156, 181, 300);
    SetAnimRecord(kHitRecord, 250, 147, 160, 142, 310);
    SetAnimRecord(kPloughRecord, 232, 137, 156, 113, 304);
    SetPhase(phase);
}

void CSled::SetPhase(int phase)
{
    BeginPhase(this, phase);
    switch (phase) {
    case 0:
        Hide();
        StageOf(this)->PlaceAndLoadRecord(this, kRideRecord);
        break;
    case 1:
    case 7:
        EnterRecord(this, kRideRecord);
        break;
    case 2:
        EnterRecord(this, kWaveRecord);
        break;
    case 3:
        EnterRecord(this, kBearRecord);
        break;
    case 4:
        // The bear's picture stays; it waits for the big tree.
        m_frame = 2;
        break;
    case 5:
        EnterRecord(this, kHitRecord);
        break;
    case 6:
        EnterRecord(this, kPloughRecord);
        break;
    default:
        break;
    }
}

int CSled::Step()
{
    ++m_ticks;
    switch (m_phase) {
    case 1:
        m_frame = m_ticks % 4;
        if (m_frame == 3) {
            // The number is drawn whether or not the head rests on the sled,
            // so the random sequence does not depend on it.
            int r = rand();
            if (r % kWaveOdds == 0 && !g_headOnSled)
                SetPhase(2);
        }
        break;
    case 2:
        m_frame = m_ticks;
        if (m_ticks >= 3)
            SetPhase(1);
        break;
    case 3:
        m_frame = kBearFrames[m_ticks];
        if (m_frame == -1) {
            StageOf(this)->SendPhase(kBigTreeId, 5);
            SetPhase(4);
        }
        break;
    case 4:
        m_frame = 2 + (m_ticks & 1);
        break;
    case 5:
        m_frame = kSnowballFrames[m_ticks];
        if (m_frame == -1)
            SetPhase(1);
        break;
    case 6:
        if (m_frame == 1) {
            StageOf(this)->SendPhase(kOverlayId, 2);
            SetPhase(0);
        }
        m_frame = 1;
        break;
    case 7:
        m_frame = m_ticks % 4;
        if (m_ticks >= 3)
            SetPhase(5);
        break;
    default:
        break;
    }
    return 0;
}

void CSled::Draw(HDC dc, const RECT* clip)
{
    if (m_phase != kPhaseDone)
        CAnimSprite::Draw(dc, clip);
}

void CSled::OnMouse(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    ApplyClickRule(hwnd, message, wParam, lParam);
}
