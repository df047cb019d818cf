// An executable file (in practice the running program's own) mapped
// read-only, with its resource tree; the data of a resource can be replaced
// and the whole written out as a new executable.
#pragma once
#include <windows.h>

#include "personalise/pe_image.h"

class CExeImage : public CPeImage {
public:
    CExeImage();
    ~CExeImage();

    // Opens, maps and reads the file. False when it cannot be opened or
    // mapped, is not a sound PE32 file with resources, or is not laid out
    // as the writer rebuilds it.
    bool Open(const char* path);

    // Writes the new executable into the open file. False when there is no
    // file or anything could not be written completely.
    bool Write(HANDLE output);
    // Write, then release the tree, the view, the mapping and the file.
    // The caller closes the output.
    bool WriteAndClose(HANDLE output);

    HANDLE file;
    HANDLE mapping;
    char* path;

private:
    bool MapFile();
    void Close();
};
