#include "downhill/obstacle.h"

#include "downhill/scene.h"

namespace {

enum { kSnowmanRecord, kDriftRecord };
// Where the sled meets each obstacle on the stage.
const POINT kSnowmanHit = {252, 131};
const POINT kDriftStop = {247, 177};
enum { kHeadFrame = 2, kLastSnowmanFrame = 5 };
// Three seconds after board 4 the message is written on the drift.
enum { kMessageStep = 30 };
// Palette-relative black, so the text keeps to the program palette.
const COLORREF kMessageColour = 0x02000000;

} // namespace

const RECT CObstacle::kMessageBox = {64, 43, 219, 110};

CObstacle::CObstacle(CDownhillScene* scene, HINSTANCE module, int phase) : CAnimSprite(scene, module, kObstacleId)
{
    m_text.FitFont(scene->m_message, kMessageBox.right - kMessageBox.left, kMessageBox.bottom - kMessageBox.top);
    AllocAnimRecords(2);
    SetAnimRecord(kSnowmanRecord, 0, 0, 246, 201, 309);
    SetAnimRecord(kDriftRecord, 0, 0, 293, 130, 350);
    SetPhase(phase);
}

CObstacle::~CObstacle()
{
    m_text.ReleaseFont();
}

void CObstacle::SetPhase(int phase)
{
    BeginPhase(this, phase);
    CDownhillScene* stage = StageOf(this);
    switch (phase) {
    case 0:
        Hide();
        stage->PlaceAndLoadRecord(this, kSnowmanRecord);
        break;
    case 1:
    case 2: {
        int record = phase == 1 ? kSnowmanRecord : kDriftRecord;
        POINT meet = phase == 1 ? kSnowmanHit : kDriftStop;
        POINT start = stage->LaneStart(meet.x, meet.y);
        m_records[record].x = start.x;
        m_records[record].y = start.y;
        EnterRecord(this, record);
        break;
    }
    default:
        break;
    }
}

void CObstacle::StepSnowman()
{
    AnimRecord& r = m_records[kSnowmanRecord];
    MoveAlongLane(this, kSnowmanRecord);
    if (r.x > kSnowmanHit.x)
        return;
    if (m_frame < kLastSnowmanFrame) {
        ++m_frame;
        if (m_frame == kHeadFrame)
            StageOf(this)->SendPhase(kOverlayId, 1);
    }
    // The broken snowman would slide on for ever; once it has burst and is
    // wholly off the screen it stops and hides, which nobody can see.
    if (m_frame == kLastSnowmanFrame && (m_rect.right <= 0 || m_rect.bottom <= 0))
        SetPhase(0);
}

void CObstacle::StepDrift()
{
    AnimRecord& r = m_records[kDriftRecord];
    if (r.x > kDriftStop.x) {
        MoveAlongLane(this, kDriftRecord);
    } else if (!g_driftReached) {
        // The crash into the drift happens once per run.
        g_sceneryPaused = 1;
        StageOf(this)->SendPhase(kSledId, 6);
        g_driftReached = 1;
    }
    if (m_ticks == kMessageStep)
        g_messageShown = 1;
}

int CObstacle::Step()
{
    ++m_ticks;
    if (m_phase == 1)
        StepSnowman();
    else if (m_phase == 2)
        StepDrift();
    return 0;
}

void CObstacle::Draw(HDC dc, const RECT* clip)
{
    // Nothing of a hidden obstacle is drawn, its message neither.
    if (!IsShown() || m_phase == kPhaseDone)
        return;
    CAnimSprite::Draw(dc, clip);
    if (g_messageShown) {
        RECT box = kMessageBox;
        OffsetRect(&box, m_dstRect.left, m_dstRect.top);
        m_text.DrawWrapped(StageOf(this)->m_message, kMessageColour, dc, &box, 1);
    }
}

void CObstacle::OnMouse(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    ApplyClickRule(hwnd, message, wParam, lParam);
}
