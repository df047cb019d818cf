#include "downhill/menu_sign.h"

#include "downhill/scene.h"

namespace {

// The boards in stage coordinates: one column, four rows (inclusive).
enum { kBoardLeft = 480, kBoardRight = 574 };
struct BoardRows {
    int top;
    int bottom;
};
const BoardRows kBoards[] = {{58, 82}, {89, 114}, {120, 144}, {151, 176}};

} // namespace

CMenuSign::CMenuSign(CDownhillScene* scene, HINSTANCE module, int phase) : CAnimSprite(scene, module, kMenuSignId)
{
    AllocAnimRecords(1);
    SetAnimRecord(0, 405, 4, 184, 198, 301);
    SetPhase(phase);
}

void CMenuSign::SetPhase(int phase)
{
    BeginPhase(this, phase);
    switch (phase) {
    case 0:
        Hide();
        StageOf(this)->PlaceAndLoadRecord(this, 0);
        break;
    case 1:
        Show();
        break;
    default:
        break;
    }
}

int CMenuSign::Step()
{
    ++m_ticks;
    return 0;
}

void CMenuSign::Draw(HDC dc, const RECT* clip)
{
    if (m_phase != kPhaseDone)
        CAnimSprite::Draw(dc, clip);
}

int CMenuSign::BoardAt(int stageX, int stageY)
{
    if (stageX < kBoardLeft || stageX > kBoardRight)
        return 0;
    for (int i = 0; i < static_cast<int>(sizeof kBoards / sizeof kBoards[0]); ++i) {
        if (stageY >= kBoards[i].top && stageY <= kBoards[i].bottom)
            return i + 1;
    }
    return 0;
}

void CMenuSign::OnMouse(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_LBUTTONDOWN)
        return;
    ApplyClickRule(hwnd, message, wParam, lParam);

    // The board is where the cursor is now, not the point the message carries.
    CDownhillScene* stage = StageOf(this);
    POINT cursor;
    if (!GetCursorPos(&cursor))
        return;
    switch (BoardAt(cursor.x - stage->m_stageX, cursor.y - stage->m_stageY)) {
    case 1:
        stage->SendPhase(kBigTreeId, 5);
        break;
    case 2:
        // The boy first: the girl's start depends on the steps he counts.
        stage->SendPhase(kBoyId, 1);
        stage->SendPhase(kGirlId, 1);
        break;
    case 3:
        stage->SendPhase(kObstacleId, 1);
        break;
    case 4:
        stage->SendPhase(kObstacleId, 2);
        SetPhase(0);
        break;
    default:
        break;
    }
}
