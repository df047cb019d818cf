#include "app/main_window.h"

#include <string.h>

#include <new>

#include "app/app.h"
#include "engine/engine.h"
#include "graphics/palette.h"

const char kMainClassName[] = "trail";
const char kMainWindowTitle[] = "Festling";

namespace {

// The foreground window seen at the previous tick, and its rectangle.
HWND g_lastForeground = nullptr;
RECT g_lastForegroundRect = {0, 0, 0, 0};

CApp* AppOf(HWND hwnd)
{
    return reinterpret_cast<CApp*>(GetWindowLongA(hwnd, 0));
}

void RefreshSprites(CApp* app)
{
    if (app != nullptr && app->m_engine != nullptr)
        app->m_engine->RefreshAll();
}

LRESULT OnTimer(HWND hwnd, CApp* app)
{
    if (ForegroundNeedsRefresh(hwnd))
        RefreshSprites(app);
    if (app)
        app->RunFrame();
    return 0;
}

LRESULT OnClose(HWND hwnd)
{
    DestroyWindow(hwnd);
    return 0;
}

LRESULT OnDestroy(HWND hwnd, CApp* app)
{
    SetWindowLongA(hwnd, 0, 0);
    if (app) {
        if (g_app == app)
            g_app = nullptr;
        delete app;
    }
    HWND child = GetWindow(hwnd, GW_CHILD);
    while (child != nullptr) {
        HWND next = GetWindow(child, GW_HWNDNEXT);
        DestroyWindow(child);
        child = next;
    }
    PostQuitMessage(0);
    return 0;
}

LRESULT OnSysCommand(HWND hwnd, WPARAM wParam, LPARAM lParam)
{
    // No screen saver while the scene plays over the desktop.
    if ((wParam & 0xFFF0) == SC_SCREENSAVE)
        return 0;
    return DefWindowProcA(hwnd, WM_SYSCOMMAND, wParam, lParam);
}

LRESULT OnMusicNotify(CApp* app)
{
    if (app)
        app->StopMusic();
    return 0;
}

LRESULT OnAddScene(CApp* app, LPARAM lParam)
{
    HGLOBAL block = reinterpret_cast<HGLOBAL>(lParam);
    char* text = CopyCommandBlock(block);
    if (text != nullptr) {
        if (app)
            app->AddScene(text);
        delete[] text;
    }
    return 0;
}

} // namespace

bool ForegroundNeedsRefresh(HWND mainWindow)
{
    HWND foreground = GetForegroundWindow();
    if (foreground != g_lastForeground) {
        g_lastForeground = foreground;
        GetWindowRect(foreground, &g_lastForegroundRect);
        return true;
    }
    if (g_lastForeground == nullptr)
        return false;
    // The program's own windows (the card, sprite windows) may move freely.
    HWND outermost = g_lastForeground;
    for (HWND parent = GetParent(outermost); parent != nullptr; parent = GetParent(parent))
        outermost = parent;
    if (outermost == mainWindow)
        return false;
    RECT rect;
    GetWindowRect(g_lastForeground, &rect);
    if (EqualRect(&rect, &g_lastForegroundRect))
        return false;
    g_lastForegroundRect = rect;
    return true;
}

char* CopyCommandBlock(HGLOBAL block)
{
    if (block == nullptr || (GlobalFlags(block) & GMEM_INVALID_HANDLE))
        return nullptr;
    SIZE_T size = GlobalSize(block);
    const char* bytes = size ? static_cast<const char*>(GlobalLock(block)) : nullptr;
    char* text = nullptr;
    if (bytes != nullptr) {
        // A block without a NUL is read only up to its own size.
        size_t length = strnlen(bytes, size);
        text = new (std::nothrow) char[length + 1];
        if (text != nullptr) {
            memcpy(text, bytes, length);
            text[length] = '\0';
        }
        GlobalUnlock(block);
    }
    GlobalFree(block);
    return text;
}

ATOM RegisterMainClass(HINSTANCE module)
{
    WNDCLASSA wc = {};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = MainWndProc;
    wc.cbClsExtra = 2;
    wc.cbWndExtra = 4;
    wc.hInstance = module;
    wc.hIcon = LoadIconA(module, MAKEINTRESOURCEA(100));
    wc.hCursor = nullptr;
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    wc.lpszMenuName = "";
    wc.lpszClassName = kMainClassName;
    return static_cast<ATOM>(RegisterClassA(&wc) & 0xFFFF);
}

LRESULT CALLBACK MainWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CApp* app = AppOf(hwnd);
    switch (message) {
    case WM_CREATE:
        return 0;
    case WM_TIMER:
        return OnTimer(hwnd, app);
    case WM_CLOSE:
        return OnClose(hwnd);
    case WM_DESTROY:
        return OnDestroy(hwnd, app);
    case WM_SYSCOMMAND:
        return OnSysCommand(hwnd, wParam, lParam);
    case WM_QUERYNEWPALETTE:
        return RealizeForPaletteMessage(hwnd);
    case WM_PALETTECHANGED:
        return RealizeForPaletteChange(hwnd, reinterpret_cast<HWND>(wParam));
    case WM_PALETTEISCHANGING:
        return 0;
    case kMciNotify:
        return OnMusicNotify(app);
    case WM_USER:
        return OnAddScene(app, lParam);
    default:
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}
