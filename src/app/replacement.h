// The two-step protocol that lets a running copy replace its own file:
// "T -1 P" copies T onto P and starts "P -2 T", which deletes T.
#pragma once
#include <windows.h>

enum ReplacementSwitch {
    kNormalStart,     // no switch: start the scene
    kCopyStep,        // -1 with a path
    kDeleteStep,      // -2 with a path
    kSwitchWithoutPath, // -1 or -2 with nothing after it: exit at once
};

// Finds a replacement switch at the start of any blank-separated word; *path
// points into text at the path (taken whole, to the end of the line).
ReplacementSwitch ScanReplacementSwitches(const char* text, const char** path);

// Copies a replacement path for use, without the quotes a shell may have put
// around it (a quote can never be part of a file name). False when it does
// not fit in capacity bytes.
bool TakeReplacementPath(const char* path, char* out, int capacity);

// Composes "\"program\" -step path" into a buffer of capacity bytes. Returns
// false, leaving no command, when it would not fit.
bool ComposeStepCommand(char* command, int capacity, const char* program, int step, const char* path);

// Composes "\"target\" -2 ownPath" into a buffer of 520 bytes. Returns false,
// leaving no command, when it would not fit.
bool ComposeDeleteCommand(char* command, int capacity, const char* target, const char* ownPath);

// Non-zero: go on with a normal start. Zero: a replacement step ran (or was
// abandoned) and the process exits.
int HandleReplacementSwitches(HINSTANCE module, char* commandLine);

// Makes a new unique empty file in the folder of target, so that a finished
// copy can be renamed over target in one step and target is never left
// half-written. name receives its path (MAX_PATH bytes).
bool MakeSiblingTempName(const char* target, char* name);
// Makes a new unique empty file in the temporary folder; name receives its
// path (MAX_PATH bytes). False, with no file made, when there is none.
bool MakeTempName(char* name);

// Starts a command line hidden and returns at once. (WinExec would wait up
// to 30 s for the started step, which never reads input, to become idle.)
bool StartHidden(const char* commandLine);

// The steps themselves, exposed for tests. Both give up after the time
// limit; CopySelfOnto starts the delete step only once target holds a
// complete copy of ownPath.
bool CopySelfOnto(const char* ownPath, const char* target, DWORD timeLimitMs);
bool DeleteWithRetries(const char* path, DWORD timeLimitMs);

enum { kReplacementRetryMs = 100, kReplacementTimeLimitMs = 60000, kCommandSize = 520 };
