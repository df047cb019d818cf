#include "graphics/fig_reader.h"

#include <stdlib.h>
#include <string.h>

#include <zlib.h>

#include "graphics/gdi_scope.h"
#include "graphics/palette.h"
#include "personalise/le_bytes.h"

namespace {

// Every read is checked against the end of the data: a cut-short or
// damaged file fails instead of reading past its bytes.
bool Take(FigReader* reader, size_t count, const uint8_t** bytes)
{
    if (static_cast<size_t>(reader->end - reader->position) < count)
        return false;
    *bytes = reader->position;
    reader->position += count;
    return true;
}

bool ReadHeader(FigReader* reader)
{
    const uint8_t* header = nullptr;
    if (!Take(reader, kFigHeaderSize, &header) || Read32(header) != kFigMagic)
        return false;
    reader->loopCount = static_cast<int16_t>(Read16(header + 4));
    reader->imageCount = Read16(header + 6);
    reader->width = Read16(header + 8);
    reader->height = Read16(header + 10);
    reader->spare = Read16(header + 12);
    reader->paletteSize = Read32(header + 14);

    const uint8_t* block = nullptr;
    int status = Z_DATA_ERROR;
    if (Take(reader, reader->paletteSize, &block)) {
        unsigned long room = kFigPaletteBytes;
        status = InflateBuffer(reader->palette, &room, block, reader->paletteSize);
    }
    if (reader->paletteHandle == nullptr)
        reader->paletteHandle = CreateTablePalette(reader->palette, 256);
    return status == Z_OK;
}

FigReader* NewReader(int kind)
{
    FigReader* reader = static_cast<FigReader*>(calloc(1, sizeof(FigReader)));
    if (reader != nullptr)
        reader->sourceKind = kind;
    return reader;
}

HBITMAP MakeDeviceBitmap(const FigReader* reader, const BITMAPINFOHEADER* header, const uint8_t* pixels)
{
    BITMAPINFO* info = static_cast<BITMAPINFO*>(malloc(sizeof(BITMAPINFOHEADER) + kFigPaletteBytes));
    if (info == nullptr)
        return nullptr;
    memcpy(&info->bmiHeader, header, sizeof(BITMAPINFOHEADER));
    // The header only says how wide and high the bitmap is; the pixels are
    // always one byte each, whatever the record's bit count claims.
    info->bmiHeader.biBitCount = 8;
    info->bmiHeader.biPlanes = 1;
    info->bmiHeader.biCompression = BI_RGB;
    info->bmiHeader.biSizeImage = 0;
    memcpy(info->bmiColors, reader->palette, kFigPaletteBytes);
    HBITMAP bitmap;
    {
        ScopedGetDC screen;
        SelectMainPalette(screen);
        bitmap = CreateDIBitmap(screen, &info->bmiHeader, CBM_INIT, pixels, info, DIB_RGB_COLORS);
        RestorePalette(screen);
    }
    free(info);
    return bitmap;
}

} // namespace

FigReader* FigOpenResource(HINSTANCE module, const char* name)
{
    FigReader* reader = NewReader(kFigSourceResource);
    if (reader == nullptr)
        return nullptr;
    HRSRC found = FindResourceA(module, name, "FIG");
    if (found != nullptr)
        reader->resource = LoadResource(module, found);
    const uint8_t* bytes = reader->resource ? static_cast<const uint8_t*>(LockResource(reader->resource)) : nullptr;
    if (bytes == nullptr) {
        FigClose(reader);
        return nullptr;
    }
    reader->start = reader->position = bytes;
    reader->end = bytes + SizeofResource(module, found);
    if (!ReadHeader(reader)) {
        FigClose(reader);
        return nullptr;
    }
    return reader;
}

FigReader* FigOpenMemory(const void* bytes, size_t size)
{
    if (bytes == nullptr)
        return nullptr;
    FigReader* reader = NewReader(kFigSourceMemory);
    if (reader == nullptr)
        return nullptr;
    reader->start = reader->position = static_cast<const uint8_t*>(bytes);
    reader->end = reader->start + size;
    if (!ReadHeader(reader)) {
        FigClose(reader);
        return nullptr;
    }
    return reader;
}

int FigReadImage(FigReader* reader, HBITMAP* bitmap, FigImageInfo** info)
{
    *bitmap = nullptr;
    *info = nullptr;
    if (reader == nullptr)
        return kFigNoReader;
    if (reader->imageCount == 0)
        return kFigNoImages;

    // After a damaged record nothing further is read: the next records'
    // places are unknown. FigRewind starts afresh.
    const uint8_t* record = nullptr;
    const uint8_t* block = nullptr;
    if (!Take(reader, kFigRecordSize, &record) || !Take(reader, Read32(record + 10), &block)) {
        reader->position = reader->end;
        return kFigImageDamaged;
    }
    int32_t width = static_cast<int16_t>(Read16(record));
    int32_t height = static_cast<int16_t>(Read16(record + 2));
    uint32_t dataSize = Read32(record + 10);
    // A negative height is a top-down image; a width or height of 0 or less
    // describes no pixels at all.
    int32_t rows = height < 0 ? -height : height;
    if (width <= 0 || rows == 0)
        return kFigImageDamaged;

    FigImageInfo* made = static_cast<FigImageInfo*>(calloc(1, sizeof(FigImageInfo)));
    if (made == nullptr)
        return kFigImageDamaged;
    made->header.biSize = sizeof(BITMAPINFOHEADER);
    made->header.biWidth = width;
    made->header.biHeight = height;
    made->header.biPlanes = Read16(record + 4);
    made->header.biBitCount = Read16(record + 6);
    made->header.biCompression = static_cast<uint32_t>(static_cast<int32_t>(static_cast<int16_t>(Read16(record + 8))));
    made->header.biClrUsed = 256;
    made->header.biClrImportant = 256;
    made->x = static_cast<int16_t>(Read16(record + 14));
    made->y = static_cast<int16_t>(Read16(record + 16));
    made->keyIndex = static_cast<int16_t>(Read16(record + 18));
    made->delay = static_cast<int16_t>(Read16(record + 20));
    made->disposal = static_cast<int16_t>(Read16(record + 22));

    unsigned long rowBytes = (static_cast<unsigned long>(width) + 3) & ~3ul;
    unsigned long room = rowBytes * static_cast<unsigned long>(rows);
    // Zeroed, so that pixels a damaged block leaves unwritten are index 0,
    // not whatever the heap held.
    uint8_t* pixels = static_cast<uint8_t*>(calloc(room, 1));
    if (pixels == nullptr) {
        free(made);
        return kFigImageDamaged;
    }
    unsigned long produced = room;
    InflateBuffer(pixels, &produced, block, dataSize);
    made->header.biSizeImage = produced;

    *bitmap = MakeDeviceBitmap(reader, &made->header, pixels);
    free(pixels);
    *info = made;
    return kFigImageRead;
}

void FigRewind(FigReader* reader)
{
    if (reader == nullptr)
        return;
    reader->position = reader->start;
    ReadHeader(reader);
}

void FigClose(FigReader* reader)
{
    if (reader == nullptr)
        return;
    if (reader->sourceKind == kFigSourceResource && reader->resource != nullptr)
        FreeResource(reader->resource);
    if (reader->paletteHandle != nullptr)
        DeleteObject(reader->paletteHandle);
    free(reader);
}

int InflateBuffer(void* dest, unsigned long* destLen, const void* source, unsigned long sourceLen)
{
    z_stream stream;
    memset(&stream, 0, sizeof(stream));
    stream.next_in = static_cast<Bytef*>(const_cast<void*>(source));
    stream.avail_in = static_cast<uInt>(sourceLen);
    stream.next_out = static_cast<Bytef*>(dest);
    stream.avail_out = static_cast<uInt>(*destLen);
    int status = inflateInit(&stream);
    if (status != Z_OK)
        return status;
    status = inflate(&stream, Z_FINISH);
    if (status == Z_STREAM_END) {
        *destLen = stream.total_out;
        return inflateEnd(&stream);
    }
    inflateEnd(&stream);
    // A stream that ends early reports Z_BUF_ERROR with input left over or
    // none; either way it is a failure, never success.
    return status == Z_OK ? Z_BUF_ERROR : status;
}
