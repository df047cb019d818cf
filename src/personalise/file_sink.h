// A byte sink that writes into an open file, gathering small pieces so that
// the writer's many short records do not each cost a system call.
#pragma once
#include <windows.h>

#include "personalise/exe_writer.h"

class CFileSink : public CByteSink {
public:
    explicit CFileSink(HANDLE file);  // the caller owns the file
    bool Put(const void* bytes, uint32_t count) override;
    // Writes what is gathered; false when any write failed or fell short.
    bool Flush();

private:
    bool WriteThrough(const void* bytes, uint32_t count);

    HANDLE m_file;
    bool m_failed;
    uint32_t m_used;
    uint8_t m_buffer[32768];
};
