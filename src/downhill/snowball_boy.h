// The boy of the snowball fight: he comes along his lane, calls the sled,
// throws, is hit in the face, and leaves towards the upper left.
#pragma once
#include "engine/sprite.h"

class CDownhillScene;

class CSnowballBoy : public CAnimSprite {
public:
    CSnowballBoy(CDownhillScene* scene, HINSTANCE module, int phase);

    int Step() override;
    void SetPhase(int phase) override;
    void Draw(HDC dc, const RECT* clip) override;
    void OnMouse(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;
};
