// Background music: the tune in the program's resources, written to a
// temporary file and played once on the MCI sequencer.
#include "app/app.h"

#include <mmsystem.h>
#include <stdio.h>

#include "app/replacement.h"

namespace {

// Writes the bytes to a new unique temporary file; on any failure no file
// stays behind and path is empty.
bool WriteTempFile(const void* bytes, DWORD size, char* path)
{
    if (!MakeTempName(path)) {
        path[0] = '\0';
        return false;
    }
    FILE* file = fopen(path, "wb");
    bool ok = file != nullptr && fwrite(bytes, 1, size, file) == size;
    if (file != nullptr && fclose(file) != 0)
        ok = false;
    if (!ok) {
        remove(path);
        path[0] = '\0';
    }
    return ok;
}

void CloseDevice(uint32_t* device)
{
    mciSendCommandA(*device, MCI_CLOSE, 0, 0);
    *device = kNoDevice;
}

} // namespace

void CApp::StartMusic(const char* name)
{
    // Only a tune whose device is still open will report its end; one that
    // never played sends no notification to wait for.
    bool wasPlaying = m_musicPath[0] != '\0' && m_musicDevice != kNoDevice;
    StopMusic();
    if (wasPlaying)
        ++m_staleNotifies;

    HRSRC info = FindResourceA(m_module, name ? name : "IDM_MUSIC", "MIDI");
    HGLOBAL loaded = info ? LoadResource(m_module, info) : nullptr;
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (bytes == nullptr)
        return;
    DWORD size = SizeofResource(m_module, info);
    bool written = WriteTempFile(bytes, size, m_musicPath);
    FreeResource(loaded);
    if (written)
        PlayMidiFile(m_hwnd, m_musicPath);
}

void CApp::StopMusic()
{
    if (m_staleNotifies > 0) {
        // This notification belongs to a tune already stopped.
        --m_staleNotifies;
        return;
    }
    if (m_musicPath[0] == '\0')
        return;
    if (m_musicDevice != kNoDevice)
        CloseDevice(&m_musicDevice);
    remove(m_musicPath);
    m_musicPath[0] = '\0';
}

uint32_t CApp::PlayMidiFile(HWND notifyWindow, const char* path)
{
    MCI_OPEN_PARMSA open = {};
    open.lpstrDeviceType = "sequencer";
    open.lpstrElementName = path;
    MCIERROR error = mciSendCommandA(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_OPEN_ELEMENT,
                                     reinterpret_cast<DWORD_PTR>(&open));
    if (error != 0)
        return error;
    m_musicDevice = open.wDeviceID;

    MCI_STATUS_PARMS status = {};
    status.dwItem = MCI_SEQ_STATUS_PORT;
    error = mciSendCommandA(m_musicDevice, MCI_STATUS, MCI_STATUS_ITEM, reinterpret_cast<DWORD_PTR>(&status));
    if (error != 0) {
        CloseDevice(&m_musicDevice);
        return error;
    }
    if (LOWORD(status.dwReturn) != 0xFFFF) {
        // Only the MIDI mapper plays the tune; another port is left alone.
        CloseDevice(&m_musicDevice);
        return 0;
    }

    MCI_PLAY_PARMS play = {};
    play.dwCallback = reinterpret_cast<DWORD_PTR>(notifyWindow);
    error = mciSendCommandA(m_musicDevice, MCI_PLAY, MCI_NOTIFY, reinterpret_cast<DWORD_PTR>(&play));
    if (error != 0) {
        CloseDevice(&m_musicDevice);
        return error;
    }
    return 0;
}
