// The system's save-file dialog for the personalised copy.
#pragma once
#include <windows.h>

enum { kPathSize = 260 };

// Asks for a file name; path (260 bytes) holds the proposed name and
// receives the chosen one. True when the user confirmed a name.
bool AskSaveFileName(HWND owner, char* path);
