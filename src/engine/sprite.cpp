#include "engine/sprite.h"

#include <new>

#include "graphics/blit.h"
#include "graphics/frame_bitmaps.h"

CSprite::CSprite(CStageScene* scene, HINSTANCE module, int id)
    : m_hwnd(nullptr), m_phase(0), m_firstFrame(0), m_frame(0), m_ticks(0), m_srcRect(), m_dstRect(),
      m_rect(), m_oldRect(), m_images(module, 4), m_image(nullptr), m_shown(1), m_columns(0),
      m_scene(scene), m_id(id)
{
}

CSprite::~CSprite()
{
    // m_images deletes the strips it holds.
}

HBITMAP CSprite::LoadStrip(int imageId, int reserved, int kind)
{
    m_image = m_images.Get(imageId, reserved, kind);
    if (m_image != nullptr) {
        int frameWidth = m_rect.right - m_rect.left;
        int columns = frameWidth > 0 ? GetBitmapWidth(m_image) / frameWidth : 0;
        // A strip narrower than a frame, or no frame width, still holds one column.
        m_columns = columns > 0 ? columns : 1;
    }
    return m_image;
}

void CSprite::SetDrawRects(const RECT* src, const RECT* dst)
{
    m_srcRect = *src;
    m_dstRect = *dst;
}

void CSprite::SetWindow(HWND hwnd)
{
    m_hwnd = hwnd;
}

void CSprite::Place(int x, int y, int width, int height)
{
    SetRect(&m_rect, x, y, x + width, y + height);
}

void CSprite::MoveTo(int x, int y)
{
    SetRect(&m_rect, x, y, x + (m_rect.right - m_rect.left), y + (m_rect.bottom - m_rect.top));
}

void CSprite::SetBounds(const RECT* bounds)
{
    m_rect = *bounds;
}

void CSprite::GetBounds(RECT* bounds)
{
    *bounds = m_rect;
}

void CSprite::GetOldBounds(RECT* bounds)
{
    *bounds = m_oldRect;
}

void CSprite::SaveBounds()
{
    m_oldRect = m_rect;
}

void CSprite::OnSignal(int)
{
}

void CSprite::Show()
{
    m_shown = 1;
}

void CSprite::Hide()
{
    m_shown = 0;
}

int CSprite::IsShown()
{
    if (m_frame == kNoFrame || m_image == nullptr)
        return 0;
    return m_shown;
}

void CSprite::OnMouse(HWND, UINT, WPARAM, LPARAM)
{
}

void CSprite::SetShown(int on)
{
    if (on)
        Show();
    else
        Hide();
}

int CSprite::FrameSource(int* srcX, int* srcY)
{
    if (m_image == nullptr || m_frame == kNoFrame || m_columns <= 0)
        return 0;
    int frame = m_firstFrame + m_frame;
    if (frame < 0)
        return 0;
    int width = m_rect.right - m_rect.left;
    int height = m_rect.bottom - m_rect.top;
    int column = frame % m_columns;
    int row = frame / m_columns;
    // A frame number past the strip's last row has nothing to draw.
    if (row * height >= GetBitmapHeight(m_image))
        return 0;
    *srcX = column * width + m_srcRect.left;
    *srcY = row * height + m_srcRect.top;
    return 1;
}

// A sprite that is not shown draws nothing: without a strip or a frame there
// is nothing to take pixels from.
void CSprite::DrawKeyed(HDC dc, const RECT* clip, int keyCorner)
{
    int srcX, srcY;
    if (!IsShown() || !FrameSource(&srcX, &srcY))
        return;
    BlitKeyed(dc, &m_dstRect, m_image, srcX, srcY, keyCorner == 1 ? 1 : 0);
}

void CSprite::Draw(HDC dc, const RECT* clip)
{
    CSprite::DrawKeyed(dc, clip, 0);
}

void CSprite::DrawOpaque(HDC dc, const RECT* clip)
{
    int srcX, srcY;
    if (!IsShown() || !FrameSource(&srcX, &srcY))
        return;
    BlitBitmapPart(dc, m_image, m_dstRect.left, m_dstRect.top, m_dstRect.right - m_dstRect.left,
                   m_dstRect.bottom - m_dstRect.top, srcX, srcY);
}

CAnimSprite::CAnimSprite(CStageScene* scene, HINSTANCE module, int id)
    : CSprite(scene, module, id), m_records(nullptr), m_recordCount(0), m_paramA(0), m_paramB(0)
{
}

CAnimSprite::~CAnimSprite()
{
    delete[] m_records;
}

void CAnimSprite::SetParamA(int value)
{
    m_paramA = value;
}

void CAnimSprite::SetParamB(int value)
{
    m_paramB = value;
}

int CAnimSprite::AllocAnimRecords(int count)
{
    delete[] m_records;
    m_records = nullptr;
    m_recordCount = 0;
    if (count <= 0)
        return 0;
    m_records = new (std::nothrow) AnimRecord[count];
    if (m_records == nullptr)
        return 0;
    m_recordCount = count;
    return 1;
}

void CAnimSprite::SetAnimRecord(int index, int x, int y, int width, int height, int imageId)
{
    if (index < 0 || index >= m_recordCount)
        return;
    AnimRecord& r = m_records[index];
    r.x = x;
    r.y = y;
    r.width = width;
    r.height = height;
    r.imageId = imageId;
}
