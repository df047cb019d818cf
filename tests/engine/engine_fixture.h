// Test actors and scenes for the engine tests: sprites that move by a script
// of placements, and scenes that record what the engine asks of them.
#pragma once
#include <windows.h>

#include <stdlib.h>

#include <functional>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "engine/engine.h"
#include "engine/scene.h"
#include "engine/sprite.h"
#include "graphics/fig_reader.h"
#include "support/fig_builder.h"

namespace engine_fixture {

inline RECT R(int l, int t, int r, int b)
{
    RECT rect = {l, t, r, b};
    return rect;
}

// The colour of palette index i of the fixture FIGs, as 0xRRGGBB.
inline uint32_t FixtureColour(int index)
{
    static const std::vector<uint8_t> colours = fig_builder::TestColours();
    return (colours[index * 4 + 2] << 16) | (colours[index * 4 + 1] << 8) | colours[index * 4];
}

// A device bitmap of a FIG made in memory whose pixel (x, y) has index pick(x, y).
template <typename Pick>
HBITMAP MakeStrip(int width, int height, Pick pick)
{
    std::vector<uint8_t> bytes = fig_builder::Build({fig_builder::MakeImage(width, height, pick)});
    FigReader* reader = FigOpenMemory(bytes.data(), bytes.size());
    HBITMAP bitmap = nullptr;
    FigImageInfo* info = nullptr;
    if (reader != nullptr) {
        FigReadImage(reader, &bitmap, &info);
        free(info);
        FigClose(reader);
    }
    return bitmap;
}

// Pixels of a bitmap, top row first, as 0xRRGGBB.
inline std::vector<uint32_t> ReadPixels(HBITMAP bitmap, int* width = nullptr, int* height = nullptr)
{
    BITMAP info = {};
    GetObjectA(bitmap, sizeof info, &info);
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = info.bmWidth;
    bi.bmiHeader.biHeight = -info.bmHeight;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    std::vector<uint32_t> pixels(static_cast<size_t>(info.bmWidth) * info.bmHeight);
    HDC screen = GetDC(nullptr);
    GetDIBits(screen, bitmap, 0, info.bmHeight, pixels.data(), &bi, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    for (uint32_t& p : pixels)
        p &= 0xFFFFFF;
    if (width)
        *width = info.bmWidth;
    if (height)
        *height = info.bmHeight;
    return pixels;
}

// Everything the test actors and scenes were asked to do, in order.
inline std::vector<std::string>& Log()
{
    static std::vector<std::string> log;
    return log;
}

// An actor whose Step runs a test-given function; it stays put by default.
class TestSprite : public CAnimSprite {
public:
    TestSprite(CStageScene* scene, int id, const char* name)
        : CAnimSprite(scene, GetModuleHandleA(nullptr), id), m_name(name)
    {
    }
    int Step() override
    {
        ++m_ticks;
        Log().push_back("step " + m_name);
        return m_onStep ? m_onStep(this) : 0;
    }
    void SetPhase(int phase) override { m_phase = phase; }
    void OnMouse(HWND, UINT message, WPARAM, LPARAM lParam) override
    {
        Log().push_back("mouse " + m_name + " " + std::to_string(message) + " " +
                        std::to_string(static_cast<short>(LOWORD(lParam))) + "," +
                        std::to_string(static_cast<short>(HIWORD(lParam))));
    }

    // Gives the sprite a strip under imageId, as if it came from the module,
    // and makes it current (the frame size must be placed first).
    template <typename Pick>
    void GiveStrip(int imageId, int width, int height, Pick pick)
    {
        m_images.Promote(imageId, MakeStrip(width, height, pick));
        LoadStrip(imageId, 0, kImageKindFig);
    }

    std::string m_name;
    std::function<int(TestSprite*)> m_onStep;
};

// A stage scene whose card opening is recorded instead of shown, so that
// tests can run frames without a modal card.
class TestScene : public CStageScene {
public:
    explicit TestScene(const char* name, HWND owner = nullptr)
        : CStageScene(GetModuleHandleA(nullptr), owner, nullptr, 10, name, "C:\\festling\\tests\\scene")
    {
    }
    int OpenCard() override
    {
        Log().push_back(std::string("card ") + m_name);
        ++m_cardRequests;
        m_cardShown = 1;
        return 1;
    }
    TestSprite* Add(int id, const char* name)
    {
        TestSprite* sprite = new TestSprite(this, id, name);
        AddSprite(sprite);
        return sprite;
    }
    int m_cardRequests = 0;
};

// A hidden window of the main window's kind, as owner and curtain.
class MainWindowForTests {
public:
    MainWindowForTests()
    {
        RegisterMainClass(GetModuleHandleA(nullptr)); // fails harmlessly once registered
        m_hwnd = CreateWindowExA(0, kMainClassName, "engine tests", WS_POPUP | WS_SYSMENU, 100, 100, 100, 100,
                                 nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    }
    ~MainWindowForTests() { DestroyWindow(m_hwnd); }
    HWND m_hwnd;
};

} // namespace engine_fixture
