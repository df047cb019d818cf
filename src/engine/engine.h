// The engine: the running scenes, a registry of all their sprites and the
// pool of sprite windows. One frame per tick of the main window steps the
// scenes, groups the shown sprites into windows and brings the windows up to date.
#pragma once
#include <windows.h>
#include <stdint.h>

class CApp;
class CEngine;
class CScene;
class CSprite;
class CSpriteWindow;

// One running scene; the scene's callback data. Owns its scene.
struct SceneHolder {
    CEngine* m_engine;
    CScene* m_scene;
};

// One registered sprite. Its place in the registry is its drawing order.
struct SpriteEntry {
    SceneHolder* m_holder;
    CSprite* m_sprite;
};

class CEngine {
public:
    // The program's engine: registers the sprite window class and adds the first scene.
    CEngine(CApp* app, const char* sceneName, int startMode);
    // An engine without application object and without scenes, for callers
    // that bring their own scenes (AddScene with a ready scene).
    CEngine(HINSTANCE module, HWND mainWindow);
    ~CEngine();

    // Adds the scene the name asks for and registers its sprites. Returns 0
    // (and adds nothing) when the scene cannot be created.
    int AddScene(const char* sceneName);
    // Adds a ready scene, which the engine then owns, and registers its
    // sprites. Returns 0 when it cannot be kept (the scene is then deleted).
    int AddScene(CScene* scene);

    void Frame();
    int Group();
    // Makes the pool hold at least index + 1 windows; returns 0 when a window
    // could not be created (the pool then keeps the windows it has).
    int EnsureWindows(int index);

    void RefreshAll();
    void RepaintSprite(CSprite* sprite);
    void OpenCardFor(CSprite* sprite);
    void ToggleTopmost();
    CSprite* CaptureSprite();

    HINSTANCE Module() const { return m_module; }
    HWND MainWindow() const { return m_mainWindow; }
    CSpriteWindow* WindowShowing(SpriteEntry* entry);

    CApp* m_app;
    int32_t m_displayWidth;
    int32_t m_displayHeight;
    SpriteEntry** m_entries;
    int32_t m_entryCount;
    CSpriteWindow** m_windows; // never holds null
    int32_t m_windowCount;
    SceneHolder** m_holders;   // never holds a holder without scene
    int32_t m_holderCount;
    int32_t m_startMode;
    int32_t m_topmost;
    HINSTANCE m_module;
    HWND m_mainWindow;

private:
    void Init();
    int AttachScene(SceneHolder* holder);
    int RegisterSprites(int holderIndex);
    void RemoveHolder(int index);
};

int EngineSceneCallback(void* data, int code, void* arg);
