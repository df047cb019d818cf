// Prints how long the graphics code takes on its hot paths under the
// platform it runs on: decoding a FIG frame strip of the sizes the program
// carries, and one transparent frame draw against a plain copy.
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>

#include <vector>

#include "graphics/blit.h"
#include "graphics/fig_reader.h"
#include "graphics/palette.h"
#include "support/fig_builder.h"

namespace {

double Now()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Flat shapes on a key-coloured ground with a little texture, as drawn
// artwork is: it compresses about as the program's pictures do.
figpack::FigImage Artwork(int width, int height)
{
    return fig_builder::MakeImage(width, height, [&](int x, int y) {
        int cx = x % 160 - 80, cy = y % 135 - 67;
        if (cx * cx + cy * cy > 60 * 60)
            return 253;
        int shade = (x / 6 + y / 9) % 7;
        return ((x * 31 + y * 17) % 23 == 0) ? 220 + shade : 30 + (cx > 0) * 40 + shade;
    });
}

void DecodeFigure(int width, int height)
{
    std::vector<uint8_t> fig = fig_builder::Build({Artwork(width, height)});
    const int runs = 40;
    double start = Now();
    for (int i = 0; i < runs; ++i) {
        FigReader* reader = FigOpenMemory(fig.data(), fig.size());
        HBITMAP bitmap = nullptr;
        FigImageInfo* info = nullptr;
        FigReadImage(reader, &bitmap, &info);
        free(info);
        DeleteObject(bitmap);
        FigClose(reader);
    }
    double each = (Now() - start) / runs * 1000.0;
    printf("decode %3d x %3d strip: %7.2f ms per decode (%zu bytes of FIG, zlib level 9)\n", width, height, each,
           fig.size());
}

void BlitFigure(HWND window)
{
    std::vector<uint8_t> fig = fig_builder::Build({Artwork(320, 270)});
    FigReader* reader = FigOpenMemory(fig.data(), fig.size());
    HBITMAP strip = nullptr;
    FigImageInfo* info = nullptr;
    FigReadImage(reader, &strip, &info);
    free(info);
    FigClose(reader);

    HDC screen = GetDC(window);
    HDC dest = CreateCompatibleDC(screen);
    HBITMAP canvas = CreateCompatibleBitmap(screen, 400, 300);
    HGDIOBJ oldCanvas = SelectObject(dest, canvas);
    HDC source = CreateCompatibleDC(screen);
    HGDIOBJ oldStrip = SelectObject(source, strip);
    ReleaseDC(window, screen);

    const int runs = 300;
    const RECT rect = {20, 30, 20 + 160, 30 + 135};
    double start = Now();
    for (int i = 0; i < runs; ++i)
        BitBlt(dest, rect.left, rect.top, 160, 135, source, (i % 2) * 160, 0, SRCCOPY);
    GdiFlush();
    double plain = (Now() - start) / runs;
    SelectObject(source, oldStrip);
    DeleteDC(source);

    start = Now();
    for (int i = 0; i < runs; ++i)
        BlitKeyed(dest, &rect, strip, (i % 2) * 160, 0);
    GdiFlush();
    double keyed = (Now() - start) / runs;
    printf("160 x 135 frame: BlitKeyed %.3f ms, SRCCOPY %.3f ms, ratio %.1f\n", keyed * 1000.0, plain * 1000.0,
           keyed / plain);

    SelectObject(dest, oldCanvas);
    DeleteObject(canvas);
    DeleteDC(dest);
    DeleteObject(strip);
}

} // namespace

int main()
{
    HWND window = CreateWindowExA(0, "STATIC", "bench", WS_POPUP, 0, 0, 16, 16, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    InitPalette(GetModuleHandleA(nullptr), window);
    HDC screen = GetDC(nullptr);
    printf("display: %d bits per pixel\n", GetDeviceCaps(screen, BITSPIXEL));
    ReleaseDC(nullptr, screen);
    DecodeFigure(320, 270);
    DecodeFigure(492, 603);
    BlitFigure(window);
    FreePalette();
    DestroyWindow(window);
    return 0;
}
