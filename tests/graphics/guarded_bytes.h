// Test input placed right before an inaccessible page.
#pragma once
#include <windows.h>
#include <stdint.h>
#include <string.h>

#include <vector>

// Bytes that end exactly where an inaccessible page starts, so that reading
// even one byte past them faults instead of passing unnoticed.
class GuardedBytes {
public:
    explicit GuardedBytes(const std::vector<uint8_t>& bytes)
    {
        SYSTEM_INFO system;
        GetSystemInfo(&system);
        size_t page = system.dwPageSize;
        size_t dataPages = (bytes.size() + page - 1) / page + 1;
        m_base = static_cast<uint8_t*>(VirtualAlloc(nullptr, (dataPages + 1) * page, MEM_COMMIT | MEM_RESERVE,
                                                    PAGE_READWRITE));
        DWORD old;
        VirtualProtect(m_base + dataPages * page, page, PAGE_NOACCESS, &old);
        m_data = m_base + dataPages * page - bytes.size();
        if (!bytes.empty())
            memcpy(m_data, bytes.data(), bytes.size());
        m_size = bytes.size();
    }
    ~GuardedBytes() { VirtualFree(m_base, 0, MEM_RELEASE); }
    GuardedBytes(const GuardedBytes&) = delete;
    GuardedBytes& operator=(const GuardedBytes&) = delete;
    const uint8_t* Data() const { return m_data; }
    size_t Size() const { return m_size; }

private:
    uint8_t* m_base = nullptr;
    uint8_t* m_data = nullptr;
    size_t m_size = 0;
};
