#include "engine/scene.h"

#include <stdlib.h>
#include <string.h>

#include <new>

#include "card/greeting_card.h"
#include "engine/pointer_list.h"
#include "engine/sprite.h"
#include "graphics/gdi_scope.h"

namespace {

const char kUnknownFolder[] = "UNKNOWN";

char* CopyText(const char* text, size_t length)
{
    char* copy = new (std::nothrow) char[length + 1];
    if (copy != nullptr) {
        memcpy(copy, text, length);
        copy[length] = '\0';
    }
    return copy;
}

} // namespace

void UsableScreenSize(int screenWidth, int screenHeight, const RECT* taskbar, int* width, int* height)
{
    *width = screenWidth;
    *height = screenHeight;
    // Only a taskbar along the top or bottom edge takes room from the stage.
    if (taskbar != nullptr && taskbar->right - taskbar->left >= screenWidth)
        *height -= taskbar->bottom - taskbar->top;
}

char* FolderNameFromPath(const char* sourcePath)
{
    if (sourcePath == nullptr || *sourcePath == '\0')
        return CopyText(kUnknownFolder, sizeof kUnknownFolder - 1);
    const char* prev = nullptr;
    const char* last = sourcePath;
    for (const char* found = strchr(last + 1, '\\'); found != nullptr; found = strchr(last + 1, '\\')) {
        prev = last;
        last = found;
    }
    if (prev != nullptr && last - prev - 1 >= 2)
        return CopyText(prev + 1, static_cast<size_t>(last - prev - 1));
    return CopyText(kUnknownFolder, sizeof kUnknownFolder - 1);
}

void CopyMessageText(char* message, const char* data, size_t size)
{
    message[0] = '\0';
    if (data == nullptr || size == 0)
        return;
    size_t length;
    if (data[size - 1] == '\0')
        length = strnlen(data, size);
    else
        length = size;
    if (length > kMessageSize - 2)
        length = kMessageSize - 2;
    memcpy(message, data, length);
    message[length] = '\0';
}

CScene::CScene(HINSTANCE module, HWND owner, void* callbackData, int tag)
    : m_module(module), m_callbackData(callbackData), m_tag(tag), m_screenWidth(0), m_screenHeight(0),
      m_owner(owner), m_callback(nullptr), m_sprites(nullptr), m_count(0), m_cardShown(0), m_capture(nullptr)
{
    srand(static_cast<unsigned>(static_cast<int>(static_cast<int16_t>(GetTickCount() & 0xFFFF))));

    ScopedGetDC screen;
    int width = GetDeviceCaps(screen, HORZRES);
    int height = GetDeviceCaps(screen, VERTRES);
    RECT taskbarRect;
    HWND taskbar = FindWindowA("Shell_TrayWnd", nullptr);
    bool hasTaskbar = taskbar != nullptr && GetWindowRect(taskbar, &taskbarRect);
    int usableWidth, usableHeight;
    UsableScreenSize(width, height, hasTaskbar ? &taskbarRect : nullptr, &usableWidth, &usableHeight);
    m_screenWidth = usableWidth;
    m_screenHeight = usableHeight;
}

CScene::~CScene()
{
    for (int i = 0; i < m_count; ++i)
        delete m_sprites[i];
    delete[] m_sprites;
}

int CScene::AddSprite(CSprite* sprite)
{
    if (sprite == nullptr)
        return 0;
    return AppendPointer(m_sprites, m_count, sprite) ? 1 : 0;
}

int CScene::GetSpriteCount()
{
    return m_count;
}

CSprite* CScene::GetSprite(int index)
{
    if (index < 0 || index >= m_count)
        return nullptr;
    return m_sprites[index];
}

CSprite* CScene::FindSprite(int id)
{
    for (int i = 0; i < m_count; ++i)
        if (m_sprites[i]->m_id == id)
            return m_sprites[i];
    return nullptr;
}

int CScene::OpenCard()
{
    return 0;
}

int CScene::Report(int code, void* arg)
{
    if (m_callback == nullptr)
        return 0;
    return m_callback(m_callbackData, code, arg);
}

void SetSceneCallback(CScene* scene, int, SceneCallback fn)
{
    if (scene != nullptr)
        scene->m_callback = fn;
}

CStageScene::CStageScene(HINSTANCE module, HWND owner, void* callbackData, int tag, const char* name,
                         const char* sourcePath)
    : CScene(module, owner, callbackData, tag), m_folder(nullptr)
{
    m_message[0] = '\0';
    m_name[0] = '\0';
    if (name != nullptr) {
        strncpy(m_name, name, kStageNameSize - 1);
        m_name[kStageNameSize - 1] = '\0';
    }
    m_folder = FolderNameFromPath(sourcePath);
    LoadMessage();
}

CStageScene::~CStageScene()
{
    delete[] m_folder;
}

const char* CStageScene::Folder() const
{
    return m_folder != nullptr ? m_folder : kUnknownFolder;
}

void CStageScene::LoadMessage()
{
    m_message[0] = '\0';
    HRSRC info = FindResourceA(m_module, MAKEINTRESOURCEA(101), "MSGTEXT");
    if (info == nullptr)
        return;
    HGLOBAL resource = LoadResource(m_module, info);
    if (resource == nullptr)
        return;
    const char* data = static_cast<const char*>(LockResource(resource));
    CopyMessageText(m_message, data, SizeofResource(m_module, info));
    FreeResource(resource);
}

int CStageScene::Tick()
{
    int done = 0;
    while (done < m_count && m_sprites[done]->m_phase == kPhaseDone)
        ++done;
    if (done == m_count) {
        OpenCard();
        return 0;
    }
    // An actor may add sprites while it steps; the count is read anew each time.
    for (int i = 0; i < m_count; ++i) {
        CSprite* sprite = m_sprites[i];
        MoveSprite(sprite, sprite->Step());
    }
    return 0;
}

void CStageScene::MoveSprite(CSprite* sprite, int delta)
{
    RECT bounds;
    sprite->GetBounds(&bounds);
    OffsetRect(&bounds, static_cast<int16_t>(delta & 0xFFFF), static_cast<int16_t>((delta >> 16) & 0xFFFF));
    sprite->SetBounds(&bounds);
}

int CStageScene::OpenCard()
{
    if (m_cardShown)
        return m_cardShown;
    for (int i = 0; i < m_count; ++i)
        m_sprites[i]->Hide();
    // The windows repaint as plain background, so the scene vanishes before the card shows.
    for (int i = 0; i < m_count; ++i)
        Report(kSceneRepaintSprite, m_sprites[i]);
    m_cardShown = 1;
    return ShowGreetingCard(m_module, m_owner, m_name, Folder());
}
