// The hidden main window of class "trail": frame timer, palette and shutdown
// messages, the add-scene message and the curtain for sprite windows.
#pragma once
#include <windows.h>

extern const char kMainClassName[];   // "trail"
extern const char kMainWindowTitle[]; // "Festling"

enum { kFrameTimerId = 1, kFrameMilliseconds = 100, kMciNotify = 0x3B9 };

ATOM RegisterMainClass(HINSTANCE module);
LRESULT CALLBACK MainWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// The foreground check at the start of every frame: true when the windows
// behind the sprites may have changed (another window came to the front, or
// the front window, not one of the program's own, moved), so that every
// sprite window captures its background anew. Records what it saw.
bool ForegroundNeedsRefresh(HWND mainWindow);

// Copies the command line out of a WM_USER block, reading no more than the
// block holds. Returns a new NUL-terminated string (free with delete[]) or
// null when the handle is not a usable block.
char* CopyCommandBlock(HGLOBAL block);
