// What is left on the sled after a crash: the snowman's head sitting on the
// children until it bursts, or the children's legs kicking out of the drift.
#pragma once
#include "engine/sprite.h"

class CDownhillScene;

class CCrashOverlay : public CAnimSprite {
public:
    CCrashOverlay(CDownhillScene* scene, HINSTANCE module, int phase);

    int Step() override;
    void SetPhase(int phase) override;
    void Draw(HDC dc, const RECT* clip) override;
    void OnMouse(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;
};
