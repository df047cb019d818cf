#include "personalise/save_file_dialog.h"

#include <commdlg.h>

bool AskSaveFileName(HWND owner, char* path)
{
    OPENFILENAMEA dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.hInstance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(owner, GWLP_HINSTANCE));
    dialog.lpstrFilter = "Applications\0*.exe\0";
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = path;
    dialog.nMaxFile = kPathSize - 1;
    // No default extension: a name typed without one is used as it stands.
    dialog.Flags = OFN_OVERWRITEPROMPT;
    return GetSaveFileNameA(&dialog) != 0;
}
