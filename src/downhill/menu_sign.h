// The signpost at the upper right of the stage; a left click on one of its
// four boards starts one of the scene's events.
#pragma once
#include "engine/sprite.h"

class CDownhillScene;

class CMenuSign : public CAnimSprite {
public:
    CMenuSign(CDownhillScene* scene, HINSTANCE module, int phase);

    int Step() override;
    void SetPhase(int phase) override;
    void Draw(HDC dc, const RECT* clip) override;
    void OnMouse(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;

    // The board (1 to 4) at a stage point, or 0 outside the boards.
    static int BoardAt(int stageX, int stageY);
};
