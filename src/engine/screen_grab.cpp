#include "engine/screen_grab.h"

#include <stdint.h>
#include <string.h>

#include <new>

#include "graphics/blit.h"
#include "graphics/frame_bitmaps.h"
#include "graphics/gdi_scope.h"

namespace {

// The bitmap's pixels as 32-bit values, into a buffer of width x height.
bool ReadBits(HBITMAP bitmap, int width, int height, uint32_t* bits)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    return GetDIBits(ScopedGetDC(), bitmap, 0, height, bits, &info, DIB_RGB_COLORS) == height;
}

void Grab(HBITMAP bitmap, int x, int y)
{
    GrabScreenPart(bitmap, 0, 0, GetBitmapWidth(bitmap), GetBitmapHeight(bitmap), x, y);
}

} // namespace

void GrabScreenPart(HBITMAP bitmap, int x, int y, int width, int height, int srcX, int srcY)
{
    ScopedGetDC screen;
    RECT source = {srcX, srcY, srcX + width, srcY + height};
    RECT shown = {0, 0, GetDeviceCaps(screen, HORZRES), GetDeviceCaps(screen, VERTRES)};
    RECT part;
    if (IntersectRect(&part, &source, &shown))
        GrabToBitmapClipped(screen, bitmap, x + part.left - srcX, y + part.top - srcY, part.right - part.left,
                            part.bottom - part.top, part.left, part.top);
}

int GrabSettled(HBITMAP bitmap, int x, int y)
{
    int width = GetBitmapWidth(bitmap), height = GetBitmapHeight(bitmap);
    size_t count = static_cast<size_t>(width) * height;
    uint32_t* last = count ? new (std::nothrow) uint32_t[count] : nullptr;
    uint32_t* now = count ? new (std::nothrow) uint32_t[count] : nullptr;
    if (last == nullptr || now == nullptr || !ReadBits(bitmap, width, height, last)) {
        // Without room to compare, one grab is all that can be done.
        delete[] last;
        delete[] now;
        Grab(bitmap, x, y);
        return 0;
    }
    const size_t bytes = count * sizeof *now;
    Grab(bitmap, x, y);
    DWORD start = GetTickCount();
    // The screen shows what the bitmap held: nothing beneath is still to repaint.
    bool settled = ReadBits(bitmap, width, height, now) && memcmp(last, now, bytes) == 0;
    DWORD quietSince = start;
    while (!settled) {
        uint32_t* swap = last;
        last = now;
        now = swap;
        Sleep(kSettleStepMs);
        Grab(bitmap, x, y);
        DWORD tick = GetTickCount();
        if (!ReadBits(bitmap, width, height, now) || tick - start >= kSettleLimitMs)
            break;
        if (memcmp(last, now, bytes) != 0)
            quietSince = tick;
        else
            settled = tick - quietSince >= kSettleQuietMs;
    }
    delete[] last;
    delete[] now;
    return static_cast<int>(GetTickCount() - start);
}
