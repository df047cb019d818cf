#include "personalise/message_dialog.h"

#include <stdlib.h>

#include "graphics/gdi_scope.h"

namespace {

class CMessageDialog {
public:
    CMessageDialog() : m_text(nullptr) {}

    static INT_PTR CALLBACK Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

    char* m_text;   // handed to the caller of AskMessage

private:
    INT_PTR OnInitDialog(HWND dialog);
    INT_PTR OnCommand(HWND dialog, WORD command);
};

INT_PTR CALLBACK CMessageDialog::Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG)
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
    CMessageDialog* self = reinterpret_cast<CMessageDialog*>(GetWindowLongPtrA(dialog, DWLP_USER));
    if (self == nullptr)
        return FALSE;
    switch (message) {
    case WM_INITDIALOG: return self->OnInitDialog(dialog);
    case WM_COMMAND: return self->OnCommand(dialog, LOWORD(wParam));
    default: return FALSE;
    }
}

INT_PTR CMessageDialog::OnInitDialog(HWND dialog)
{
    HWND edit = GetDlgItem(dialog, kMessageEdit);
    SendMessageA(edit, EM_LIMITTEXT, kMessageSize - 1, 0);
    SetFocus(edit);
    CenterOverOwner(dialog);
    // The focus is set here, not by the dialog manager.
    return FALSE;
}

INT_PTR CMessageDialog::OnCommand(HWND dialog, WORD command)
{
    if (command == IDOK) {
        m_text = static_cast<char*>(calloc(kMessageSize, 1));
        if (m_text != nullptr)
            GetDlgItemTextA(dialog, kMessageEdit, m_text, kMessageSize);
        EndDialog(dialog, IDOK);
    } else if (command == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
    }
    return TRUE;
}

} // namespace

char* AskMessage(HINSTANCE module, HWND owner)
{
    CMessageDialog dialog;
    DialogBoxParamA(module, MAKEINTRESOURCEA(kMessageDialog), owner, CMessageDialog::Procedure,
                    reinterpret_cast<LPARAM>(&dialog));
    return dialog.m_text;
}

void CenterOverOwner(HWND dialog)
{
    RECT self, owner;
    GetWindowRect(dialog, &self);
    HWND ownerWindow = GetWindow(dialog, GW_OWNER);
    if (ownerWindow != nullptr) {
        GetWindowRect(ownerWindow, &owner);
    } else {
        ScopedGetDC screen;
        SetRect(&owner, 0, 0, GetDeviceCaps(screen, HORZRES), GetDeviceCaps(screen, VERTRES));
    }
    int width = self.right - self.left, height = self.bottom - self.top;
    int left = (owner.left + owner.right) / 2 - width / 2;
    int top = (owner.top + owner.bottom) / 2 - height / 2;
    SetWindowPos(dialog, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOREDRAW);
}
