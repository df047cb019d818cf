// The cost of one CEngine::Frame with eleven sprites of the downhill scene's
// frame sizes, drawn from the program's own pictures: the sled and the
// children stay in the middle while the trees, the signpost and the rest
// scroll past on the ride's 2:1 diagonal. Prints the median and the 95th
// percentile over a few hundred frames, also as a share of the 100 ms frame
// period. Run it on a 1024 x 768 display.
#include <windows.h>
#include <stdio.h>

#include <algorithm>
#include <vector>

#include "engine/engine.h"
#include "engine/sprite_window.h"
#include "engine/engine_fixture.h"

using engine_fixture::MainWindowForTests;
using engine_fixture::TestScene;
using engine_fixture::TestSprite;

namespace {

struct Cast {
    int figId, frameWidth, frameHeight, frames;
    int x, y;   // start on the stage
    bool rides; // stays with the sled; the others scroll past
};

// Frame sizes of the downhill pictures; positions on a 640 x 480 stage.
const Cast kCast[] = {
    {305, 160, 135, 4, 240, 170, true},  // the sled
    {351, 282, 155, 1, 179, 20, true},   // the title card
    {301, 184, 198, 1, 440, 250, false}, // the signpost
    {311, 151, 177, 1, 560, 300, false}, // the big tree
    {312, 104, 143, 1, 60, 320, false},  // lane trees
    {313, 135, 139, 1, 400, 60, false},
    {314, 54, 72, 1, 300, 400, false},
    {314, 54, 72, 1, 520, 120, false},
    {302, 78, 92, 6, 100, 120, false},   // the snowball boy
    {306, 140, 174, 4, 20, 20, false},   // the snowball girl
    {309, 246, 201, 6, 380, 380, false}, // the snowman
};

LARGE_INTEGER g_frequency;

double Milliseconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to)
{
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(g_frequency.QuadPart);
}

void Pump()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&msg);
}

} // namespace

int main()
{
    QueryPerformanceFrequency(&g_frequency);
    HDC screen = GetDC(nullptr);
    int width = GetDeviceCaps(screen, HORZRES), height = GetDeviceCaps(screen, VERTRES);
    ReleaseDC(nullptr, screen);
    int stageX = (width - 640) / 2, stageY = (height - 480) / 2;

    MainWindowForTests main;
    CEngine* engine = new CEngine(GetModuleHandleA(nullptr), main.m_hwnd);
    TestScene* scene = new TestScene("sled", main.m_hwnd);
    std::vector<TestSprite*> sprites;
    for (const Cast& c : kCast) {
        TestSprite* sprite = scene->Add(static_cast<int>(sprites.size()) + 1, "actor");
        sprite->Place(stageX + c.x, stageY + c.y, c.frameWidth, c.frameHeight);
        if (sprite->LoadStrip(c.figId, 0, kImageKindFig) == nullptr) {
            printf("FIG %d is missing from the program's resources\n", c.figId);
            return 1;
        }
        sprites.push_back(sprite);
    }
    engine->AddScene(scene);

    const int kWarmup = 20, kFrames = 300;
    std::vector<double> times;
    double windows = 0, area = 0;
    for (int f = 0; f < kWarmup + kFrames; ++f) {
        for (size_t i = 0; i < sprites.size(); ++i) {
            const Cast& c = kCast[i];
            TestSprite* s = sprites[i];
            s->m_frame = f % c.frames;
            if (c.rides)
                continue;
            // 8 pixels left and 4 up per frame; back in at the lower right.
            int x = c.x - 8 * f, y = c.y - 4 * f;
            int span = 640 + c.frameWidth;
            x = ((x + c.frameWidth) % span + span) % span - c.frameWidth;
            int spanY = 480 + c.frameHeight;
            y = ((y + c.frameHeight) % spanY + spanY) % spanY - c.frameHeight;
            s->MoveTo(stageX + x, stageY + y);
        }
        LARGE_INTEGER start, end;
        QueryPerformanceCounter(&start);
        engine->Frame();
        QueryPerformanceCounter(&end);
        Pump();
        Sleep(10);
        if (f < kWarmup)
            continue;
        times.push_back(Milliseconds(start, end));
        for (int w = 0; w < engine->m_windowCount; ++w) {
            CSpriteWindow* window = engine->m_windows[w];
            if (IsWindowVisible(window->m_hwnd)) {
                ++windows;
                area += static_cast<double>(window->m_rect.right - window->m_rect.left) *
                        (window->m_rect.bottom - window->m_rect.top);
            }
        }
    }
    delete engine;

    std::sort(times.begin(), times.end());
    double median = times[times.size() / 2];
    double p95 = times[static_cast<size_t>(times.size() * 95 / 100)];
    printf("engine frame, %d sprites, %d frames on a %d x %d display\n", static_cast<int>(sprites.size()), kFrames,
           width, height);
    printf("  median %.2f ms (%.1f%% of the 100 ms frame period)\n", median, median);
    printf("  95th percentile %.2f ms (%.1f%%)\n", p95, p95);
    printf("  fastest %.2f ms, slowest %.2f ms\n", times.front(), times.back());
    printf("  %.1f sprite windows shown per frame, %.0f pixels covered\n", windows / kFrames, area / kFrames);
    return 0;
}
