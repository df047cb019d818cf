#include "fig_encoder.h"

#include <string.h>

#include <zlib.h>

namespace figpack {

namespace {

void Put16(std::vector<uint8_t>* out, int value)
{
    out->push_back(static_cast<uint8_t>(value & 0xFF));
    out->push_back(static_cast<uint8_t>((value >> 8) & 0xFF));
}

void Put32(std::vector<uint8_t>* out, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out->push_back(static_cast<uint8_t>((value >> (8 * i)) & 0xFF));
}

bool FitsSigned16(int value)
{
    return value >= -32768 && value <= 32767;
}

uint16_t Get16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

uint32_t Get32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}

bool Inflate(const uint8_t* source, size_t sourceSize, size_t expected, std::vector<uint8_t>* out)
{
    out->assign(expected, 0);
    uLongf produced = static_cast<uLongf>(expected);
    // One byte of room more than expected shows a block that inflates too far.
    std::vector<uint8_t> room(expected + 1);
    int status = uncompress(room.data(), &produced, source, static_cast<uLong>(sourceSize));
    if (status != Z_OK || produced != expected)
        return false;
    memcpy(out->data(), room.data(), expected);
    return true;
}

size_t RowBytes(int width)
{
    return (static_cast<size_t>(width) + 3) & ~static_cast<size_t>(3);
}

} // namespace

bool ZlibCompress(const uint8_t* raw, size_t size, std::vector<uint8_t>* stream)
{
    uLongf room = compressBound(static_cast<uLong>(size));
    stream->resize(room);
    if (compress2(stream->data(), &room, raw, static_cast<uLong>(size), 9) != Z_OK)
        return false;
    stream->resize(room);
    return true;
}

std::vector<uint8_t> RawPixelBlock(const FigImage& image)
{
    size_t rowBytes = RowBytes(image.width);
    std::vector<uint8_t> block(rowBytes * static_cast<size_t>(image.height), 0);
    for (int row = 0; row < image.height; ++row) {
        const uint8_t* source = image.pixels.data() + static_cast<size_t>(row) * image.width;
        uint8_t* target = block.data() + static_cast<size_t>(image.height - 1 - row) * rowBytes;
        memcpy(target, source, static_cast<size_t>(image.width));
    }
    return block;
}

bool EncodeFig(const FigFile& file, Compressor compress, std::vector<uint8_t>* out, std::string* error)
{
    if (file.images.size() > 0xFFFF) {
        *error = "too many images (at most 65535)";
        return false;
    }
    if (file.colours.size() > kPaletteBytes) {
        *error = "the colour table is longer than 1024 bytes";
        return false;
    }
    int canvasWidth = file.width;
    int canvasHeight = file.height;
    if (canvasWidth == 0 && canvasHeight == 0 && !file.images.empty()) {
        canvasWidth = file.images[0].width;
        canvasHeight = file.images[0].height;
    }
    if (canvasWidth < 0 || canvasWidth > 0xFFFF || canvasHeight < 0 || canvasHeight > 0xFFFF ||
        !FitsSigned16(file.loopCount) || file.spare < 0 || file.spare > 0xFFFF) {
        *error = "a header field does not fit in 16 bits";
        return false;
    }
    for (size_t i = 0; i < file.images.size(); ++i) {
        const FigImage& image = file.images[i];
        if (image.width <= 0 || image.height <= 0 || image.width > kMaxSide || image.height > kMaxSide) {
            *error = "image " + std::to_string(i) + ": width and height must be 1 to 32767";
            return false;
        }
        if (image.pixels.size() != static_cast<size_t>(image.width) * image.height) {
            *error = "image " + std::to_string(i) + ": pixel count does not match its size";
            return false;
        }
        if (!FitsSigned16(image.x) || !FitsSigned16(image.y) || !FitsSigned16(image.keyIndex) ||
            !FitsSigned16(image.delay) || !FitsSigned16(image.disposal) || !FitsSigned16(image.compression) ||
            image.planes < 0 || image.planes > 0xFFFF || image.bitCount < 0 || image.bitCount > 0xFFFF) {
            *error = "image " + std::to_string(i) + ": a record field does not fit in 16 bits";
            return false;
        }
    }

    std::vector<uint8_t> colours(file.colours);
    colours.resize(kPaletteBytes, 0);
    std::vector<uint8_t> paletteBlock;
    if (!compress(colours.data(), colours.size(), &paletteBlock)) {
        *error = "compressing the palette failed";
        return false;
    }
    Put32(out, 0x31474946); // "FIG1"
    Put16(out, file.loopCount);
    Put16(out, static_cast<int>(file.images.size()));
    Put16(out, canvasWidth);
    Put16(out, canvasHeight);
    Put16(out, file.spare);
    Put32(out, static_cast<uint32_t>(paletteBlock.size()));
    out->insert(out->end(), paletteBlock.begin(), paletteBlock.end());

    for (size_t i = 0; i < file.images.size(); ++i) {
        const FigImage& image = file.images[i];
        std::vector<uint8_t> raw = RawPixelBlock(image);
        std::vector<uint8_t> block;
        if (!compress(raw.data(), raw.size(), &block)) {
            *error = "image " + std::to_string(i) + ": compressing the pixels failed";
            return false;
        }
        Put16(out, image.width);
        Put16(out, image.height);
        Put16(out, image.planes);
        Put16(out, image.bitCount);
        Put16(out, image.compression);
        Put32(out, static_cast<uint32_t>(block.size()));
        Put16(out, image.x);
        Put16(out, image.y);
        Put16(out, image.keyIndex);
        Put16(out, image.delay);
        Put16(out, image.disposal);
        out->insert(out->end(), block.begin(), block.end());
    }
    return true;
}

bool DecodeFig(const uint8_t* bytes, size_t size, FigFile* file, std::string* error)
{
    size_t at = 0;
    auto need = [&](size_t count, const char* what) {
        if (size - at < count) {
            *error = std::string("the file ends inside ") + what;
            return false;
        }
        return true;
    };
    if (!need(kHeaderBytes, "the header"))
        return false;
    if (Get32(bytes) != 0x31474946) {
        *error = "not a FIG file (the first four bytes are not FIG1)";
        return false;
    }
    file->loopCount = static_cast<int16_t>(Get16(bytes + 4));
    size_t count = Get16(bytes + 6);
    file->width = Get16(bytes + 8);
    file->height = Get16(bytes + 10);
    file->spare = Get16(bytes + 12);
    size_t paletteSize = Get32(bytes + 14);
    at = kHeaderBytes;
    if (!need(paletteSize, "the palette block"))
        return false;
    if (!Inflate(bytes + at, paletteSize, kPaletteBytes, &file->colours)) {
        *error = "the palette block does not inflate to 1024 bytes";
        return false;
    }
    at += paletteSize;
    file->images.clear();
    for (size_t i = 0; i < count; ++i) {
        std::string which = "image record " + std::to_string(i);
        if (!need(kRecordBytes, which.c_str()))
            return false;
        const uint8_t* record = bytes + at;
        FigImage image;
        image.width = static_cast<int16_t>(Get16(record));
        image.height = static_cast<int16_t>(Get16(record + 2));
        image.planes = Get16(record + 4);
        image.bitCount = Get16(record + 6);
        image.compression = static_cast<int16_t>(Get16(record + 8));
        size_t dataSize = Get32(record + 10);
        image.x = static_cast<int16_t>(Get16(record + 14));
        image.y = static_cast<int16_t>(Get16(record + 16));
        image.keyIndex = static_cast<int16_t>(Get16(record + 18));
        image.delay = static_cast<int16_t>(Get16(record + 20));
        image.disposal = static_cast<int16_t>(Get16(record + 22));
        at += kRecordBytes;
        if (!need(dataSize, ("the pixel block of image " + std::to_string(i)).c_str()))
            return false;
        if (image.width <= 0 || image.height <= 0) {
            *error = "image " + std::to_string(i) + " has no pixels (width or height not positive)";
            return false;
        }
        size_t rowBytes = RowBytes(image.width);
        std::vector<uint8_t> raw;
        if (!Inflate(bytes + at, dataSize, rowBytes * image.height, &raw)) {
            *error = "the pixel block of image " + std::to_string(i) + " does not inflate to its size";
            return false;
        }
        at += dataSize;
        image.pixels.resize(static_cast<size_t>(image.width) * image.height);
        for (int row = 0; row < image.height; ++row)
            memcpy(image.pixels.data() + static_cast<size_t>(row) * image.width,
                   raw.data() + static_cast<size_t>(image.height - 1 - row) * rowBytes,
                   static_cast<size_t>(image.width));
        file->images.push_back(image);
    }
    if (at != size) {
        *error = std::to_string(size - at) + " bytes follow the last image";
        return false;
    }
    return true;
}

bool ColoursFromPaletteFile(const std::vector<uint8_t>& bytes, std::vector<uint8_t>* colours, std::string* error)
{
    colours->assign(kPaletteBytes, 0);
    if (bytes.size() >= 54 && bytes[0] == 'B' && bytes[1] == 'M') {
        uint32_t infoSize = Get32(bytes.data() + 14);
        if (infoSize < 40 || infoSize > bytes.size() - 14) {
            *error = "the BMP's info header is not a Windows one";
            return false;
        }
        uint32_t used = Get32(bytes.data() + 14 + 32);
        uint16_t bitCount = Get16(bytes.data() + 14 + 14);
        if (used == 0 && bitCount <= 8)
            used = 1u << bitCount;
        if (used == 0 || used > 256) {
            *error = "the BMP has no usable colour table";
            return false;
        }
        size_t table = 14 + infoSize;
        if (bytes.size() - table < used * 4) {
            *error = "the BMP's colour table is cut short";
            return false;
        }
        for (size_t i = 0; i < used; ++i) {
            (*colours)[i * 4] = bytes[table + i * 4];
            (*colours)[i * 4 + 1] = bytes[table + i * 4 + 1];
            (*colours)[i * 4 + 2] = bytes[table + i * 4 + 2];
        }
        return true;
    }
    if (bytes.size() == kPaletteBytes) {
        for (size_t i = 0; i < 256; ++i) {
            (*colours)[i * 4] = bytes[i * 4];
            (*colours)[i * 4 + 1] = bytes[i * 4 + 1];
            (*colours)[i * 4 + 2] = bytes[i * 4 + 2];
        }
        return true;
    }
    if (bytes.size() == 768) {
        for (size_t i = 0; i < 256; ++i) {
            (*colours)[i * 4] = bytes[i * 3 + 2];
            (*colours)[i * 4 + 1] = bytes[i * 3 + 1];
            (*colours)[i * 4 + 2] = bytes[i * 3];
        }
        return true;
    }
    *error = "a palette file is a BMP, 1024 bytes of blue-green-red-0 or 768 bytes of red-green-blue";
    return false;
}

} // namespace figpack
