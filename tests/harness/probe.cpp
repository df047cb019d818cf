// festling_probe: runs inside Wine beside festling.exe and lets end-to-end
// scenarios look at and message the program's windows.
//   probe wait <class> <title> <ms>   exit 0 once the window exists
//   probe gone <class> <title> <ms>   exit 0 once it no longer exists
//   probe post <class> <title> <msg> [wParam] [lParam]
//   probe visible <class>             prints "x y w h" of each visible window of the class
//   probe record-url <file> <url>     a stand-in browser: appends the URL it is given to the file
//   probe client <class> <title>      prints "x y w h" of the window's client area on the screen
//   probe text <class> <title> <id>   prints the text of a dialog item
//   probe ready <class> <title> <ms>  exit 0 once the window is the foreground
//                                     window and it or a child has the focus
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static const char* OrNull(const char* s) { return strcmp(s, "-") == 0 ? nullptr : s; }

static BOOL CALLBACK PrintVisible(HWND hwnd, LPARAM classNameParam)
{
    char name[256];
    GetClassNameA(hwnd, name, sizeof name);
    if (strcmp(name, reinterpret_cast<const char*>(classNameParam)) == 0 && IsWindowVisible(hwnd)) {
        RECT r;
        GetWindowRect(hwnd, &r);
        printf("%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
    }
    return TRUE;
}

static int RecordUrl(const char* path, const char* url)
{
    FILE* file = fopen(path, "ab");
    if (!file)
        return 1;
    fprintf(file, "%s\n", url);
    return fclose(file) == 0 ? 0 : 1;
}

static int PrintClient(HWND hwnd)
{
    RECT r;
    if (!hwnd || !GetClientRect(hwnd, &r))
        return 1;
    POINT origin = {0, 0};
    ClientToScreen(hwnd, &origin);
    printf("%ld %ld %ld %ld\n", origin.x, origin.y, r.right, r.bottom);
    return 0;
}

static int PrintItemText(HWND hwnd, int id)
{
    char text[1024];
    if (!hwnd || !GetDlgItemTextA(hwnd, id, text, sizeof text))
        return 1;
    printf("%s\n", text);
    return 0;
}

// Keys typed on the X display reach the foreground window's focus; keys
// typed before a new window has taken both would go elsewhere.
static bool HoldsKeyboard(HWND hwnd)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (!hwnd || !IsWindowVisible(hwnd) || GetForegroundWindow() != hwnd || !GetGUIThreadInfo(0, &info))
        return false;
    return info.hwndFocus == hwnd || IsChild(hwnd, info.hwndFocus);
}

int main(int argc, char** argv)
{
    if (argc >= 5 && strcmp(argv[1], "ready") == 0) {
        DWORD limit = strtoul(argv[4], nullptr, 10), start = GetTickCount();
        while (!HoldsKeyboard(FindWindowA(OrNull(argv[2]), OrNull(argv[3])))) {
            if (GetTickCount() - start > limit)
                return 1;
            Sleep(50);
        }
        return 0;
    }
    if (argc >= 5 && (strcmp(argv[1], "wait") == 0 || strcmp(argv[1], "gone") == 0)) {
        bool wantPresent = strcmp(argv[1], "wait") == 0;
        DWORD limit = strtoul(argv[4], nullptr, 10), start = GetTickCount();
        for (;;) {
            bool present = FindWindowA(OrNull(argv[2]), OrNull(argv[3])) != nullptr;
            if (present == wantPresent)
                return 0;
            if (GetTickCount() - start > limit)
                return 1;
            Sleep(50);
        }
    }
    if (argc >= 5 && strcmp(argv[1], "post") == 0) {
        HWND hwnd = FindWindowA(OrNull(argv[2]), OrNull(argv[3]));
        if (!hwnd)
            return 1;
        UINT message = strtoul(argv[4], nullptr, 0);
        WPARAM wParam = argc > 5 ? strtoul(argv[5], nullptr, 0) : 0;
        LPARAM lParam = argc > 6 ? strtoul(argv[6], nullptr, 0) : 0;
        return PostMessageA(hwnd, message, wParam, lParam) ? 0 : 1;
    }
    if (argc >= 3 && strcmp(argv[1], "visible") == 0) {
        EnumWindows(PrintVisible, reinterpret_cast<LPARAM>(argv[2]));
        return 0;
    }
    if (argc >= 4 && strcmp(argv[1], "record-url") == 0)
        return RecordUrl(argv[2], argv[3]);
    if (argc >= 4 && strcmp(argv[1], "client") == 0)
        return PrintClient(FindWindowA(OrNull(argv[2]), OrNull(argv[3])));
    if (argc >= 5 && strcmp(argv[1], "text") == 0)
        return PrintItemText(FindWindowA(OrNull(argv[2]), OrNull(argv[3])), strtol(argv[4], nullptr, 0));
    fprintf(stderr, "usage: probe wait|gone|ready|post|visible|record-url|client|text ...\n");
    return 2;
}
