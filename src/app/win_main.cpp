// Process entry: the replacement steps, or a normal start with the message loop.
#include <windows.h>
#include <stdlib.h>

#include <new>

#include "app/app.h"
#include "app/main_window.h"
#include "app/replacement.h"

static void OnProcessExit()
{
    if (g_app != nullptr) {
        CApp* app = g_app;
        g_app = nullptr;
        delete app;
    }
}

int WINAPI WinMain(HINSTANCE module, HINSTANCE previous, LPSTR commandLine, int show)
{
    if (!HandleReplacementSwitches(module, commandLine))
        return 0;
    atexit(OnProcessExit);
    if (previous != nullptr) {
        HWND other = FindWindowA(kMainClassName, kMainWindowTitle);
        if (other != nullptr)
            SetWindowPos(other, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        return 0;
    }
    if (RegisterMainClass(module) == 0)
        return 0;
    g_app = new (std::nothrow) CApp(module, commandLine);
    if (g_app == nullptr)
        return 0;
    if (g_app->Window() == nullptr) {
        // Without its window nothing could ever end the message loop.
        OnProcessExit();
        return 0;
    }
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    g_app = nullptr;
    return static_cast<int>(msg.wParam);
}
