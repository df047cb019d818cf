// The greeting card: the modal popup with the card picture, its animation,
// the web links and the personalise command. At most one card is open per
// process; closing it ends the program.
#pragma once
#include <windows.h>

class CCardAnimation;

enum {
    kCardDialog = 107,
    kCardPicture = 1200,
    kCardAnimationFig = 1201,
    kLinkCursor = 100,
    kSendCursor = 102,
    kPersonaliseCursor = 103,
    kCloseTimer = 1,
    kAnimationTimer = 2,
    kCloseTimerMilliseconds = 1000,
    kAnimationTimerMilliseconds = 50,
    kCloseAfterTicks = 120,
};

// Everything the open card holds; all zero while no card is open.
struct CardState {
    HINSTANCE instance;          // module whose resources the card uses
    HWND ownerWindow;            // receives WM_CLOSE when the card closes
    const char* sceneName;       // first value for the link templates
    const char* sceneTag;        // second value for the link templates
    HBITMAP faceImage;           // owned; the card picture
    HGLOBAL animationResource;   // FIG 1201, locked while the animation plays
    CCardAnimation* animation;   // owned
    HCURSOR linkCursor;          // shared cursors of the module
    HCURSOR sendCursor;
    HCURSOR personaliseCursor;
    int closeCountdown;          // ticks of timer 1 seen so far; never reset
    HWND window;                 // the open card, null while none is open
};

extern CardState g_cardState;

// Runs the card modally over ownerWindow (stopping its timer 1 for good).
// 1 when the card closed itself, 0 when another card was already open.
int ShowGreetingCard(HINSTANCE instance, HWND ownerWindow, const char* sceneName, const char* sceneTag);
INT_PTR CALLBACK CardDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Releases what the card holds, ends it and posts WM_CLOSE to the owner.
void CloseCard(HWND window);
