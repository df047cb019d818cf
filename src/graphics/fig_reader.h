// The FIG image file: one 256-colour palette and one or more 8-bit indexed
// images, each zlib-compressed. The reader turns a FIG held as a module
// resource or as bytes in memory into device-dependent bitmaps.
#pragma once
#include <windows.h>
#include <stddef.h>
#include <stdint.h>

// "FIG1" read as one little-endian 32-bit value.
constexpr uint32_t kFigMagic = 0x31474946;

enum {
    kFigHeaderSize = 18,
    kFigRecordSize = 24,
    kFigPaletteBytes = 1024,
    kFigSourceResource = 1,
    kFigSourceMemory = 2,
};

// Results of FigReadImage.
enum {
    kFigImageRead = 0,    // an image record was read (the bitmap may still be null)
    kFigNoImages = 1,     // the file has no images
    kFigNoReader = 2,     // the reader is null
    kFigImageDamaged = 3, // the record or its pixel block runs past the end of the data
};

// One open FIG file. Allocated zeroed by the open operations, freed by FigClose.
struct FigReader {
    int32_t sourceKind;     // kFigSourceResource or kFigSourceMemory
    const uint8_t* start;   // first byte of the file
    const uint8_t* position; // next byte to read
    const uint8_t* end;     // one past the last byte; no read goes beyond it
    HGLOBAL resource;       // the loaded resource (resource kind only)
    int16_t loopCount;
    uint16_t imageCount;
    uint16_t width;
    uint16_t height;
    uint16_t spare;
    uint32_t paletteSize;   // bytes of the compressed palette block
    uint8_t palette[kFigPaletteBytes]; // blue, green, red, 0 per entry
    HPALETTE paletteHandle; // built from the colour table at open; owned by the reader
};

// One decoded image's description; allocated by FigReadImage, freed by the
// caller with free().
struct FigImageInfo {
    BITMAPINFOHEADER header;
    int32_t x;
    int32_t y;
    int32_t keyIndex;
    int32_t delay;
    int32_t disposal;
};

// The resource type is "FIG"; name is a string or MAKEINTRESOURCE id.
FigReader* FigOpenResource(HINSTANCE module, const char* name);
// The bytes stay owned by the caller and must outlive the reader.
FigReader* FigOpenMemory(const void* bytes, size_t size);
// Sets *bitmap and *info to null first; see the kFig... results above.
int FigReadImage(FigReader* reader, HBITMAP* bitmap, FigImageInfo** info);
// Back to the first image; the palette handle stays the same.
void FigRewind(FigReader* reader);
void FigClose(FigReader* reader);

// Inflates one complete zlib stream. 0 on success with *destLen the bytes
// made; otherwise the zlib status, *destLen unchanged.
int InflateBuffer(void* dest, unsigned long* destLen, const void* source, unsigned long sourceLen);
