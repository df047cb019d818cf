#include "personalise/personalise_copy.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <new>

#include "app/replacement.h"
#include "card/greeting_card.h"
#include "personalise/exe_image.h"
#include "personalise/message_dialog.h"
#include "personalise/save_file_dialog.h"

namespace {

const char kMessageType[] = "MSGTEXT";
const uint16_t kMessageName = 101;

// Tells the user the copy could not be saved.
void ShowCouldNotOpen(HWND card)
{
    MessageBoxA(card, "Couldn't open file.", "Error", MB_OK);
}

} // namespace

void UpperCaseAscii(char* text)
{
    for (; *text != '\0'; ++text)
        if (*text >= 'a' && *text <= 'z')
            *text = static_cast<char>(*text - 'a' + 'A');
}

bool ComposeCopyCommand(char* command, int capacity, const char* tempPath, const char* ownPath)
{
    return ComposeStepCommand(command, capacity, tempPath, 1, ownPath);
}

bool WriteImageToFile(CExeImage* image, const char* path)
{
    HANDLE output = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (output == INVALID_HANDLE_VALUE) {
        image->WriteAndClose(nullptr);
        return false;
    }
    bool written = image->WriteAndClose(output);
    if (!CloseHandle(output))
        written = false;
    if (!written)
        DeleteFileA(path);
    return written;
}

bool SaveImageAs(CExeImage* image, const char* path)
{
    char staging[MAX_PATH];
    if (!MakeSiblingTempName(path, staging)) {
        image->WriteAndClose(nullptr);
        return false;
    }
    if (!WriteImageToFile(image, staging))
        return false;
    if (!MoveFileExA(staging, path, MOVEFILE_REPLACE_EXISTING)) {
        DeleteFileA(staging);
        return false;
    }
    return true;
}

ReplacementOutcome PrepareReplacement(CExeImage* image, const char* ownPath, char* command)
{
    command[0] = '\0';
    char temporary[MAX_PATH];
    if (!MakeTempName(temporary)) {
        image->WriteAndClose(nullptr);
        return kReplacementNoTempName;
    }
    // Checked before writing: a copy that could never be started is useless.
    if (!ComposeCopyCommand(command, kCopyCommandSize, temporary, ownPath)) {
        image->WriteAndClose(nullptr);
        DeleteFileA(temporary);
        return kReplacementWriteFailed;
    }
    // The copy step replaces the running program: it starts only from a
    // temporary file that was written completely.
    if (!WriteImageToFile(image, temporary)) {
        command[0] = '\0';
        return kReplacementWriteFailed;
    }
    return kReplacementReady;
}

void PersonaliseCopy(HWND card)
{
    HINSTANCE module = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(card, GWLP_HINSTANCE));
    KillTimer(card, kCloseTimer);
    char* message = AskMessage(module, card);
    SetTimer(card, kCloseTimer, kCloseTimerMilliseconds, nullptr);
    if (message == nullptr || message[0] == '\0') {
        free(message);
        return;
    }

    char ownPath[kPathSize];
    DWORD length = GetModuleFileNameA(module, ownPath, kPathSize - 1);
    CExeImage* image = new (std::nothrow) CExeImage;
    char chosenPath[kPathSize];
    if (length == 0 || length >= kPathSize - 1 || image == nullptr) {
        delete image;
        free(message);
        return;
    }
    ownPath[length] = '\0';
    strcpy(chosenPath, ownPath);
    if (!image->Open(ownPath) || image->FindResourceData(kMessageType, MAKEINTRESOURCEA(kMessageName), nullptr) == nullptr ||
        !AskSaveFileName(card, chosenPath)) {
        delete image;
        free(message);
        return;
    }

    image->ReplaceResourceData(kMessageType, MAKEINTRESOURCEA(kMessageName), reinterpret_cast<const uint8_t*>(message),
                               static_cast<uint32_t>(strlen(message)));
    UpperCaseAscii(chosenPath);
    UpperCaseAscii(ownPath);
    if (strcmp(chosenPath, ownPath) != 0) {
        if (!SaveImageAs(image, chosenPath))
            ShowCouldNotOpen(card);
    } else {
        char command[kCopyCommandSize];
        switch (PrepareReplacement(image, ownPath, command)) {
        case kReplacementReady: StartHidden(command); break;
        case kReplacementWriteFailed: ShowCouldNotOpen(card); break;
        case kReplacementNoTempName: break;
        }
    }
    delete image;
    free(message);
    CloseCard(card);
}
