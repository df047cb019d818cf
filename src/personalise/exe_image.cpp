#include "personalise/exe_image.h"

#include <stdlib.h>
#include <string.h>

#include <new>

#include "personalise/file_sink.h"

CExeImage::CExeImage() : file(INVALID_HANDLE_VALUE), mapping(nullptr), path(nullptr) {}

CExeImage::~CExeImage()
{
    Close();
    free(path);
}

void CExeImage::Close()
{
    ReleaseTree();
    if (view != nullptr)
        UnmapViewOfFile(view);
    view = nullptr;
    viewSize = 0;
    if (mapping != nullptr)
        CloseHandle(mapping);
    mapping = nullptr;
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    file = INVALID_HANDLE_VALUE;
}

bool CExeImage::Open(const char* fileName)
{
    Close();
    free(path);
    path = _strdup(fileName);
    if (path == nullptr || !MapFile() || !Parse(view, viewSize) || !HasWriterLayout()) {
        // Nothing of a refused file stays open or readable.
        Close();
        return false;
    }
    return true;
}

bool CExeImage::MapFile()
{
    file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD high = 0;
    DWORD size = GetFileSize(file, &high);
    // An empty file cannot be mapped, and an executable never reaches 2 GB.
    if ((size == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) || high != 0 || size == 0 || size > 0x7FFFFFFFu)
        return false;
    mapping = CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
    if (mapping == nullptr)
        return false;
    view = static_cast<const uint8_t*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0));
    viewSize = size;
    return view != nullptr;
}

bool CExeImage::Write(HANDLE output)
{
    if (output == nullptr || output == INVALID_HANDLE_VALUE)
        return false;
    CFileSink* sink = new (std::nothrow) CFileSink(output);
    if (sink == nullptr)
        return false;
    bool written = WriteExecutable(this, sink);
    bool flushed = sink->Flush();
    delete sink;
    return written && flushed;
}

bool CExeImage::WriteAndClose(HANDLE output)
{
    bool written = Write(output);
    Close();
    return written;
}
