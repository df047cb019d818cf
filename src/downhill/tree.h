// Trees sliding past the sled: two endless lanes of randomly chosen firs, and
// the big tree that brings the bear and takes it away again.
#pragma once
#include "engine/sprite.h"

class CDownhillScene;

class CTree : public CAnimSprite {
public:
    CTree(CDownhillScene* scene, HINSTANCE module, int phase, int id);

    int Step() override;
    void SetPhase(int phase) override;
    void Draw(HDC dc, const RECT* clip) override;
    void OnMouse(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;

    int m_treeIndex;
    int m_bearAboard;

private:
    void StartPass();
    void Pass();
    void PassBigTree();
};
