#include "card/card_animation.h"

#include <stdlib.h>
#include <string.h>

#include <initializer_list>

#include "graphics/blit.h"
#include "graphics/fig_reader.h"
#include "graphics/gdi_scope.h"
#include "graphics/palette.h"

namespace {

// A memory DC compatible with the screen holding one bitmap, with the
// program palette selected while it lives.
class CanvasDC {
public:
    explicit CanvasDC(HBITMAP bitmap) : m_dc(ScopedGetDC(), bitmap)
    {
        if (m_dc != nullptr)
            SelectMainPalette(m_dc);
    }
    ~CanvasDC()
    {
        if (m_dc != nullptr)
            RestorePalette(m_dc);
    }
    CanvasDC(const CanvasDC&) = delete;
    CanvasDC& operator=(const CanvasDC&) = delete;
    HDC Get() const { return m_dc; }

private:
    ScopedMemoryDC m_dc;
};

void FillArea(HBITMAP bitmap, const RECT& area, HBRUSH brush)
{
    if (bitmap == nullptr)
        return;
    CanvasDC dc(bitmap);
    if (dc.Get())
        FillRect(dc.Get(), &area, brush);
}

// "now" has come when it is not before due; the difference keeps this right
// when the tick count wraps.
bool Reached(DWORD now, DWORD due)
{
    return static_cast<int32_t>(now - due) >= 0;
}

DWORD SystemClock()
{
    return GetTickCount();
}

} // namespace

CCardAnimation::CCardAnimation()
    : m_reader(nullptr), m_frameInfo(nullptr), m_canvas(nullptr), m_saved(nullptr), m_frameBitmap(nullptr),
      m_mask(nullptr), m_work(nullptr), m_frameRect(), m_dueTime(0), m_pausedRemaining(0), m_window(nullptr),
      m_placement(), m_width(0), m_height(0), m_playState(kPlayStateStopped), m_frameNumber(0),
      m_keyColour(kNoKeyColour), m_nextEvict(0), m_cache(), m_loopsLeft(0), m_canvasRect(), m_clock(SystemClock)
{
}

CCardAnimation::~CCardAnimation()
{
    free(m_frameInfo);
    FigClose(m_reader);
    for (CardAnimationFrame& entry : m_cache) {
        if (entry.bitmap)
            DeleteObject(entry.bitmap);
    }
    for (HBITMAP bitmap : {m_canvas, m_saved, m_mask, m_work}) {
        if (bitmap)
            DeleteObject(bitmap);
    }
}

bool CCardAnimation::Open(HWND window, const void* bytes, size_t size, const RECT* placement)
{
    m_placement = *placement;
    m_window = window;
    if (m_reader != nullptr)
        return true;
    FigReader* reader = FigOpenMemory(bytes, size);
    if (reader == nullptr)
        return false;
    // A file without images or without a canvas has nothing to play.
    if (reader->imageCount == 0 || reader->width == 0 || reader->height == 0) {
        FigClose(reader);
        return false;
    }
    m_reader = reader;
    m_width = reader->width;
    m_height = reader->height;
    m_loopsLeft = static_cast<uint16_t>(reader->loopCount);

    {
        ScopedGetDC screen;
        SelectMainPalette(screen);
        m_canvas = CreateCompatibleBitmap(screen, m_width, m_height);
        m_saved = CreateCompatibleBitmap(screen, m_width, m_height);
        m_work = CreateCompatibleBitmap(screen, m_width, m_height);
        m_mask = CreateBitmap(m_width, m_height, 1, 1, nullptr);
        RestorePalette(screen);
    }

    RECT all = {0, 0, m_width, m_height};
    HBRUSH black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    FillArea(m_canvas, all, black);
    FillArea(m_saved, all, black);
    return true;
}

void CCardAnimation::SetPlacement(const RECT* placement)
{
    m_placement = *placement;
}

void CCardAnimation::SetPlayState(int state)
{
    if (state == m_playState)
        return;
    m_playState = state;
    DWORD now = Now();
    switch (state) {
    case kPlayStatePlaying:
        if (m_pausedRemaining == 0)
            Advance();
        else
            m_dueTime = now + m_pausedRemaining;
        break;
    case kPlayStatePaused:
        m_pausedRemaining = Reached(now, m_dueTime) ? 0 : m_dueTime - now;
        break;
    case kPlayStateRestarted:
        m_loopsLeft = m_reader ? static_cast<uint16_t>(m_reader->loopCount) : 0;
        m_frameNumber = 0;
        Advance();
        now = Now();
        m_pausedRemaining = Reached(now, m_dueTime) ? 0 : m_dueTime - now;
        break;
    default:
        break;
    }
}

void CCardAnimation::Tick()
{
    if (m_playState != kPlayStatePlaying || !Reached(Now(), m_dueTime))
        return;
    Advance();
    if (m_window == nullptr)
        return;
    ScopedGetDC dc(m_window);
    if (dc != nullptr)
        Draw(dc, &m_placement);
}

void CCardAnimation::Draw(HDC dc, const RECT* area)
{
    if (m_frameBitmap == nullptr)
        return;
    BlitBitmapPart(dc, m_canvas, m_placement.left, m_placement.top, m_placement.right - m_placement.left,
                   m_placement.bottom - m_placement.top, 0, 0);
}

COLORREF CCardAnimation::KeyColourOf(const FigImageInfo* info) const
{
    // An index outside the 256-entry colour table names no colour.
    if (info == nullptr || info->keyIndex < 0 || info->keyIndex > 255)
        return kNoKeyColour;
    const uint8_t* entry = m_reader->palette + 4 * info->keyIndex;
    return RGB(entry[2], entry[1], entry[0]);
}

void CCardAnimation::Advance()
{
    if (m_reader == nullptr)
        return;
    RECT previous = m_canvasRect;
    int previousDisposal = m_frameInfo ? m_frameInfo->disposal : -1;
    free(m_frameInfo);
    m_frameInfo = nullptr;

    m_frameBitmap = nullptr;
    ++m_frameNumber;
    if (m_frameNumber > m_reader->imageCount) {
        if (m_reader->loopCount <= 0) {
            m_frameNumber = 1;
        } else if (m_loopsLeft > 0) {
            --m_loopsLeft;
            m_frameNumber = 1;
        } else {
            --m_frameNumber;
        }
    }

    CardAnimationFrame* entry = nullptr;
    CardAnimationFrame* empty = nullptr;
    for (CardAnimationFrame& candidate : m_cache) {
        if (candidate.frameNumber == 0) {
            empty = &candidate;
            break;
        }
        if (candidate.frameNumber == m_frameNumber) {
            entry = &candidate;
            break;
        }
    }

    if (entry == nullptr) {
        if (m_frameNumber == 1)
            FigRewind(m_reader);
        HBITMAP bitmap = nullptr;
        FigReadImage(m_reader, &bitmap, &m_frameInfo);
        if (empty == nullptr) {
            empty = &m_cache[m_nextEvict];
            if (empty->bitmap)
                DeleteObject(empty->bitmap);
            m_nextEvict = (m_nextEvict + 1) % kCardAnimationCacheSize;
        }
        entry = empty;
        *entry = CardAnimationFrame();
        entry->frameNumber = m_frameNumber;
        entry->bitmap = bitmap;
        entry->keyColour = KeyColourOf(m_frameInfo);
        // An image that could not be read stays in the cache as an empty
        // picture with no delay, so that the file is not read out of step.
        if (m_frameInfo != nullptr) {
            entry->x = m_frameInfo->x;
            entry->y = m_frameInfo->y;
            entry->width = m_frameInfo->header.biWidth;
            entry->height = abs(m_frameInfo->header.biHeight);
            // A negative time would put the next image weeks away.
            entry->delay = m_frameInfo->delay > 0 ? m_frameInfo->delay * 10 : 0;
        }
    }

    m_canvasRect = {entry->x, entry->y, entry->x + entry->width, entry->y + entry->height};
    m_frameRect = m_canvasRect;
    OffsetRect(&m_frameRect, m_placement.left, m_placement.top);
    m_dueTime = Now() + static_cast<DWORD>(entry->delay);
    m_keyColour = entry->keyColour;

    DisposePrevious(previousDisposal, previous, entry->keyColour);
    if (m_frameInfo != nullptr && m_frameInfo->disposal == 3)
        CopyBitmapPart(m_saved, 0, 0, entry->width, entry->height, m_canvas, entry->x, entry->y);

    m_frameBitmap = entry->bitmap;
    if (m_frameBitmap != nullptr)
        Compose(*entry, entry->x, entry->y);
}

void CCardAnimation::DisposePrevious(int disposal, const RECT& previous, COLORREF incomingKey)
{
    if (disposal == 2) {
        // The previous image's area takes the incoming image's key colour.
        if (incomingKey == kNoKeyColour)
            return;
        ScopedGdiObject<HBRUSH> brush(CreateSolidBrush(incomingKey));
        FillArea(m_canvas, previous, brush);
    } else if (disposal == 3) {
        // What lay under the previous image comes back.
        CopyBitmapPart(m_canvas, previous.left, previous.top, previous.right - previous.left,
                       previous.bottom - previous.top, m_saved, 0, 0);
    }
}

void CCardAnimation::Compose(const CardAnimationFrame& frame, int canvasX, int canvasY)
{
    if (frame.keyColour == kNoKeyColour) {
        CopyBitmapPart(m_canvas, canvasX, canvasY, frame.width, frame.height, frame.bitmap, 0, 0);
        return;
    }
    ScopedMemoryDC dc(ScopedGetDC(), m_canvas);
    if (dc == nullptr)
        return;
    // The work bitmaps are the canvas's size; nothing beyond it shows anyway.
    RECT source = {0, 0, frame.width < m_width ? frame.width : m_width,
                   frame.height < m_height ? frame.height : m_height};
    // BlitColourKeyed leaves the program palette in its destination.
    BlitColourKeyed(dc, frame.bitmap, m_mask, m_work, canvasX, canvasY, &source, frame.keyColour);
    RestorePalette(dc);
}
