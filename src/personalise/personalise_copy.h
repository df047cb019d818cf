// The personalise command: asks for a new greeting message and a file name,
// and writes a copy of the program that carries the message as MSGTEXT 101.
// Saving over the running program goes through a temporary file that a
// hidden copy started with -1 puts in place.
#pragma once
#include <windows.h>

class CExeImage;

// Runs the command from the greeting card (its personalise area or Ctrl+M).
void PersonaliseCopy(HWND card);

// The pieces of the command, exposed for tests.

// ASCII letters a to z become A to Z, in place.
void UpperCaseAscii(char* text);

// Composes "\"temp\" -1 ownPath" for the copy step. False, leaving an empty
// command, when it would not fit in capacity bytes.
bool ComposeCopyCommand(char* command, int capacity, const char* tempPath, const char* ownPath);

// Writes the image into path (created or truncated) and releases the image.
// A failed or short write removes the file and returns false.
bool WriteImageToFile(CExeImage* image, const char* path);

// Writes the image as a new file at path: first into a sibling file that is
// renamed over path once complete, so a failure leaves whatever was at path
// untouched and no partial file behind.
bool SaveImageAs(CExeImage* image, const char* path);

enum ReplacementOutcome {
    kReplacementReady,        // the temporary file is complete; command starts the copy step
    kReplacementWriteFailed,  // nothing was left behind; the user is told
    kReplacementNoTempName,   // no temporary file could be named
};

// Writes the image to a new temporary file and composes the command line of
// the copy step that moves it over ownPath. command holds kCopyCommandSize bytes.
ReplacementOutcome PrepareReplacement(CExeImage* image, const char* ownPath, char* command);

enum { kCopyCommandSize = 520 };
