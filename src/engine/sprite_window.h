// Sprite windows: borderless popups of class "CHscamper" that each cover one
// group of sprites and show them over a saved copy of the screen behind them.
#pragma once
#include <windows.h>
#include <stdint.h>

class CEngine;
struct SpriteEntry;

class CSpriteWindow {
public:
    explicit CSpriteWindow(HWND hwnd);
    // Frees the entry list and both bitmaps; the window handle belongs to the main window.
    ~CSpriteWindow();

    void SetGroupRect(const RECT* bounds);
    void ClearEntries();
    int AddEntry(SpriteEntry* entry);
    int Contains(SpriteEntry* entry) const;

    // The per-frame passes, in the order the engine runs them.
    void UpdateBackground();
    void TakeBackgroundFrom(CSpriteWindow* other);
    // Frees the background the window held before this frame's update.
    void DropPrevious();
    void Park();
    void Present();

    void Repaint();
    void SetTopmost(int on);

    SpriteEntry* HitTest(int x, int y);
    void OpenCardAt(int x, int y);
    void Forward(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    // Draws the background and the sprites over it into dc for the paint rectangle.
    void Compose(HDC dc, const RECT* paint);
    // The sprite's rectangle in this window's client coordinates.
    RECT SpriteRectInWindow(SpriteEntry* entry) const;

    LRESULT OnPaint();
    LRESULT OnRealizePalette();
    LRESULT OnPaletteChanged(HWND changer);
    LRESULT OnDestroy();
    LRESULT OnRightClick(LPARAM lParam);
    LRESULT OnInput(UINT message, WPARAM wParam, LPARAM lParam);

    HBITMAP m_background;  // screen pixels behind the window, for m_capRect
    HBITMAP m_canvas;      // composition bitmap
    HBITMAP m_previous;    // during a frame's background pass: the background before it
    RECT m_previousRect;   // the screen area m_previous holds
    HWND m_hwnd;           // null once the platform destroyed the window
    RECT m_rect;
    RECT m_oldRect;
    RECT m_capRect;
    CEngine* m_engine;
    int32_t m_inCapture;
    int32_t m_noCapture;
    SpriteEntry** m_entries;  // drawing order, first = bottom
    int32_t m_entryCount;
    int32_t m_entryCapacity;
    int32_t m_topmost;

private:
    void CaptureFresh();
    void Paint();
};

extern const char kSpriteClassName[]; // "CHscamper"

ATOM RegisterSpriteWindowClass(HINSTANCE module);
// A hidden sprite window owned by the engine's main window, or null.
CSpriteWindow* CreateSpriteWindow(CEngine* engine, int x, int y, int width, int height);
LRESULT CALLBACK SpriteWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
