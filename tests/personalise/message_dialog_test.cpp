#include "personalise/message_dialog.h"

#include <gtest/gtest.h>

#include <stdlib.h>

#include <functional>
#include <string>

namespace {

// Runs AskMessage with an owner window and lets act drive the dialog once it
// is up (from a timer of the dialog's own modal loop).
std::function<void(HWND)> g_act;

void CALLBACK DriveDialog(HWND, UINT, UINT_PTR timer, DWORD)
{
    HWND dialog = FindWindowA("#32770", "Enter your message");
    if (dialog == nullptr)
        return;
    KillTimer(nullptr, timer);
    g_act(dialog);
}

std::string Ask(HWND owner, std::function<void(HWND)> act, bool* cancelled)
{
    g_act = act;
    SetTimer(nullptr, 0, 50, DriveDialog);
    char* text = AskMessage(GetModuleHandleA(nullptr), owner);
    *cancelled = text == nullptr;
    std::string result = text ? text : "";
    free(text);
    return result;
}

void Type(HWND dialog, const std::string& text)
{
    HWND edit = GetDlgItem(dialog, kMessageEdit);
    for (char c : text) {
        if (c == '\n') {
            SendMessageA(edit, WM_KEYDOWN, VK_RETURN, 0);
            SendMessageA(edit, WM_CHAR, '\r', 0);
        } else {
            SendMessageA(edit, WM_CHAR, static_cast<unsigned char>(c), 0);
        }
    }
}

INT_PTR CALLBACK PlainDialog(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

} // namespace

TEST(MessageDialog, ReturnsTheTypedTextOrNothingWhenCancelled)
{
    HWND owner = CreateWindowExA(0, "STATIC", "owner", WS_POPUP | WS_VISIBLE, 100, 80, 400, 300, nullptr, nullptr,
                                 nullptr, nullptr);
    ASSERT_NE(owner, nullptr);
    struct Case {
        std::string typed;
        WORD command;
        std::string expected;
        bool cancelled;
    } cases[] = {
        {"Happy holidays", IDOK, "Happy holidays", false},
        {"two\nlines", IDOK, "two\r\nlines", false},
        {std::string(300, 'k'), IDOK, std::string(255, 'k'), false},
        {"", IDOK, "", false},
        {"never mind", IDCANCEL, "", true},
    };
    for (const Case& c : cases) {
        bool cancelled = false;
        RECT placed = {};
        std::string text = Ask(owner, [&](HWND dialog) {
            GetWindowRect(dialog, &placed);
            EXPECT_EQ(GetFocus(), GetDlgItem(dialog, kMessageEdit));
            Type(dialog, c.typed);
            PostMessageA(dialog, WM_COMMAND, c.command, 0);
        }, &cancelled);
        EXPECT_EQ(text, c.expected);
        EXPECT_EQ(cancelled, c.cancelled);
        // Centred over the owner (100, 80, 500, 380).
        int width = placed.right - placed.left, height = placed.bottom - placed.top;
        EXPECT_EQ(placed.left, 300 - width / 2);
        EXPECT_EQ(placed.top, 230 - height / 2);
    }
    DestroyWindow(owner);
}

TEST(MessageDialog, WithoutOwnerTheDialogIsCentredOnTheScreen)
{
    HWND dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kMessageDialog), nullptr,
                                     PlainDialog, 0);
    ASSERT_NE(dialog, nullptr);
    CenterOverOwner(dialog);
    RECT placed;
    GetWindowRect(dialog, &placed);
    HDC screen = GetDC(nullptr);
    int width = GetDeviceCaps(screen, HORZRES), height = GetDeviceCaps(screen, VERTRES);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(placed.left, width / 2 - (placed.right - placed.left) / 2);
    EXPECT_EQ(placed.top, height / 2 - (placed.bottom - placed.top) / 2);
    DestroyWindow(dialog);
}
