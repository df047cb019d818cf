#include "personalise/file_sink.h"

#include <string.h>

CFileSink::CFileSink(HANDLE file) : m_file(file), m_failed(file == INVALID_HANDLE_VALUE || file == nullptr), m_used(0)
{
}

bool CFileSink::WriteThrough(const void* bytes, uint32_t count)
{
    const uint8_t* at = static_cast<const uint8_t*>(bytes);
    while (count > 0 && !m_failed) {
        DWORD written = 0;
        if (!WriteFile(m_file, at, count, &written, nullptr) || written == 0 || written > count) {
            m_failed = true;
            break;
        }
        at += written;
        count -= written;
    }
    return !m_failed;
}

bool CFileSink::Flush()
{
    if (m_used > 0 && !m_failed)
        WriteThrough(m_buffer, m_used);
    m_used = 0;
    return !m_failed;
}

bool CFileSink::Put(const void* bytes, uint32_t count)
{
    if (m_failed)
        return false;
    if (m_used + count <= sizeof m_buffer) {
        memcpy(m_buffer + m_used, bytes, count);
        m_used += count;
        return true;
    }
    // Large pieces (copies from the mapped file) go straight through.
    return Flush() && WriteThrough(bytes, count);
}
