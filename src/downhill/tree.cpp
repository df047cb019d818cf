#include "downhill/tree.h"

#include <stdlib.h>

#include "downhill/scene.h"

namespace {

enum { kLaneTreeCount = 3, kBigTreeRecord = 3 };
// The big tree's lane runs through this stage point, where it covers the sled.
const POINT kCrossing = {259, 107};
// The upper lane starts from here; the lower one from the stage's lower left
// corner.
const POINT kUpperStart = {400, 20};

} // namespace

CTree::CTree(CDownhillScene* scene, HINSTANCE module, int phase, int id)
    : CAnimSprite(scene, module, id), m_treeIndex(0), m_bearAboard(0)
{
    AllocAnimRecords(4);
    SetAnimRecord(0, 0, 0, 104, 143, 312);
    SetAnimRecord(1, 0, 0, 135, 139, 313);
    SetAnimRecord(2, 0, 0, 54, 72, 314);
    SetAnimRecord(kBigTreeRecord, 0, 0, 151, 177, 311);
    SetPhase(phase);
}

void CTree::SetPhase(int phase)
{
    BeginPhase(this, phase);
    CDownhillScene* stage = StageOf(this);
    switch (phase) {
    case 0:
        Hide();
        stage->PlaceAndLoadRecord(this, 0);
        break;
    case 1:
    case 2:
        // The next Step starts the pass.
        Hide();
        break;
    case 5: {
        POINT start = stage->LaneStart(kCrossing.x, kCrossing.y);
        m_records[kBigTreeRecord].x = start.x;
        m_records[kBigTreeRecord].y = start.y;
        EnterRecord(this, kBigTreeRecord);
        m_treeIndex = kBigTreeRecord;
        SetPhase(6);
        break;
    }
    default:
        break;
    }
}

void CTree::StartPass()
{
    CDownhillScene* stage = StageOf(this);
    m_treeIndex = rand() % kLaneTreeCount;
    AnimRecord& r = m_records[m_treeIndex];
    // The lower lane's tree stands with its lower left corner on the stage's.
    POINT from = m_phase == 1 ? kUpperStart : POINT{0, kStageHeight - r.height};
    POINT start = stage->LaneStart(from.x, from.y);
    r.x = start.x;
    r.y = start.y;
    EnterRecord(this, m_treeIndex);
    SetPhase(m_phase == 1 ? 3 : 4);
}

void CTree::Pass()
{
    AnimRecord& r = m_records[m_treeIndex];
    if (!g_sceneryPaused)
        MoveAlongLane(this, m_treeIndex);
    // Wholly above and left of the stage origin: the pass is over.
    if (r.x < -r.width && r.y < -r.height) {
        Hide();
        if (!g_sceneryPaused)
            SetPhase(m_phase == 3 ? 1 : 2);
    }
}

void CTree::PassBigTree()
{
    AnimRecord& r = m_records[kBigTreeRecord];
    if (!g_sceneryPaused)
        MoveAlongLane(this, kBigTreeRecord);
    // Checked on every Step, also while the scenery stands still.
    if (r.x == kCrossing.x && r.y == kCrossing.y) {
        StageOf(this)->SendPhase(kSledId, m_bearAboard == 0 ? 3 : 1);
        m_bearAboard = 1 - m_bearAboard;
    }
    if (r.x < -r.width && r.y < -r.height)
        SetPhase(0);
}

int CTree::Step()
{
    ++m_ticks;
    switch (m_phase) {
    case 1:
    case 2:
        StartPass();
        break;
    case 3:
    case 4:
        Pass();
        break;
    case 6:
        PassBigTree();
        break;
    default:
        break;
    }
    return 0;
}

void CTree::Draw(HDC dc, const RECT* clip)
{
    if (m_phase != kPhaseDone)
        CAnimSprite::Draw(dc, clip);
}

void CTree::OnMouse(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    ApplyClickRule(hwnd, message, wParam, lParam);
}
