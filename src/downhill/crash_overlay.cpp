#include "downhill/crash_overlay.h"

#include "downhill/scene.h"

namespace {

enum { kHeadRecord, kLegsRecord };
// The head looks about, then bursts (frames 5 to 7); as it bursts a child waves.
const int kHeadFrames[] = {0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0,
                           1, 0, 1, 0, 1, 2, 3, 2, 3, 2, 3, 2, 3, 2, 3, 4, 3, 2, 3, 2, 3, 5, 6, 7, -1};
enum { kBurstStep = 46 };

} // namespace

CCrashOverlay::CCrashOverlay(CDownhillScene* scene, HINSTANCE module, int phase)
    : CAnimSprite(scene, module, kOverlayId)
{
    AllocAnimRecords(2);
    SetAnimRecord(kHeadRecord, 253, 98, 141, 120, 307);
    SetAnimRecord(kLegsRecord, 347, 151, 88, 39, 308);
    SetPhase(phase);
}

void CCrashOverlay::SetPhase(int phase)
{
    BeginPhase(this, phase);
    CDownhillScene* stage = StageOf(this);
    switch (phase) {
    case 0:
        Hide();
        stage->PlaceAndLoadRecord(this, kHeadRecord);
        break;
    case 1:
        g_headOnSled = 1;
        EnterRecord(this, kHeadRecord);
        break;
    case 2:
        EnterRecord(this, kLegsRecord);
        break;
    default:
        break;
    }
}

int CCrashOverlay::Step()
{
    ++m_ticks;
    switch (m_phase) {
    case 1:
        m_frame = kHeadFrames[m_ticks];
        if (m_frame == -1)
            SetPhase(0);
        if (m_ticks == kBurstStep) {
            StageOf(this)->SendPhase(kSledId, 2);
            g_headOnSled = 0;
        }
        break;
    case 2:
        m_frame = m_frame == 0 ? 1 : 0;
        break;
    default:
        break;
    }
    return 0;
}

void CCrashOverlay::Draw(HDC dc, const RECT* clip)
{
    if (m_phase != kPhaseDone)
        CAnimSprite::Draw(dc, clip);
}

void CCrashOverlay::OnMouse(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    ApplyClickRule(hwnd, message, wParam, lParam);
}
