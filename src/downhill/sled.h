// The sled with two children: it stays at the middle of the stage while the
// scenery passes, waves, carries the bear, is hit by a snowball and at last
// ploughs into the snowdrift.
#pragma once
#include "engine/sprite.h"

class CDownhillScene;

class CSled : public CAnimSprite {
public:
    CSled(CDownhillScene* scene, HINSTANCE module, int phase);

    int Step() override;
    void SetPhase(int phase) override;
    void Draw(HDC dc, const RECT* clip) override;
    void OnMouse(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;
};
