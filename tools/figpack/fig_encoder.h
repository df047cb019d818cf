// The FIG file layout, written and read in memory. Shared by the figpack
// tool (native, zopfli) and by the tests' fixture builder (cross, zlib).
#pragma once
#include <stddef.h>
#include <stdint.h>

#include <string>
#include <vector>

namespace figpack {

enum {
    kHeaderBytes = 18,
    kRecordBytes = 24,
    kPaletteBytes = 1024, // 256 entries of blue, green, red, 0
    kMaxSide = 32767,     // sizes are 16-bit signed in the records
};

struct FigImage {
    int width = 0;
    int height = 0;
    int x = 0;
    int y = 0;
    int keyIndex = -1;
    int delay = 0;
    int disposal = -1;
    int planes = 1;
    int bitCount = 8;
    int compression = 0;
    // width bytes per row, top row first (the encoder turns it bottom-up and
    // pads rows to 4 bytes).
    std::vector<uint8_t> pixels;
};

struct FigFile {
    int loopCount = -1;
    int width = 0;  // canvas; 0 takes the first image's size
    int height = 0;
    int spare = 0;
    std::vector<uint8_t> colours; // kPaletteBytes bytes; shorter is padded with zeros
    std::vector<FigImage> images;
};

// Turns raw bytes into one complete zlib stream.
typedef bool (*Compressor)(const uint8_t* raw, size_t size, std::vector<uint8_t>* stream);

// zlib at level 9; always available.
bool ZlibCompress(const uint8_t* raw, size_t size, std::vector<uint8_t>* stream);

// The pixel block before compression: rows bottom-up, each padded to a
// multiple of 4 bytes with zeros.
std::vector<uint8_t> RawPixelBlock(const FigImage& image);

// Appends the whole file. False (with a reason) when a field does not fit
// its width in the file or compression fails.
bool EncodeFig(const FigFile& file, Compressor compress, std::vector<uint8_t>* out, std::string* error);

// The file's bytes back into a FigFile; every read is bounds-checked. Pixel
// rows come back top row first, without padding.
bool DecodeFig(const uint8_t* bytes, size_t size, FigFile* file, std::string* error);

// The 1024-byte colour table from a palette source: a BMP file (its colour
// table), or raw bytes of 1024 (blue, green, red, 0) or 768 (red, green,
// blue). False when the bytes are none of these.
bool ColoursFromPaletteFile(const std::vector<uint8_t>& bytes, std::vector<uint8_t>* colours, std::string* error);

} // namespace figpack
