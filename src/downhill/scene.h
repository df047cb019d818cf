// The downhill scene "sled": a sled ride on a 640 x 480 stage centred on the
// usable screen, with eleven actors that drive each other through phases.
#pragma once
#include <windows.h>

#include "engine/scene.h"
#include "engine/sprite.h"

// Coordination between the actors. They belong to the program, not to one
// scene: they start at 0, no scene resets them, and every downhill scene in
// the process shares them.
extern int g_sceneryPaused;
extern int g_messageShown;
extern int g_driftReached;
extern int g_headOnSled;
extern int g_fightSteps;
extern int g_boyCalled;

enum {
    kStageWidth = 640,
    kStageHeight = 480,
    // One lane Step: everything that moves slides 88 left and 44 up.
    kLaneStepX = 88,
    kLaneStepY = 44,
};

// Actor ids; the scene finds its actors by them.
enum {
    kBubbleId = 1,
    kTitleCardId = 2,
    kSledId = 3,
    kMenuSignId = 4,
    kUpperLaneId = 5,
    kLowerLaneId = 6,
    kBigTreeId = 7,
    kOverlayId = 8,
    kGirlId = 9,
    kBoyId = 10,
    kObstacleId = 11,
};

class CDownhillScene : public CStageScene {
public:
    CDownhillScene(HINSTANCE module, HWND owner, void* callbackData, int tag);
    ~CDownhillScene() override;

    // Centres the stage on the usable screen (m_screenWidth x m_screenHeight).
    void SetStageOrigin();

    // Enters a phase of the actor with that id at once; unknown ids do nothing.
    void SendPhase(int id, int phase);

    // Places the actor at its record (stage position plus origin, the record's
    // frame size).
    void PlaceAtRecord(CAnimSprite* actor, int index) const;
    // Places the actor at its record, then loads the record's picture: the
    // strip's columns follow from the frame size placed first.
    HBITMAP PlaceAndLoadRecord(CAnimSprite* actor, int index) const;

    // A stage point beyond the screen's right or lower edge from which whole
    // lane Steps lead to (x0, y0).
    POINT LaneStart(int x0, int y0) const;

    // Writes the scene's source path with backslash separators and a leading
    // separator, so that the folder name comes out whatever the compiler put
    // into the path. A path too long for the buffer keeps its end.
    static void SourcePathForFolder(const char* path, char* out, int size);

    int m_stageX;
    int m_stageY;
};

CDownhillScene* CreateDownhillScene(HINSTANCE module, HWND owner, void* callbackData, int tag);

// The scene an actor plays in (every downhill actor is created by it).
inline CDownhillScene* StageOf(const CSprite* actor)
{
    return static_cast<CDownhillScene*>(actor->m_scene);
}

// The common start of every actor's SetPhase: the new phase, shown from
// frame 0, its Steps counted from 0.
inline void BeginPhase(CSprite* actor, int phase)
{
    actor->m_phase = phase;
    actor->m_frame = 0;
    actor->m_firstFrame = 0;
    actor->m_ticks = 0;
}

// Places and loads the actor at its record and shows it.
inline void EnterRecord(CAnimSprite* actor, int index)
{
    StageOf(actor)->PlaceAndLoadRecord(actor, index);
    actor->Show();
}

// One lane Step of the actor's record, after which the actor is placed at
// it again.
inline void MoveAlongLane(CAnimSprite* actor, int index)
{
    AnimRecord& r = actor->m_records[index];
    r.x -= kLaneStepX;
    r.y -= kLaneStepY;
    StageOf(actor)->PlaceAtRecord(actor, index);
}

// Once the message is on screen a left click on any actor acts as a right
// click: the sprite window then opens the card.
void ApplyClickRule(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
