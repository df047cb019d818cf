// What the sled runs into: the snowman it smashes, or the snowdrift that
// stops it and bears the greeting message.
#pragma once
#include "engine/sprite.h"
#include "graphics/text_box.h"

class CDownhillScene;

class CObstacle : public CAnimSprite {
public:
    CObstacle(CDownhillScene* scene, HINSTANCE module, int phase);
    ~CObstacle() override;

    int Step() override;
    void SetPhase(int phase) override;
    void Draw(HDC dc, const RECT* clip) override;
    void OnMouse(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;

    // The message's place on the picture, relative to its top-left corner.
    static const RECT kMessageBox;

    CTextBox m_text;

private:
    void StepSnowman();
    void StepDrift();
};
