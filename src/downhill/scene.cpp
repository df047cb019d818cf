#include "downhill/scene.h"

#include <string.h>

#include <new>

#include "downhill/crash_overlay.h"
#include "downhill/menu_sign.h"
#include "downhill/obstacle.h"
#include "downhill/sled.h"
#include "downhill/snowball_boy.h"
#include "downhill/snowball_girl.h"
#include "downhill/speech_bubble.h"
#include "downhill/title_card.h"
#include "downhill/tree.h"

int g_sceneryPaused = 0;
int g_messageShown = 0;
int g_driftReached = 0;
int g_headOnSled = 0;
int g_fightSteps = 0;
int g_boyCalled = 0;

namespace {

const char kSceneName[] = "sled";
enum { kPathSize = 260 };

// The scene's folder name comes from this file's own path.
struct SourcePath {
    char text[kPathSize];
    SourcePath() { CDownhillScene::SourcePathForFolder(__FILE__, text, kPathSize); }
};

} // namespace

void CDownhillScene::SourcePathForFolder(const char* path, char* out, int size)
{
    if (out == nullptr || size <= 0)
        return;
    out[0] = '\0';
    if (path == nullptr || size < 2)
        return;
    int length = static_cast<int>(strlen(path));
    // Room for the leading separator and the terminator; a longer path keeps
    // its end, where the folder name is.
    int keep = length < size - 2 ? length : size - 2;
    const char* from = path + (length - keep);
    int n = 0;
    if (from[0] != '/' && from[0] != '\\')
        out[n++] = '\\';
    for (int i = 0; i < keep; ++i)
        out[n++] = from[i] == '/' ? '\\' : from[i];
    out[n] = '\0';
}

CDownhillScene::CDownhillScene(HINSTANCE module, HWND owner, void* callbackData, int tag)
    : CStageScene(module, owner, callbackData, tag, kSceneName, SourcePath().text), m_stageX(0), m_stageY(0)
{
    SetStageOrigin();

    CSprite* title = new (std::nothrow) CTitleCard(this, module, 1);
    CSprite* sled = new (std::nothrow) CSled(this, module, 0);
    CSprite* sign = new (std::nothrow) CMenuSign(this, module, 0);
    CSprite* upperLane = new (std::nothrow) CTree(this, module, 0, kUpperLaneId);
    CSprite* lowerLane = new (std::nothrow) CTree(this, module, 0, kLowerLaneId);
    CSprite* bigTree = new (std::nothrow) CTree(this, module, 0, kBigTreeId);
    CSprite* boy = new (std::nothrow) CSnowballBoy(this, module, 0);
    CSprite* girl = new (std::nothrow) CSnowballGirl(this, module, 0);
    CSprite* overlay = new (std::nothrow) CCrashOverlay(this, module, 0);
    CSprite* obstacle = new (std::nothrow) CObstacle(this, module, 0);
    CSprite* bubble = new (std::nothrow) CSpeechBubble(this, module, 0);
    if (bubble != nullptr)
        bubble->Hide();

    // Stepping and stacking order: the sled at the bottom, the sign above all
    // but the unused bubble. An actor that could not be made is left out; the
    // others play on and phases sent to it go nowhere.
    CSprite* const order[] = {sled, upperLane, lowerLane, bigTree, boy, girl, obstacle, title, overlay, sign, bubble};
    for (CSprite* actor : order) {
        if (actor != nullptr && !AddSprite(actor))
            delete actor;
    }
}

CDownhillScene::~CDownhillScene() = default;

void CDownhillScene::SetStageOrigin()
{
    m_stageX = (m_screenWidth - kStageWidth) / 2;
    m_stageY = (m_screenHeight - kStageHeight) / 2;
}

void CDownhillScene::SendPhase(int id, int phase)
{
    CSprite* actor = FindSprite(id);
    if (actor != nullptr)
        actor->SetPhase(phase);
}

void CDownhillScene::PlaceAtRecord(CAnimSprite* actor, int index) const
{
    const AnimRecord& r = actor->m_records[index];
    actor->Place(m_stageX + r.x, m_stageY + r.y, r.width, r.height);
}

HBITMAP CDownhillScene::PlaceAndLoadRecord(CAnimSprite* actor, int index) const
{
    PlaceAtRecord(actor, index);
    return actor->LoadStrip(actor->m_records[index].imageId, 0, kImageKindFig);
}

POINT CDownhillScene::LaneStart(int x0, int y0) const
{
    POINT p = {x0, y0};
    while (p.x < m_screenWidth && p.y < m_screenHeight) {
        p.x += kLaneStepX;
        p.y += kLaneStepY;
    }
    return p;
}

CDownhillScene* CreateDownhillScene(HINSTANCE module, HWND owner, void* callbackData, int tag)
{
    return new (std::nothrow) CDownhillScene(module, owner, callbackData, tag);
}

void ApplyClickRule(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_LBUTTONDOWN && g_messageShown)
        PostMessageA(hwnd, WM_RBUTTONDOWN, wParam, lParam);
}
