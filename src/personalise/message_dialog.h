// Dialog 109, "Enter your message": asks for the new greeting message.
#pragma once
#include <windows.h>

enum {
    kMessageDialog = 109,
    kMessageEdit = 101,
    kMessageSize = 256,   // bytes of the message buffer, NUL included
};

// Runs dialog 109 modally. Returns the typed text in a 256-byte buffer from
// the C heap (the caller frees it), or null when the dialog was cancelled.
char* AskMessage(HINSTANCE module, HWND owner);

// Centres a dialog over its owner window, or over the screen without one.
void CenterOverOwner(HWND dialog);
