#include "card/greeting_card.h"

#include <shellapi.h>
#include <stdio.h>

#include <new>

#include "card/card_animation.h"
#include "card/card_links.h"
#include "card/key_sequence.h"
#include "graphics/blit.h"
#include "graphics/frame_bitmaps.h"
#include "graphics/gdi_scope.h"
#include "graphics/palette.h"
#include "personalise/personalise_copy.h"

CardState g_cardState;

namespace {

const RECT kProvisionalPlacement = {50, 50, 500, 500};

bool Contains(const RECT& r, int x, int y)
{
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

int Smaller(int a, int b)
{
    return a < b ? a : b;
}

// The animation player in the bottom strip of a width x height card; the
// card shows no animation when FIG 1201 is missing or unreadable.
void StartAnimation(HWND window, int width, int height)
{
    CardState& card = g_cardState;
    HRSRC info = FindResourceA(card.instance, MAKEINTRESOURCEA(kCardAnimationFig), "FIG");
    card.animationResource = info ? LoadResource(card.instance, info) : nullptr;
    const void* bytes = card.animationResource ? LockResource(card.animationResource) : nullptr;
    if (bytes == nullptr)
        return;
    card.animation = new (std::nothrow) CCardAnimation;
    if (card.animation == nullptr)
        return;
    if (!card.animation->Open(window, bytes, SizeofResource(card.instance, info), &kProvisionalPlacement))
        return;

    int w = card.animation->Width();
    int h = card.animation->Height();
    int x = (width - w) / 2 > 1 ? (width - w) / 2 : 1;
    int y = height + (kCardStripHeight - h) / 2 - kCardStripHeight;
    if (y < height - (kCardStripHeight - 1))
        y = height - (kCardStripHeight - 1);
    RECT placement = {x, y - 3, x + Smaller(w, width - 2), y - 3 + Smaller(h, kCardStripHeight - 2)};
    card.animation->SetPlacement(&placement);
    card.animation->SetPlayState(kPlayStatePlaying);
    SetTimer(window, kAnimationTimer, kAnimationTimerMilliseconds, nullptr);
}

// Gives the card a client area of width x height, centred on the screen.
void PlaceCard(HWND window, int width, int height)
{
    RECT outer, client;
    GetWindowRect(window, &outer);
    GetClientRect(window, &client);
    int outerWidth = width + (outer.right - outer.left) - (client.right - client.left);
    int outerHeight = height + (outer.bottom - outer.top) - (client.bottom - client.top);
    ScopedGetDC screen;
    int screenWidth = GetDeviceCaps(screen, HORZRES);
    int screenHeight = GetDeviceCaps(screen, VERTRES);
    SetWindowPos(window, nullptr, (screenWidth - outerWidth) / 2, (screenHeight - outerHeight) / 2, outerWidth,
                 outerHeight, SWP_NOZORDER | SWP_NOACTIVATE);
}

HCURSOR LoadIfNull(HCURSOR current, int id)
{
    return current ? current : LoadCursorA(g_cardState.instance, MAKEINTRESOURCEA(id));
}

INT_PTR OnInitDialog(HWND window)
{
    CardState& card = g_cardState;
    if (card.window != nullptr || card.faceImage != nullptr || card.animationResource != nullptr) {
        EndDialog(window, 0);
        return 0;
    }
    card.window = window;

    UseFigPalette(MAKEINTRESOURCEA(kCardPicture));
    card.faceImage = FigLoadBitmap(card.instance, kCardPicture);
    int width, height;
    if (card.faceImage != nullptr) {
        width = GetBitmapWidth(card.faceImage);
        height = GetBitmapHeight(card.faceImage);
    } else {
        // Without its picture the card keeps the size of its dialog.
        RECT client;
        GetClientRect(window, &client);
        width = client.right;
        height = client.bottom;
    }
    StartAnimation(window, width, height);
    PlaceCard(window, width, height);

    char areaCode[kCardUrlSize];
    LoadAreaCode(card.instance, areaCode, sizeof areaCode);
    SetCardLinkAreas(width, height, areaCode);

    SetTimer(window, kCloseTimer, kCloseTimerMilliseconds, nullptr);
    card.linkCursor = LoadIfNull(card.linkCursor, kLinkCursor);
    card.sendCursor = LoadIfNull(card.sendCursor, kSendCursor);
    card.personaliseCursor = LoadIfNull(card.personaliseCursor, kPersonaliseCursor);

    POINT cursor;
    RECT area;
    if (GetCursorPos(&cursor) && GetWindowRect(window, &area) && PtInRect(&area, cursor))
        SetCursor(card.linkCursor);
    return 0;
}

INT_PTR OnPaint(HWND window)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    if (g_cardState.faceImage != nullptr)
        BlitBitmap(dc, g_cardState.faceImage, 0, 0);
    if (g_cardState.animation != nullptr)
        g_cardState.animation->Draw(dc, &paint.rcPaint);
    EndPaint(window, &paint);
    return 0;
}

INT_PTR OnTimer(HWND window, WPARAM id)
{
    if (id == kCloseTimer) {
        ++g_cardState.closeCountdown;
        if (g_cardState.closeCountdown >= kCloseAfterTicks)
            CloseCard(window);
    } else if (g_cardState.animation != nullptr) {
        g_cardState.animation->Tick();
    }
    return 0;
}

INT_PTR OnMouseMove(LPARAM lParam)
{
    int x = LOWORD(lParam), y = HIWORD(lParam);
    // One cursor per move: the personalise area's, the send row's, or the
    // link cursor everywhere else.
    HCURSOR cursor = g_cardState.linkCursor;
    if (Contains(PersonaliseArea, x, y))
        cursor = g_cardState.personaliseCursor;
    else if (FindHoverLink(x, y) == 2)
        cursor = g_cardState.sendCursor;
    SetCursor(cursor);
    return 0;
}

INT_PTR OnLeftButtonDown(HWND window, LPARAM lParam)
{
    KillTimer(window, kCloseTimer);
    SetTimer(window, kCloseTimer, kCloseTimerMilliseconds, nullptr);
    int x = LOWORD(lParam), y = HIWORD(lParam);
    if (Contains(PersonaliseArea, x, y)) {
        PersonaliseCopy(window);
        return 0;
    }
    int row = FindCardLink(x, y);
    if (row < 0)
        return 0;
    if (CardLinks[row].urlTemplate[0] == '\0') {
        CloseCard(window);
        return 0;
    }
    char url[kCardUrlSize];
    FormatCardUrl(row, g_cardState.sceneName, g_cardState.sceneTag, url, sizeof url);
    HINSTANCE result = ShellExecuteA(GetDesktopWindow(), "open", url, nullptr, nullptr, SW_SHOW);
    if (reinterpret_cast<INT_PTR>(result) <= 32) {
        char text[kCardUrlSize + 64];
        snprintf(text, sizeof text, "Couldn't open your browser at %s", url);
        MessageBoxA(window, text, "Browser Error", MB_OK);
    }
    return 0;
}

INT_PTR OnKeyDown(HWND window, WPARAM key)
{
    if ((GetAsyncKeyState(VK_CONTROL) & 0x8000) == 0)
        return 0;
    if (MatchKeySequence(key & 0xFF) == kPersonaliseSequence)
        PersonaliseCopy(window);
    return 0;
}

// Every command (Enter, Escape, the close box) closes the card.
INT_PTR OnCommand(HWND window)
{
    CloseCard(window);
    return 0;
}

INT_PTR OnControlColour(HDC dc)
{
    SetBkMode(dc, TRANSPARENT);
    return reinterpret_cast<INT_PTR>(GetStockObject(NULL_BRUSH));
}

} // namespace

int ShowGreetingCard(HINSTANCE instance, HWND ownerWindow, const char* sceneName, const char* sceneTag)
{
    // A second card leaves the open one and its owner untouched.
    if (g_cardState.window != nullptr)
        return 0;
    g_cardState.instance = instance;
    g_cardState.ownerWindow = ownerWindow;
    g_cardState.sceneName = sceneName;
    g_cardState.sceneTag = sceneTag;
    KillTimer(ownerWindow, 1);
    INT_PTR result = DialogBoxParamA(instance, MAKEINTRESOURCEA(kCardDialog), ownerWindow, CardDialogProc, 0);
    if (result == -1) {
        // No card could be made: end as a closed card would, rather than
        // leave the stopped program running unseen.
        PostMessageA(ownerWindow, WM_CLOSE, 0, 0);
        return 0;
    }
    return static_cast<int>(result);
}

INT_PTR CALLBACK CardDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: return OnInitDialog(window);
    case WM_PAINT: return OnPaint(window);
    case WM_TIMER: return OnTimer(window, wParam);
    case WM_MOUSEMOVE: return OnMouseMove(lParam);
    case WM_LBUTTONDOWN: return OnLeftButtonDown(window, lParam);
    case WM_KEYDOWN: return OnKeyDown(window, wParam);
    case WM_COMMAND: return OnCommand(window);
    case WM_QUERYNEWPALETTE: return RealizeForPaletteMessage(window);
    case WM_PALETTECHANGED: return RealizeForPaletteChange(window, reinterpret_cast<HWND>(wParam));
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC: return OnControlColour(reinterpret_cast<HDC>(wParam));
    default: return 0;
    }
}

void CloseCard(HWND window)
{
    CardState& card = g_cardState;
    KillTimer(window, kCloseTimer);
    KillTimer(window, kAnimationTimer);
    delete card.animation;
    card.animation = nullptr;
    if (card.faceImage != nullptr)
        DeleteObject(card.faceImage);
    card.faceImage = nullptr;
    if (card.animationResource != nullptr)
        FreeResource(card.animationResource);
    card.animationResource = nullptr;
    // The cursors are the module's shared ones and need no destroying.
    card.linkCursor = nullptr;
    card.sendCursor = nullptr;
    card.personaliseCursor = nullptr;
    card.window = nullptr;
    EndDialog(window, 1);
    PostMessageA(card.ownerWindow, WM_CLOSE, 0, 0);
}
