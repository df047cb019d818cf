#include "engine/sprite_window.h"

#include <algorithm>
#include <new>

#include "engine/engine.h"
#include "engine/grouping.h"
#include "engine/pointer_list.h"
#include "engine/screen_grab.h"
#include "engine/sprite.h"
#include "graphics/blit.h"
#include "graphics/frame_bitmaps.h"
#include "graphics/gdi_scope.h"
#include "graphics/palette.h"

const char kSpriteClassName[] = "CHscamper";

namespace {

int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }

BOOL CALLBACK UpdateOtherWindow(HWND hwnd, LPARAM self)
{
    if (hwnd != reinterpret_cast<HWND>(self))
        UpdateWindow(hwnd);
    return TRUE;
}

CSpriteWindow* WindowOf(HWND hwnd)
{
    return reinterpret_cast<CSpriteWindow*>(GetWindowLongA(hwnd, 0));
}

POINT PointOf(LPARAM lParam)
{
    POINT p = {static_cast<int16_t>(LOWORD(lParam)), static_cast<int16_t>(HIWORD(lParam))};
    return p;
}

LRESULT OnCreate(HWND hwnd)
{
    CSpriteWindow* self = new (std::nothrow) CSpriteWindow(hwnd);
    if (self == nullptr)
        return -1; // no object, no window
    SetWindowLongA(hwnd, 0, reinterpret_cast<LONG>(self));
    return 0;
}

} // namespace

CSpriteWindow::CSpriteWindow(HWND hwnd)
    : m_background(nullptr), m_canvas(nullptr), m_previous(nullptr), m_previousRect(), m_hwnd(hwnd), m_rect(), m_oldRect(), m_capRect(),
      m_engine(nullptr), m_inCapture(0), m_noCapture(0), m_entries(nullptr), m_entryCount(0),
      m_entryCapacity(0), m_topmost(0)
{
    if (hwnd != nullptr)
        GetWindowRect(hwnd, &m_rect);
    m_oldRect = m_rect;
}

CSpriteWindow::~CSpriteWindow()
{
    // The window may outlive its object; it must not reach it any more.
    if (m_hwnd != nullptr && IsWindow(m_hwnd) && WindowOf(m_hwnd) == this)
        SetWindowLongA(m_hwnd, 0, 0);
    delete[] m_entries;
    DropPrevious();
    if (m_background != nullptr)
        DeleteObject(m_background);
    if (m_canvas != nullptr)
        DeleteObject(m_canvas);
}

RECT CSpriteWindow::SpriteRectInWindow(SpriteEntry* entry) const
{
    RECT bounds;
    entry->m_sprite->GetBounds(&bounds);
    RECT r = SpriteRect16(bounds);
    OffsetRect(&r, -m_rect.left, -m_rect.top);
    return r;
}

void CSpriteWindow::SetGroupRect(const RECT* bounds)
{
    m_oldRect = m_rect;
    m_rect = *bounds;
    for (int i = 0; i < m_entryCount; ++i) {
        RECT dst = SpriteRectInWindow(m_entries[i]);
        RECT src = {0, 0, Width(dst), Height(dst)};
        m_entries[i]->m_sprite->SetDrawRects(&src, &dst);
    }
}

void CSpriteWindow::ClearEntries()
{
    m_entryCount = 0;
}

int CSpriteWindow::AddEntry(SpriteEntry* entry)
{
    // ClearEntries keeps the array; it grows only when full.
    if (m_entryCount < m_entryCapacity) {
        m_entries[m_entryCount++] = entry;
        return 1;
    }
    if (!AppendPointer(m_entries, m_entryCount, entry))
        return 0;
    m_entryCapacity = m_entryCount;
    return 1;
}

int CSpriteWindow::Contains(SpriteEntry* entry) const
{
    for (int i = 0; i < m_entryCount; ++i)
        if (m_entries[i] == entry)
            return 1;
    return 0;
}

void CSpriteWindow::DropPrevious()
{
    if (m_previous != nullptr)
        DeleteObject(m_previous);
    m_previous = nullptr;
    SetRectEmpty(&m_previousRect);
}

void CSpriteWindow::UpdateBackground()
{
    const RECT n = m_rect;
    const RECT o = m_oldRect;
    if (EqualRect(&n, &o))
        return;
    DropPrevious();
    RECT ov;
    // Without a saved background there is nothing to keep: everything is grabbed.
    bool has = m_background != nullptr && IntersectRect(&ov, &n, &o);
    bool sameSize = Width(n) == Width(o) && Height(n) == Height(o);
    {
        // The old background stays whole until the frame's backgrounds are
        // done: a window updated after this one may still need pixels of it.
        ScopedGetDC screen;
        m_previous = m_background;
        m_previousRect = m_capRect;
        m_background = CreateCompatibleBitmap(screen, Width(n), Height(n));
        if (m_canvas == nullptr || !sameSize) {
            if (m_canvas != nullptr)
                DeleteObject(m_canvas);
            m_canvas = CreateCompatibleBitmap(screen, Width(n), Height(n));
        }
    }
    m_capRect = n;
    if (m_background == nullptr)
        return;
    if (!has) {
        GrabScreenPart(m_background, 0, 0, Width(n), Height(n), n.left, n.top);
        return;
    }
    CopyBitmapPart(m_background, ov.left - n.left, ov.top - n.top, Width(ov), Height(ov), m_previous, ov.left - o.left,
                   ov.top - o.top);
    // The strips of the new area outside the old one; the screen inside the
    // old area still shows this window's sprites.
    int x1 = std::min(std::max(n.left, o.left), n.right);
    int x2 = std::max(std::min(n.right, o.right), n.left);
    int y1 = std::min(std::max(n.top, o.top), n.bottom);
    int y2 = std::max(std::min(n.bottom, o.bottom), n.top);
    if (x1 > n.left)
        GrabScreenPart(m_background, 0, 0, x1 - n.left, Height(n), n.left, n.top);
    if (x2 > x1 && y1 > n.top)
        GrabScreenPart(m_background, x1 - n.left, 0, x2 - x1, y1 - n.top, x1, n.top);
    if (n.right > x2)
        GrabScreenPart(m_background, x2 - n.left, 0, n.right - x2, Height(n), x2, n.top);
    if (x2 > x1 && n.bottom > y2)
        GrabScreenPart(m_background, x1 - n.left, y2 - n.top, x2 - x1, n.bottom - y2, x1, y2);
}

void CSpriteWindow::TakeBackgroundFrom(CSpriteWindow* other)
{
    if (other == this || other == nullptr || m_background == nullptr)
        return;
    // What the other window held when this frame began: the screen there
    // still shows its old sprites.
    HBITMAP source = other->m_previous != nullptr ? other->m_previous : other->m_background;
    const RECT& area = other->m_previous != nullptr ? other->m_previousRect : other->m_capRect;
    RECT r;
    if (source == nullptr || !IntersectRect(&r, &m_rect, &area))
        return;
    CopyBitmapPart(m_background, r.left - m_rect.left, r.top - m_rect.top, Width(r), Height(r), source,
                   r.left - area.left, r.top - area.top);
}

void CSpriteWindow::Park()
{
    // The size stays; the platform repaints what lay beneath.
    if (m_hwnd != nullptr && IsWindowVisible(m_hwnd))
        SetWindowPos(m_hwnd, nullptr, -1, -1, 1, 1, SWP_HIDEWINDOW | SWP_NOACTIVATE | SWP_NOZORDER | SWP_NOSIZE);
    // Even a window that was never shown gives no background to the others.
    SetRect(&m_rect, -1, -1, 0, 0);
    m_capRect = m_rect;
}

void CSpriteWindow::Present()
{
    if (m_hwnd == nullptr || m_engine == nullptr)
        return;
    if (!EqualRect(&m_rect, &m_oldRect)) {
        if (!IsWindowVisible(m_hwnd) && m_rect.left == m_oldRect.left && m_rect.top == m_oldRect.top)
            return;
        RECT u;
        UnionRect(&u, &m_oldRect, &m_rect);
        bool oldOffScreen = m_oldRect.right <= 0 || m_oldRect.bottom <= 0 ||
                            m_oldRect.left >= m_engine->m_displayWidth || m_oldRect.top >= m_engine->m_displayHeight;
        if (oldOffScreen)
            u = m_rect;
        SetWindowPos(m_hwnd, nullptr, m_rect.left, m_rect.top, Width(m_rect), Height(m_rect),
                     SWP_NOZORDER | SWP_NOREDRAW | SWP_NOACTIVATE | SWP_SHOWWINDOW);
        // The curtain: the hidden main window slides over the whole area and
        // away, so that the windows beneath repaint where the sprites were.
        HWND curtain = m_engine->MainWindow();
        if (curtain != nullptr) {
            SetWindowPos(curtain, m_hwnd, u.left, u.top, Width(u), Height(u), SWP_NOACTIVATE | SWP_SHOWWINDOW);
            MoveWindow(curtain, -1 - Width(u), -1 - Height(u), Width(u), Height(u), TRUE);
        }
    }
    // Nothing pending: the saved background is still true and is reused.
    if (!GetUpdateRect(m_hwnd, nullptr, FALSE))
        m_noCapture = 1;
    InvalidateRect(m_hwnd, nullptr, FALSE);
    UpdateWindow(m_hwnd);
    m_noCapture = 0;
}

void CSpriteWindow::Repaint()
{
    if (m_hwnd == nullptr)
        return;
    InvalidateRect(m_hwnd, nullptr, FALSE);
    UpdateWindow(m_hwnd);
}

void CSpriteWindow::SetTopmost(int on)
{
    if (m_hwnd == nullptr || on == m_topmost)
        return;
    m_topmost = on;
    SetWindowPos(m_hwnd, on ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

SpriteEntry* CSpriteWindow::HitTest(int x, int y)
{
    POINT p = {x, y};
    for (int i = m_entryCount - 1; i >= 0; --i) {
        RECT r = SpriteRectInWindow(m_entries[i]);
        if (PtInRect(&r, p))
            return m_entries[i];
    }
    return nullptr;
}

void CSpriteWindow::OpenCardAt(int x, int y)
{
    SpriteEntry* entry = HitTest(x, y);
    if (entry != nullptr && m_engine != nullptr)
        m_engine->OpenCardFor(entry->m_sprite);
}

void CSpriteWindow::Forward(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CSprite* capture = m_engine != nullptr ? m_engine->CaptureSprite() : nullptr;
    if (capture != nullptr) {
        capture->OnMouse(hwnd, message, wParam, lParam);
        return;
    }
    POINT p = PointOf(lParam);
    SpriteEntry* entry = HitTest(p.x, p.y);
    if (entry != nullptr)
        entry->m_sprite->OnMouse(hwnd, message, wParam, lParam);
}

void CSpriteWindow::CaptureFresh()
{
    m_inCapture = 1;
    RECT r;
    GetWindowRect(m_hwnd, &r);
    int w = Width(r), h = Height(r);
    // Out of sight, the windows beneath show what lies behind this one.
    MoveWindow(m_hwnd, -1 - w, -1 - h, w, h, TRUE);
    EnumWindows(UpdateOtherWindow, reinterpret_cast<LPARAM>(m_hwnd));
    // Programs outside this one repaint in their own time. The canvas is
    // not filled here: Compose resets it from the background anyway.
    if (m_background != nullptr)
        GrabSettled(m_background, r.left, r.top);
    MoveWindow(m_hwnd, r.left, r.top, w, h, FALSE);
    InvalidateRect(m_hwnd, nullptr, FALSE);
    m_inCapture = 0;
}

void CSpriteWindow::Paint()
{
    if (!m_inCapture && !m_noCapture)
        CaptureFresh();
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(m_hwnd, &ps);
    if (dc != nullptr)
        Compose(dc, &ps.rcPaint);
    EndPaint(m_hwnd, &ps);
}

void CSpriteWindow::Compose(HDC dc, const RECT* paint)
{
    if (m_background == nullptr || m_canvas == nullptr)
        return;
    RECT client;
    GetClientRect(m_hwnd, &client);
    RealizeMainPalette();
    CopyBitmapPart(m_canvas, 0, 0, GetBitmapWidth(m_canvas), GetBitmapHeight(m_canvas), m_background, 0, 0);
    {
        ScopedMemoryDC canvas(dc, m_canvas);
        ScopedGdiObject<HRGN> clip(CreateRectRgn(0, 0, 1, 1));
        for (int i = 0; i < m_entryCount; ++i) {
            RECT r = SpriteRectInWindow(m_entries[i]);
            SetRectRgn(clip, r.left, r.top, r.right, r.bottom);
            SelectClipRgn(canvas, clip);
            m_entries[i]->m_sprite->Draw(canvas, paint);
        }
    }
    BlitBitmapPart(dc, m_canvas, paint->left, paint->top, Width(client) - paint->left, Height(client) - paint->top,
                   paint->left, paint->top);
}

LRESULT CSpriteWindow::OnPaint()
{
    Paint();
    return 0;
}

LRESULT CSpriteWindow::OnRealizePalette()
{
    return RealizeForPaletteMessage(m_hwnd);
}

LRESULT CSpriteWindow::OnPaletteChanged(HWND changer)
{
    return RealizeForPaletteChange(m_hwnd, changer);
}

LRESULT CSpriteWindow::OnDestroy()
{
    // The engine keeps the object; it must not use the dead handle.
    SetWindowLongA(m_hwnd, 0, 0);
    m_hwnd = nullptr;
    return 0;
}

LRESULT CSpriteWindow::OnRightClick(LPARAM lParam)
{
    POINT p = PointOf(lParam);
    OpenCardAt(p.x, p.y);
    return 0;
}

LRESULT CSpriteWindow::OnInput(UINT message, WPARAM wParam, LPARAM lParam)
{
    Forward(m_hwnd, message, wParam, lParam);
    return 0;
}

ATOM RegisterSpriteWindowClass(HINSTANCE module)
{
    WNDCLASSA wc = {};
    wc.style = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = SpriteWndProc;
    wc.cbWndExtra = 4;
    wc.hInstance = module;
    wc.hIcon = LoadIconA(module, MAKEINTRESOURCEA(100));
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    wc.lpszClassName = kSpriteClassName;
    return RegisterClassA(&wc);
}

CSpriteWindow* CreateSpriteWindow(CEngine* engine, int x, int y, int width, int height)
{
    HWND hwnd = CreateWindowExA(0, kSpriteClassName, "", WS_POPUP, x, y, width, height, engine->MainWindow(),
                                nullptr, engine->Module(), nullptr);
    if (hwnd == nullptr)
        return nullptr;
    CSpriteWindow* self = WindowOf(hwnd);
    if (self == nullptr) {
        DestroyWindow(hwnd);
        return nullptr;
    }
    self->m_engine = engine;
    return self;
}

LRESULT CALLBACK SpriteWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CREATE)
        return OnCreate(hwnd);
    CSpriteWindow* self = WindowOf(hwnd);
    if (self == nullptr)
        return DefWindowProcA(hwnd, message, wParam, lParam);
    switch (message) {
    case WM_DESTROY:
        return self->OnDestroy();
    case WM_PAINT:
        return self->OnPaint();
    case WM_RBUTTONDOWN:
    case WM_CLOSE: // a close request is a right click; the window stays
        return self->OnRightClick(lParam);
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_KEYDOWN:
        return self->OnInput(message, wParam, lParam);
    case WM_WINDOWPOSCHANGING:
        return 0;
    case WM_QUERYNEWPALETTE:
        return self->OnRealizePalette();
    case WM_PALETTECHANGED:
        return self->OnPaletteChanged(reinterpret_cast<HWND>(wParam));
    default:
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}
