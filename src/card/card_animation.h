// Plays a multi-image FIG inside a rectangle of a window: each image is
// composed onto a canvas with its key colour and the canvas is copied into
// the window. The card's 50 ms timer drives it.
#pragma once
#include <windows.h>
#include <stddef.h>
#include <stdint.h>

struct FigReader;
struct FigImageInfo;

enum {
    kCardAnimationCacheSize = 20,
    kPlayStateStopped = 0,
    kPlayStatePlaying = 1,
    kPlayStatePaused = 2,
    kPlayStateRestarted = 3,
};

// One decoded image, kept so that each image is decoded once.
struct CardAnimationFrame {
    int32_t frameNumber; // 1-based; 0 in an empty entry
    int32_t x;           // position on the canvas
    int32_t y;
    int32_t width;
    int32_t height;
    int32_t delay;       // milliseconds
    HBITMAP bitmap;      // owned
    COLORREF keyColour;  // kNoKeyColour when the image has none
};

constexpr COLORREF kNoKeyColour = static_cast<COLORREF>(-1);

class CCardAnimation {
public:
    CCardAnimation();
    virtual ~CCardAnimation();
    virtual void SetPlayState(int state);
    virtual void Tick();
    virtual void Draw(HDC dc, const RECT* area);

    CCardAnimation(const CCardAnimation&) = delete;
    CCardAnimation& operator=(const CCardAnimation&) = delete;

    // bytes must outlive the player. A second call only takes the new window
    // and placement.
    bool Open(HWND window, const void* bytes, size_t size, const RECT* placement);
    void SetPlacement(const RECT* placement);

    // The clock that "now" is read from; GetTickCount unless a test sets one.
    void SetClock(DWORD (*clock)()) { m_clock = clock; }

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    int PlayState() const { return m_playState; }
    int FrameNumber() const { return m_frameNumber; }
    DWORD DueTime() const { return m_dueTime; }
    HBITMAP Canvas() const { return m_canvas; }
    HBITMAP FrameBitmap() const { return m_frameBitmap; }
    const RECT& FrameRect() const { return m_frameRect; }
    const CardAnimationFrame& CacheEntry(int index) const { return m_cache[index]; }

private:
    void Advance();
    DWORD Now() const { return m_clock(); }
    void Compose(const CardAnimationFrame& frame, int canvasX, int canvasY);
    void DisposePrevious(int disposal, const RECT& previous, COLORREF incomingKey);
    COLORREF KeyColourOf(const FigImageInfo* info) const;

    FigReader* m_reader;        // owned
    FigImageInfo* m_frameInfo;  // owned; the image decoded at the last step
    HBITMAP m_canvas;           // owned; the composed picture
    HBITMAP m_saved;            // owned; the area kept for disposal code 3
    HBITMAP m_frameBitmap;      // owned by its cache entry; null draws nothing
    HBITMAP m_mask;             // owned; work bitmaps of the colour-keyed draw
    HBITMAP m_work;
    RECT m_frameRect;           // window coordinates of the shown image
    DWORD m_dueTime;
    DWORD m_pausedRemaining;
    HWND m_window;
    RECT m_placement;
    int32_t m_width;
    int32_t m_height;
    int32_t m_playState;
    int32_t m_frameNumber;
    COLORREF m_keyColour;
    int32_t m_nextEvict;
    CardAnimationFrame m_cache[kCardAnimationCacheSize];
    uint16_t m_loopsLeft;
    RECT m_canvasRect;          // canvas coordinates of the shown image
    DWORD (*m_clock)();
};
