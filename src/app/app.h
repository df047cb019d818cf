// The application object of a normal run: the hidden main window, the frame
// timer, the engine and the background music.
#pragma once
#include <windows.h>
#include <stdint.h>

class CEngine;

class CApp {
public:
    CApp(HINSTANCE module, char* commandLine);
    ~CApp();

    // Splits the start-mode switch (/c, /s or -c, -s) and the scene name off
    // the command line, writing NULs into it. The name buffer holds 32 bytes.
    static void ParseCommandLine(char* text, char* sceneName, int* startMode);

    void AddScene(const char* commandLine);
    void RunFrame();

    void StartMusic(const char* name);
    void StopMusic();
    uint32_t PlayMidiFile(HWND notifyWindow, const char* path);

    HINSTANCE Module() const { return m_module; }
    HWND Window() const { return m_hwnd; }
    CEngine* Engine() const { return m_engine; }

    HINSTANCE m_module;
    CEngine* m_engine;
    HWND m_hwnd;
    char m_musicPath[260];
    uint32_t m_musicDevice;
    int m_staleNotifies;

private:
    int CreateMainWindow();
};

enum { kSceneNameSize = 32, kNoDevice = 0xFFFF };

extern CApp* g_app;
