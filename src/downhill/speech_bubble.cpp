#include "downhill/speech_bubble.h"

#include "downhill/scene.h"

namespace {

enum { kBubbleWidth = 95, kBubbleHeight = 125 };

} // namespace

CSpeechBubble::CSpeechBubble(CDownhillScene* scene, HINSTANCE module, int phase)
    : CAnimSprite(scene, module, kBubbleId), m_bubbleTicks(0)
{
    for (int i = 0; i <= kBubbleSlots; ++i) {
        m_bubbleImages[i] = nullptr;
        m_bubbleOffsets[i] = 0;
    }
    Place(-kBubbleWidth, -kBubbleHeight, kBubbleWidth, kBubbleHeight);
    SetPhase(phase);
}

CSpeechBubble::~CSpeechBubble()
{
    for (HBITMAP& image : m_bubbleImages) {
        if (image != nullptr)
            DeleteObject(image);
        image = nullptr;
    }
}

void CSpeechBubble::SetPhase(int phase)
{
    BeginPhase(this, phase);
    // Phase n would show bubble n for m_bubbleTicks Steps; with no bubble in
    // the slot there is nothing to show.
    if (phase >= 1 && phase <= kBubbleSlots && m_bubbleImages[phase] != nullptr) {
        m_image = m_bubbleImages[phase];
        m_columns = 1;
        Show();
    }
}

int CSpeechBubble::Step()
{
    ++m_ticks;
    if (m_phase >= 1 && m_phase <= kBubbleSlots && m_ticks >= m_bubbleTicks) {
        Hide();
        m_phase = 0;
    }
    return 0;
}
