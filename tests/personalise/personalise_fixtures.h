// Shared by the personalise tests: the real festling.exe as the build left
// it (after the resource layout step), memory sinks, and guarded buffers
// that end at an inaccessible page so that any read past the end faults.
#pragma once
#include <windows.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "personalise/exe_writer.h"
#include "personalise/le_bytes.h"
#include "personalise/pe_image.h"

typedef std::vector<uint8_t> Bytes;

// build/win/tests/personalise_tests.exe -> build/win/festling.exe
inline std::string FestlingExePath()
{
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string own(path, length);
    std::string folder = own.substr(0, own.find_last_of("\\/"));
    return folder.substr(0, folder.find_last_of("\\/")) + "\\festling.exe";
}

inline Bytes ReadBytes(const std::string& path)
{
    Bytes bytes;
    FILE* f = fopen(path.c_str(), "rb");
    if (f == nullptr)
        return bytes;
    uint8_t buffer[65536];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, f)) > 0)
        bytes.insert(bytes.end(), buffer, buffer + n);
    fclose(f);
    return bytes;
}

inline bool WriteBytes(const std::string& path, const Bytes& bytes)
{
    FILE* f = fopen(path.c_str(), "wb");
    if (f == nullptr)
        return false;
    bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return fclose(f) == 0 && ok;
}

inline Bytes FestlingExe()
{
    static Bytes bytes = ReadBytes(FestlingExePath());
    return bytes;
}

inline std::string TempFolder()
{
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    return folder;
}

// A fresh empty folder under the temporary folder.
inline std::string MakeScratchFolder(const char* name)
{
    std::string folder = TempFolder() + name + std::to_string(GetCurrentProcessId()) + "\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

inline std::vector<std::string> FilesIn(const std::string& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

inline void RemoveFolder(const std::string& folder)
{
    for (const std::string& name : FilesIn(folder))
        DeleteFileA((folder + name).c_str());
    RemoveDirectoryA(folder.c_str());
}

class CMemorySink : public CByteSink {
public:
    bool Put(const void* bytes, uint32_t count) override
    {
        const uint8_t* at = static_cast<const uint8_t*>(bytes);
        written.insert(written.end(), at, at + count);
        ++puts;
        return true;
    }
    Bytes written;
    int puts = 0;
};

// Copies bytes so that they end exactly where an inaccessible page begins.
class CGuardedBytes {
public:
    explicit CGuardedBytes(const Bytes& bytes)
    {
        SYSTEM_INFO info;
        GetSystemInfo(&info);
        DWORD page = info.dwPageSize;
        m_span = (bytes.size() + page - 1) / page * page + page;
        m_base = static_cast<uint8_t*>(VirtualAlloc(nullptr, m_span, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
        DWORD old;
        VirtualProtect(m_base + m_span - page, page, PAGE_NOACCESS, &old);
        m_data = m_base + m_span - page - bytes.size();
        if (!bytes.empty())
            memcpy(m_data, bytes.data(), bytes.size());
        m_size = static_cast<uint32_t>(bytes.size());
    }
    ~CGuardedBytes() { VirtualFree(m_base, 0, MEM_RELEASE); }
    const uint8_t* data() const { return m_data; }
    uint32_t size() const { return m_size; }

private:
    uint8_t* m_base;
    uint8_t* m_data;
    size_t m_span;
    uint32_t m_size;
};

// What a loader relies on in a written file, checked from its bytes.
inline std::string LoaderInconsistencies(const Bytes& file)
{
    CPeImage image;
    if (!image.Parse(file.data(), static_cast<uint32_t>(file.size())))
        return "does not parse";
    if (!image.HasWriterLayout())
        return "not in the writer's layout";
    PeSection resources = image.Section(image.ResourceSection());
    uint32_t sectionAlignment = image.OptionalField(kOptSectionAlignment);
    uint32_t fileAlignment = image.OptionalField(kOptFileAlignment);
    uint32_t directorySize = image.OptionalField(kOptDataDirectories + 8 * kResourceDirectoryIndex + 4);
    std::string problems;
    if (image.OptionalField(kOptSizeOfImage) != AlignUp(resources.VirtualAddress + resources.VirtualSize, sectionAlignment))
        problems += "SizeOfImage; ";
    if (directorySize != resources.VirtualSize)
        problems += "resource directory size; ";
    if (resources.SizeOfRawData % fileAlignment != 0 || resources.SizeOfRawData < resources.VirtualSize ||
        resources.SizeOfRawData - resources.VirtualSize >= fileAlignment)
        problems += "SizeOfRawData; ";
    if (image.directorySize + image.storedDataTotal != resources.VirtualSize)
        problems += "VirtualSize; ";
    return problems;
}
