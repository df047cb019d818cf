// A speech bubble over the children. The scene keeps it hidden and nothing
// fills its slots, so it never shows.
#pragma once
#include "engine/sprite.h"

class CDownhillScene;

class CSpeechBubble : public CAnimSprite {
public:
    enum { kBubbleSlots = 25 };

    CSpeechBubble(CDownhillScene* scene, HINSTANCE module, int phase);
    ~CSpeechBubble() override;

    int Step() override;
    void SetPhase(int phase) override;

    // Slots 1 to 25; entry 0 is unused. The bubble owns the bitmaps.
    HBITMAP m_bubbleImages[kBubbleSlots + 1];
    int m_bubbleOffsets[kBubbleSlots + 1];
    int m_bubbleTicks;
};
