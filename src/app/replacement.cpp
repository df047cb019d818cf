#include "app/replacement.h"

#include <stdio.h>
#include <string.h>

ReplacementSwitch ScanReplacementSwitches(const char* text, const char** path)
{
    *path = nullptr;
    const char* p = text;
    for (;;) {
        if (*p == '\0')
            return kNormalStart;
        if (*p == '-') {
            ++p;
            continue;
        }
        if (*p == '1' || *p == '2') {
            ReplacementSwitch kind = (*p == '1') ? kCopyStep : kDeleteStep;
            // The digit and one separator come before the path.
            if (p[1] == '\0' || p[2] == '\0')
                return kSwitchWithoutPath;
            *path = p + 2;
            return kind;
        }
        while (*p != '\0' && *p != ' ')
            ++p;
        if (*p == ' ')
            ++p;
    }
}

bool TakeReplacementPath(const char* path, char* out, int capacity)
{
    size_t length = strlen(path);
    if (length >= 2 && path[0] == '"' && path[length - 1] == '"') {
        ++path;
        length -= 2;
    }
    if (length == 0 || length >= static_cast<size_t>(capacity))
        return false;
    memcpy(out, path, length);
    out[length] = '\0';
    return true;
}

bool ComposeStepCommand(char* command, int capacity, const char* program, int step, const char* path)
{
    // The program is quoted so that a path with blanks names one program;
    // the step takes the rest of the line as its path.
    int written = _snprintf(command, capacity, "\"%s\" -%d %s", program, step, path);
    if (written < 0 || written >= capacity) {
        command[0] = '\0';
        return false;
    }
    return true;
}

bool ComposeDeleteCommand(char* command, int capacity, const char* target, const char* ownPath)
{
    return ComposeStepCommand(command, capacity, target, 2, ownPath);
}

namespace {

bool CopyFileBytes(const char* from, const char* to)
{
    FILE* in = fopen(from, "rb");
    if (!in)
        return false;
    FILE* out = fopen(to, "wb");
    if (!out) {
        fclose(in);
        return false;
    }
    char buffer[16384];
    bool ok = true;
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, in)) > 0) {
        if (fwrite(buffer, 1, n, out) != n) {
            ok = false;
            break;
        }
    }
    if (ferror(in))
        ok = false;
    fclose(in);
    if (fclose(out) != 0)
        ok = false;
    return ok;
}

long long FileSize(const char* path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data))
        return -1;
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

} // namespace

bool MakeSiblingTempName(const char* target, char* name)
{
    char dir[MAX_PATH];
    if (strlen(target) >= sizeof dir)
        return false;
    strcpy(dir, target);
    char* slash = strrchr(dir, '\\');
    char* other = strrchr(dir, '/');
    if (other > slash)
        slash = other;
    if (slash)
        slash[1] = '\0';
    else
        strcpy(dir, ".");
    return GetTempFileNameA(dir, "fst", 0, name) != 0;
}

bool MakeTempName(char* name)
{
    char folder[MAX_PATH];
    DWORD length = GetTempPathA(sizeof folder, folder);
    return length != 0 && length < sizeof folder && GetTempFileNameA(folder, "", 0, name) != 0;
}

bool CopySelfOnto(const char* ownPath, const char* target, DWORD timeLimitMs)
{
    char staging[MAX_PATH];
    if (!MakeSiblingTempName(target, staging))
        return false;
    long long size = FileSize(ownPath);
    if (size < 0 || !CopyFileBytes(ownPath, staging) || FileSize(staging) != size) {
        DeleteFileA(staging);
        return false;
    }
    // Wait for the program still running from target to release it.
    DWORD start = GetTickCount();
    while (!MoveFileExA(staging, target, MOVEFILE_REPLACE_EXISTING)) {
        if (GetTickCount() - start >= timeLimitMs) {
            DeleteFileA(staging);
            return false;
        }
        Sleep(kReplacementRetryMs);
    }
    return FileSize(target) == size;
}

bool StartHidden(const char* commandLine)
{
    char buffer[kCommandSize];
    if (strlen(commandLine) >= sizeof buffer)
        return false;
    strcpy(buffer, commandLine);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, buffer, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

bool DeleteWithRetries(const char* path, DWORD timeLimitMs)
{
    DWORD start = GetTickCount();
    while (!DeleteFileA(path)) {
        DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            return true;
        if (GetTickCount() - start >= timeLimitMs)
            return false;
        Sleep(kReplacementRetryMs);
    }
    return true;
}

int HandleReplacementSwitches(HINSTANCE module, char* commandLine)
{
    const char* found = nullptr;
    ReplacementSwitch kind = ScanReplacementSwitches(commandLine, &found);
    if (kind == kNormalStart)
        return 1;
    char path[kCommandSize];
    if (kind == kSwitchWithoutPath || !TakeReplacementPath(found, path, sizeof path))
        return 0;
    if (kind == kDeleteStep) {
        DeleteWithRetries(path, kReplacementTimeLimitMs);
        return 0;
    }

    char ownPath[MAX_PATH];
    DWORD length = GetModuleFileNameA(module, ownPath, MAX_PATH - 1);
    if (length == 0 || length >= MAX_PATH - 1)
        return 0;
    ownPath[length] = '\0';
    // Refuse a target too long for the follow-up command before touching it.
    char command[kCommandSize];
    if (!ComposeDeleteCommand(command, sizeof command, path, ownPath))
        return 0;
    // The own file is the only copy of the new program: it is deleted only
    // once the target holds all of it.
    if (CopySelfOnto(ownPath, path, kReplacementTimeLimitMs))
        StartHidden(command);
    return 0;
}
