#include "engine/engine.h"

#include <new>

#include "app/app.h"
#include "downhill/scene.h"
#include "engine/grouping.h"
#include "engine/pointer_list.h"
#include "engine/scene.h"
#include "engine/sprite.h"
#include "engine/sprite_window.h"
#include "graphics/gdi_scope.h"

namespace {

// The engine whose frame is running. A card opened inside a tick runs its own
// message loop, and a WM_CLOSE that reaches the main window there destroys
// the engine under the frame; the frame then has nothing left to do.
CEngine* g_frameEngine = nullptr;

} // namespace

CEngine::CEngine(CApp* app, const char* sceneName, int startMode)
    : m_app(app), m_module(app != nullptr ? app->m_module : nullptr),
      m_mainWindow(app != nullptr ? app->m_hwnd : nullptr)
{
    Init();
    m_startMode = startMode;
    AddScene(sceneName);
}

CEngine::CEngine(HINSTANCE module, HWND mainWindow) : m_app(nullptr), m_module(module), m_mainWindow(mainWindow)
{
    Init();
}

void CEngine::Init()
{
    m_entries = nullptr;
    m_entryCount = 0;
    m_windows = nullptr;
    m_windowCount = 0;
    m_holders = nullptr;
    m_holderCount = 0;
    m_startMode = 0;
    m_topmost = 0;
    ScopedGetDC screen;
    m_displayWidth = GetDeviceCaps(screen, HORZRES);
    m_displayHeight = GetDeviceCaps(screen, VERTRES);
    // A missing class shows later as windows that cannot be created.
    RegisterSpriteWindowClass(m_module);
}

CEngine::~CEngine()
{
    if (g_frameEngine == this)
        g_frameEngine = nullptr;
    for (int i = 0; i < m_entryCount; ++i)
        delete m_entries[i];
    delete[] m_entries;
    m_entries = nullptr;
    m_entryCount = 0;

    for (int i = 0; i < m_windowCount; ++i)
        delete m_windows[i];
    delete[] m_windows;
    m_windows = nullptr;
    m_windowCount = 0;

    while (m_holderCount > 0)
        RemoveHolder(0);
}

void CEngine::RemoveHolder(int index)
{
    SceneHolder* holder = m_holders[index];
    delete holder->m_scene;
    delete holder;
    for (int i = index; i + 1 < m_holderCount; ++i)
        m_holders[i] = m_holders[i + 1];
    if (--m_holderCount == 0) {
        delete[] m_holders;
        m_holders = nullptr;
    }
}

int CEngine::AddScene(const char* sceneName)
{
    // Every scene is the downhill scene, whatever the name.
    (void)sceneName;
    SceneHolder* holder = new (std::nothrow) SceneHolder{this, nullptr};
    if (holder == nullptr)
        return 0;
    holder->m_scene = CreateDownhillScene(m_module, m_mainWindow, holder, 10);
    if (holder->m_scene == nullptr) {
        // A scene that could not be created is not added at all.
        delete holder;
        return 0;
    }
    return AttachScene(holder);
}

int CEngine::AddScene(CScene* scene)
{
    if (scene == nullptr)
        return 0;
    SceneHolder* holder = new (std::nothrow) SceneHolder{this, scene};
    if (holder == nullptr) {
        delete scene;
        return 0;
    }
    scene->m_callbackData = holder;
    return AttachScene(holder);
}

int CEngine::AttachScene(SceneHolder* holder)
{
    SetSceneCallback(holder->m_scene, 1, EngineSceneCallback);
    if (!AppendPointer(m_holders, m_holderCount, holder)) {
        delete holder->m_scene;
        delete holder;
        return 0;
    }
    return RegisterSprites(m_holderCount - 1);
}

int CEngine::RegisterSprites(int holderIndex)
{
    SceneHolder* holder = m_holders[holderIndex];
    CScene* scene = holder->m_scene;
    int count = scene->GetSpriteCount();
    if (count <= 0)
        return 1;
    SpriteEntry** grown = new (std::nothrow) SpriteEntry*[m_entryCount + count];
    if (grown == nullptr)
        return 0;
    int added = 0;
    for (int i = 0; i < count; ++i) {
        CSprite* sprite = scene->GetSprite(i);
        SpriteEntry* entry = sprite != nullptr ? new (std::nothrow) SpriteEntry{holder, sprite} : nullptr;
        if (entry != nullptr)
            grown[m_entryCount + added++] = entry;
    }
    for (int i = 0; i < m_entryCount; ++i)
        grown[i] = m_entries[i];
    delete[] m_entries;
    m_entries = grown;
    m_entryCount += added;
    return added == count;
}

void CEngine::Frame()
{
    g_frameEngine = this;
    for (int i = 0; i < m_holderCount; ++i) {
        m_holders[i]->m_scene->Tick();
        if (g_frameEngine != this)
            return;
    }
    g_frameEngine = nullptr;

    int n = Group();
    for (int i = n - 1; i >= 0; --i) {
        m_windows[i]->UpdateBackground();
        for (int j = 0; j < m_windowCount; ++j)
            if (j != i)
                m_windows[i]->TakeBackgroundFrom(m_windows[j]);
    }
    for (int i = 0; i < m_windowCount; ++i)
        m_windows[i]->DropPrevious();
    for (int i = n; i < m_windowCount; ++i)
        m_windows[i]->Park();
    for (int i = 0; i < n; ++i)
        m_windows[i]->Present();
}

int CEngine::EnsureWindows(int index)
{
    while (m_windowCount <= index) {
        CSpriteWindow* window = CreateSpriteWindow(this, -2, -2, 1, 1);
        if (window == nullptr)
            return 0;
        if (!AppendPointer(m_windows, m_windowCount, window)) {
            delete window;
            return 0;
        }
        if (m_windowCount == 1)
            SetWindowPos(window->m_hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOREDRAW);
    }
    return 1;
}

int CEngine::Group()
{
    if (m_entryCount == 0)
        return 0;
    GroupSource* sources = new (std::nothrow) GroupSource[m_entryCount];
    SpriteGroup* groups = new (std::nothrow) SpriteGroup[2 * m_entryCount];
    SpriteEntry** members = new (std::nothrow) SpriteEntry*[m_entryCount];
    int n = 0;
    if (sources != nullptr && groups != nullptr && members != nullptr) {
        int count = 0;
        for (int i = 0; i < m_entryCount; ++i) {
            CSprite* sprite = m_entries[i]->m_sprite;
            // A sprite that is not shown keeps the old rectangle of the last frame it was shown in.
            if (!sprite->IsShown())
                continue;
            RECT current, old;
            sprite->GetBounds(&current);
            sprite->GetOldBounds(&old);
            sources[count].entry = m_entries[i];
            sources[count].current = SpriteRect16(current);
            sources[count].old = SpriteRect16(old);
            ++count;
            sprite->SaveBounds();
        }
        n = MergeSpriteGroups(sources, count, groups, members);
        if (n < 0)
            n = 0;
    }
    if (n > 0) {
        EnsureWindows(n - 1);
        ReuseWindowsByPosition(groups, n, m_windows, m_windowCount);
        for (int g = 0; g < n; ++g) {
            // Groups beyond the windows there are stay unshown this frame.
            CSpriteWindow* window = g < m_windowCount ? m_windows[g] : nullptr;
            for (int k = 0; k < groups[g].m_memberCount; ++k)
                groups[g].m_members[k]->m_sprite->SetWindow(window != nullptr ? window->m_hwnd : nullptr);
            if (window == nullptr)
                continue;
            window->ClearEntries();
            for (int k = 0; k < groups[g].m_memberCount; ++k)
                window->AddEntry(groups[g].m_members[k]);
            window->SetGroupRect(&groups[g].m_bounds);
        }
        if (n > m_windowCount)
            n = m_windowCount;
    }
    delete[] sources;
    delete[] groups;
    delete[] members;
    return n;
}

CSpriteWindow* CEngine::WindowShowing(SpriteEntry* entry)
{
    for (int i = 0; i < m_windowCount; ++i)
        if (m_windows[i]->Contains(entry))
            return m_windows[i];
    return nullptr;
}

void CEngine::RefreshAll()
{
    // Each window repaints once, however many sprites it shows: a repaint
    // captures anew and may wait for the programs beneath.
    for (int w = 0; w < m_windowCount; ++w) {
        CSpriteWindow* window = m_windows[w];
        for (int i = 0; i < m_entryCount; ++i) {
            if (WindowShowing(m_entries[i]) == window) {
                window->Repaint();
                break;
            }
        }
    }
}

void CEngine::RepaintSprite(CSprite* sprite)
{
    for (int i = 0; i < m_entryCount; ++i) {
        if (m_entries[i]->m_sprite != sprite)
            continue;
        CSpriteWindow* window = WindowShowing(m_entries[i]);
        if (window != nullptr)
            window->Repaint();
        return;
    }
}

void CEngine::OpenCardFor(CSprite* sprite)
{
    for (int i = 0; i < m_holderCount; ++i) {
        CScene* scene = m_holders[i]->m_scene;
        int count = scene->GetSpriteCount();
        for (int k = 0; k < count; ++k) {
            if (scene->GetSprite(k) == sprite) {
                scene->OpenCard();
                return;
            }
        }
    }
}

void CEngine::ToggleTopmost()
{
    m_topmost = 1 - m_topmost;
    for (int i = 0; i < m_windowCount; ++i)
        m_windows[i]->SetTopmost(m_topmost);
}

CSprite* CEngine::CaptureSprite()
{
    if (m_holderCount == 0)
        return nullptr;
    return m_holders[0]->m_scene->m_capture;
}

int EngineSceneCallback(void* data, int code, void* arg)
{
    SceneHolder* holder = static_cast<SceneHolder*>(data);
    if (holder == nullptr || holder->m_engine == nullptr)
        return 0;
    CEngine* engine = holder->m_engine;
    switch (code) {
    case kSceneRepaintSprite:
        engine->RepaintSprite(static_cast<CSprite*>(arg));
        break;
    case kSceneStartMusic:
        if (engine->m_app != nullptr)
            engine->m_app->StartMusic(static_cast<const char*>(arg));
        break;
    case kSceneToggleTopmost:
        engine->ToggleTopmost();
        break;
    default:
        break;
    }
    return 0;
}
