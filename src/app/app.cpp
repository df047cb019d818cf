#include "app/app.h"

#include <stdlib.h>
#include <string.h>

#include <new>

#include "app/main_window.h"
#include "engine/engine.h"
#include "graphics/palette.h"

CApp* g_app = nullptr;

CApp::CApp(HINSTANCE module, char* commandLine)
    : m_module(module), m_engine(nullptr), m_hwnd(nullptr), m_musicDevice(kNoDevice), m_staleNotifies(0)
{
    m_musicPath[0] = '\0';
    srand(static_cast<unsigned>(static_cast<int>(static_cast<int16_t>(GetTickCount() & 0xFFFF))));

    char sceneName[kSceneNameSize] = "";
    int startMode = 0;
    ParseCommandLine(commandLine, sceneName, &startMode);

    CreateMainWindow();
    InitPalette(m_module, m_hwnd);
    SetTimer(m_hwnd, kFrameTimerId, kFrameMilliseconds, nullptr);
    m_engine = new (std::nothrow) CEngine(this, sceneName, startMode);
    StartMusic(nullptr);
}

CApp::~CApp()
{
    // At the end the tune goes, however many notifications are still due.
    m_staleNotifies = 0;
    StopMusic();
    KillTimer(m_hwnd, kFrameTimerId);
    delete m_engine;
    m_engine = nullptr;
    FreePalette();
}

void CApp::ParseCommandLine(char* text, char* sceneName, int* startMode)
{
    if (text == nullptr || *text == '\0')
        return;
    char* context = nullptr;
    char* word = strtok_r(text, " ", &context);
    if (word == nullptr)
        return;
    if (word[0] == '/' || word[0] == '-') {
        if (word[1] == 'c')
            *startMode = 2;
        else if (word[1] == 's')
            *startMode = 1;
        word = strtok_r(nullptr, " ", &context);
    }
    if (word != nullptr) {
        strncpy(sceneName, word, kSceneNameSize - 1);
        sceneName[kSceneNameSize - 1] = '\0';
    }
}

void CApp::AddScene(const char* commandLine)
{
    char sceneName[kSceneNameSize] = "";
    int startMode = 0;
    size_t length = strlen(commandLine);
    char* copy = new (std::nothrow) char[length + 1];
    if (copy == nullptr)
        return;
    memcpy(copy, commandLine, length + 1);
    ParseCommandLine(copy, sceneName, &startMode);
    delete[] copy;
    if (m_engine != nullptr)
        m_engine->AddScene(sceneName);
}

void CApp::RunFrame()
{
    if (m_engine != nullptr)
        m_engine->Frame();
}

int CApp::CreateMainWindow()
{
    m_hwnd = CreateWindowExA(0, kMainClassName, kMainWindowTitle, WS_POPUP | WS_SYSMENU,
                             100, 100, 100, 100, nullptr, nullptr, m_module, nullptr);
    if (m_hwnd == nullptr)
        return 0;
    SetClassWord(m_hwnd, 0, static_cast<WORD>(reinterpret_cast<UINT_PTR>(m_hwnd) & 0xFFFF));
    SetWindowLongA(m_hwnd, 0, reinterpret_cast<LONG>(this));
    return 1;
}
