// Grabbing screen areas into bitmaps for the sprite windows' backgrounds.
//
// Only what lies on the screen is grabbed: under X a copy whose source runs
// past an edge of the screen brings nothing at all, not even the part on it.
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
    kSettleStepMs = 10,   // time between two looks at the screen
    kSettleQuietMs = 50,  // the area must stay unchanged this long
    kSettleLimitMs = 200, // the longest wait, for an area that keeps changing
};

// Copies width x height screen pixels from (srcX, srcY) into the bitmap at
// (x, y), leaving the bitmap as it was where the source lies off the screen.
void GrabScreenPart(HBITMAP bitmap, int x, int y, int width, int height, int srcX, int srcY);

// Fills the bitmap from the screen at (x, y). When the screen there already
// shows what the bitmap holds, that one grab is taken; otherwise the area is
// grabbed again until it has not changed for kSettleQuietMs (at most
// kSettleLimitMs). Returns the milliseconds waited.
int GrabSettled(HBITMAP bitmap, int x, int y);
