// Grabbing a screen area once the programs beneath have repainted it.
//
// A sprite window that moves out of sight to see what lies behind it makes
// the windows beneath repaint. Windows of this program and of other Windows
// programs repaint at once (UpdateWindow), but under X the windows of other
// X programs repaint whenever those programs get to it; until then the
// screen shows a fill colour or the pixels the sprite window left. A grab
// taken then would keep them in the saved background and draw them again as
// a trail.
#pragma once
#include <windows.h>

enum {
    kSettleStepMs = 10,  // time between two looks at the screen
    kSettleQuietMs = 50, // the area must stay unchanged this long
    kSettleLimitMs = 400, // the longest wait for a program that keeps changing it
};

// Fills the bitmap from the screen at (x, y). When the screen there already
// shows what the bitmap holds, that one grab is taken; otherwise the area is
// grabbed again until it has not changed for kSettleQuietMs (at most
// kSettleLimitMs). Returns the milliseconds waited.
int GrabSettled(HBITMAP bitmap, int x, int y);
