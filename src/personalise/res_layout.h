// Puts the resource section of a linked PE32 image into the layout the
// executable writer rebuilds: the section last in file and image and starting
// with the directory; the tables level by level, then the data entries, then
// the name strings; then the data in the order of their positions, each item
// padded to 8 bytes with the fill pattern, and the fill pattern up to the file
// alignment. Section sizes, the resource directory size and the image size
// follow. Used by the build step that finishes festling.exe.
#pragma once
#include <stdint.h>

// On success *output is a new buffer from the C heap holding the whole new
// file; the result has been checked to come back unchanged through the
// writer. On failure *error names the reason.
bool LayOutResources(const uint8_t* input, uint32_t size, uint8_t** output, uint32_t* outputSize,
                     const char** error);
