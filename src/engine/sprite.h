// Sprites: the animated pictures of a scene. CSprite is the abstract base
// of every actor; CAnimSprite adds a table of animation records.
#pragma once
#include <windows.h>
#include <stdint.h>

#include "graphics/image_cache.h"

class CStageScene;

enum {
    kPhaseDone = 1000, // the actor has finished
    kNoFrame = -2,     // the actor has nothing to draw
};

// One placement of an actor relative to its stage origin, with the FIG image to show.
struct AnimRecord {
    int32_t x;
    int32_t y;
    int32_t width;
    int32_t height;
    int32_t imageId;
};

// Subclasses override these operations in the order they are declared here.
class CSprite {
public:
    CSprite(CStageScene* scene, HINSTANCE module, int id);

    // Makes strip imageId of the sprite's cache current; needs a frame size (Place) first.
    virtual HBITMAP LoadStrip(int imageId, int reserved, int kind);
    virtual ~CSprite();
    virtual void SetDrawRects(const RECT* src, const RECT* dst);
    virtual void SetWindow(HWND hwnd);
    virtual void Place(int x, int y, int width, int height);
    virtual void MoveTo(int x, int y);
    virtual void SetBounds(const RECT* bounds);
    virtual void GetBounds(RECT* bounds);
    virtual void GetOldBounds(RECT* bounds);
    virtual void SaveBounds();
    // One tick of the actor. Returns a movement: low 16 bits dx, high 16 bits dy (signed).
    virtual int Step() = 0;
    virtual void SetPhase(int phase) = 0;
    virtual void OnSignal(int signal);
    virtual void Show();
    virtual void Hide();
    // Draws transparently keyed on the strip's bottom-right pixel when keyCorner is 1,
    // its top-left pixel otherwise.
    virtual void DrawKeyed(HDC dc, const RECT* clip, int keyCorner);
    virtual void Draw(HDC dc, const RECT* clip);
    virtual int IsShown();
    virtual void OnMouse(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    virtual void SetShown(int on);

    // Copies the current frame without transparency.
    void DrawOpaque(HDC dc, const RECT* clip);

    // Source position of the current frame in the strip. Returns 0 when there
    // is nothing to draw from: no strip, no frame, or a frame outside the strip.
    int FrameSource(int* srcX, int* srcY);

    HWND m_hwnd;         // the sprite window showing the sprite this frame
    int32_t m_phase;
    int32_t m_firstFrame;
    int32_t m_frame;
    int32_t m_ticks;
    RECT m_srcRect;      // part of the frame to draw, frame coordinates
    RECT m_dstRect;      // where the frame lands, client coordinates of m_hwnd
    RECT m_rect;         // screen rectangle: position and frame size
    RECT m_oldRect;      // m_rect of the previous frame
    CImageCache m_images;
    HBITMAP m_image;     // current strip, owned by m_images
    int32_t m_shown;
    int32_t m_columns;
    CStageScene* m_scene;
    int32_t m_id;
};

class CAnimSprite : public CSprite {
public:
    CAnimSprite(CStageScene* scene, HINSTANCE module, int id);
    ~CAnimSprite() override;

    virtual void SetParamA(int value);
    virtual void SetParamB(int value);

    // Replaces the record table by count records of undefined contents.
    // Returns 0 (and keeps no table) when the table cannot be allocated.
    int AllocAnimRecords(int count);
    // Fills record index; an index outside the table is ignored.
    void SetAnimRecord(int index, int x, int y, int width, int height, int imageId);

    AnimRecord* m_records;
    int32_t m_recordCount;
    int32_t m_paramA;
    int32_t m_paramB;
};
