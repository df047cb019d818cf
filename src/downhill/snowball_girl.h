// The girl of the snowball fight: she arrives on the lower lane on the same
// Step as the boy, throws, falls, and on leaving restarts the tree lanes.
#pragma once
#include "engine/sprite.h"

class CDownhillScene;

class CSnowballGirl : public CAnimSprite {
public:
    CSnowballGirl(CDownhillScene* scene, HINSTANCE module, int phase);

    int Step() override;
    void SetPhase(int phase) override;
    void Draw(HDC dc, const RECT* clip) override;
    void OnMouse(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;
};
