// The title picture, centred on the usable screen for the first five seconds;
// then it starts the ride.
#pragma once
#include "engine/sprite.h"

class CDownhillScene;

class CTitleCard : public CAnimSprite {
public:
    CTitleCard(CDownhillScene* scene, HINSTANCE module, int phase);

    int Step() override;
    void SetPhase(int phase) override;
    void Draw(HDC dc, const RECT* clip) override;
    void OnMouse(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;
};
