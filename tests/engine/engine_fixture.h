// Test actors and scenes for the engine tests: sprites that move by a script
// of placements, and scenes that record what the engine asks of them.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "engine/engine.h"
#include "engine/scene.h"
#include "engine/sprite.h"

namespace engine_fixture {

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
