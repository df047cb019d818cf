// A module carrying resources made by the tests: a copy of this test program
// with the resources added, loaded as a data file so that FindResource and
// LoadResource see them as they see the program's own.
#pragma once
#include <windows.h>
#include <stdint.h>

#include <string>
#include <vector>

class FixtureModule {
public:
    FixtureModule() = default;
    ~FixtureModule()
    {
        if (m_module != nullptr)
            FreeLibrary(m_module);
        if (!m_path.empty())
            DeleteFileA(m_path.c_str());
    }
    FixtureModule(const FixtureModule&) = delete;
    FixtureModule& operator=(const FixtureModule&) = delete;

    // name is a string or MAKEINTRESOURCEA(id).
    void Add(const char* type, const char* name, const std::vector<uint8_t>& bytes)
    {
        Resource resource;
        resource.type = type;
        resource.id = IS_INTRESOURCE(name) ? static_cast<WORD>(reinterpret_cast<UINT_PTR>(name)) : 0;
        if (resource.id == 0)
            resource.name = name;
        resource.bytes = bytes;
        m_resources.push_back(resource);
    }

    // Null when the copy could not be made.
    HMODULE Load()
    {
        char self[MAX_PATH];
        char folder[MAX_PATH];
        char path[MAX_PATH];
        if (GetModuleFileNameA(nullptr, self, sizeof(self)) == 0 || GetTempPathA(sizeof(folder), folder) == 0 ||
            GetTempFileNameA(folder, "fxm", 0, path) == 0)
            return nullptr;
        m_path = path;
        if (!CopyFileA(self, path, FALSE))
            return nullptr;
        HANDLE update = BeginUpdateResourceA(path, TRUE); // only the fixtures, not the program's own
        if (update == nullptr)
            return nullptr;
        for (Resource& resource : m_resources) {
            const char* name = resource.id ? MAKEINTRESOURCEA(resource.id) : resource.name.c_str();
            UpdateResourceA(update, resource.type.c_str(), name, MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL),
                            resource.bytes.empty() ? nullptr : resource.bytes.data(),
                            static_cast<DWORD>(resource.bytes.size()));
        }
        if (!EndUpdateResourceA(update, FALSE))
            return nullptr;
        m_module = LoadLibraryExA(path, nullptr, LOAD_LIBRARY_AS_DATAFILE);
        return m_module;
    }

    HMODULE Module() const { return m_module; }

private:
    struct Resource {
        std::string type;
        std::string name;
        WORD id = 0;
        std::vector<uint8_t> bytes;
    };
    std::vector<Resource> m_resources;
    std::string m_path;
    HMODULE m_module = nullptr;
};
