// figpack: packs 8-bit indexed PNGs into a FIG file, lists a FIG's header and
// image records, and unpacks a FIG's images to indexed PNGs.
#include <png.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include <zopfli/zlib_container.h>
#include <zopfli/zopfli.h>

#include "fig_encoder.h"

namespace {

int g_iterations = 15;

void Usage()
{
    fprintf(stderr,
            "usage:\n"
            "  figpack pack -o OUT.fig [--loop N] [--canvas WxH] [--spare N] [--palette FILE]\n"
            "               [--iterations N] {[--x N] [--y N] [--key N] [--delay N] [--disposal N] IMAGE.png}...\n"
            "  figpack list FILE.fig\n"
            "  figpack unpack FILE.fig OUT_PREFIX   (writes OUT_PREFIX000.png, OUT_PREFIX001.png, ...)\n");
}

bool ReadFile(const char* path, std::vector<uint8_t>* bytes)
{
    FILE* f = fopen(path, "rb");
    if (f == nullptr)
        return false;
    bytes->clear();
    uint8_t buffer[65536];
    size_t got;
    while ((got = fread(buffer, 1, sizeof(buffer), f)) > 0)
        bytes->insert(bytes->end(), buffer, buffer + got);
    bool ok = !ferror(f);
    fclose(f);
    return ok;
}

bool WriteFile(const char* path, const std::vector<uint8_t>& bytes)
{
    FILE* f = fopen(path, "wb");
    if (f == nullptr)
        return false;
    bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = (fclose(f) == 0) && ok;
    return ok;
}

// Zopfli's zlib stream, or zlib level 9's if that happens to be smaller, so
// the result is never larger than zlib's best.
bool ZopfliCompress(const uint8_t* raw, size_t size, std::vector<uint8_t>* stream)
{
    ZopfliOptions options;
    ZopfliInitOptions(&options);
    options.numiterations = g_iterations;
    unsigned char* out = nullptr;
    size_t outSize = 0;
    ZopfliZlibCompress(&options, raw, size, &out, &outSize);
    std::vector<uint8_t> best;
    if (!figpack::ZlibCompress(raw, size, &best))
        return false;
    if (out != nullptr && outSize > 0 && outSize <= best.size())
        best.assign(out, out + outSize);
    free(out);
    stream->swap(best);
    return true;
}

struct IndexedPng {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;  // one index per pixel, top row first
    std::vector<uint8_t> colours; // blue, green, red, 0 for each PLTE entry
};

bool ReadIndexedPng(const char* path, IndexedPng* png, std::string* error)
{
    FILE* f = fopen(path, "rb");
    if (f == nullptr) {
        *error = "cannot open";
        return false;
    }
    png_structp reader = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = reader ? png_create_info_struct(reader) : nullptr;
    if (info == nullptr) {
        png_destroy_read_struct(&reader, nullptr, nullptr);
        fclose(f);
        *error = "out of memory";
        return false;
    }
    std::vector<png_bytep> rows;
    if (setjmp(png_jmpbuf(reader))) {
        png_destroy_read_struct(&reader, &info, nullptr);
        fclose(f);
        *error = "not a readable PNG";
        return false;
    }
    png_init_io(reader, f);
    png_read_info(reader, info);
    png_uint_32 width = png_get_image_width(reader, info);
    png_uint_32 height = png_get_image_height(reader, info);
    int colourType = png_get_color_type(reader, info);
    int depth = png_get_bit_depth(reader, info);
    if (colourType != PNG_COLOR_TYPE_PALETTE || width > figpack::kMaxSide || height > figpack::kMaxSide) {
        png_destroy_read_struct(&reader, &info, nullptr);
        fclose(f);
        *error = colourType != PNG_COLOR_TYPE_PALETTE ? "not a palette-indexed PNG" : "larger than 32767 pixels";
        return false;
    }
    if (depth < 8)
        png_set_packing(reader);
    png_read_update_info(reader, info);
    png_colorp plte = nullptr;
    int entries = 0;
    png_get_PLTE(reader, info, &plte, &entries);
    png->colours.assign(figpack::kPaletteBytes, 0);
    for (int i = 0; i < entries && i < 256; ++i) {
        png->colours[i * 4] = plte[i].blue;
        png->colours[i * 4 + 1] = plte[i].green;
        png->colours[i * 4 + 2] = plte[i].red;
    }
    png->width = static_cast<int>(width);
    png->height = static_cast<int>(height);
    png->pixels.assign(static_cast<size_t>(width) * height, 0);
    rows.resize(height);
    for (png_uint_32 y = 0; y < height; ++y)
        rows[y] = png->pixels.data() + static_cast<size_t>(y) * width;
    png_read_image(reader, rows.data());
    png_read_end(reader, nullptr);
    png_destroy_read_struct(&reader, &info, nullptr);
    fclose(f);
    return true;
}

bool WriteIndexedPng(const char* path, const figpack::FigImage& image, const std::vector<uint8_t>& colours)
{
    FILE* f = fopen(path, "wb");
    if (f == nullptr)
        return false;
    png_structp writer = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = writer ? png_create_info_struct(writer) : nullptr;
    if (info == nullptr) {
        png_destroy_write_struct(&writer, nullptr);
        fclose(f);
        return false;
    }
    if (setjmp(png_jmpbuf(writer))) {
        png_destroy_write_struct(&writer, &info);
        fclose(f);
        return false;
    }
    png_init_io(writer, f);
    png_set_IHDR(writer, info, image.width, image.height, 8, PNG_COLOR_TYPE_PALETTE, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_color plte[256];
    for (int i = 0; i < 256; ++i) {
        plte[i].red = colours[i * 4 + 2];
        plte[i].green = colours[i * 4 + 1];
        plte[i].blue = colours[i * 4];
    }
    png_set_PLTE(writer, info, plte, 256);
    // The key colour shows as transparent in viewers.
    png_byte alpha[256];
    if (image.keyIndex >= 0 && image.keyIndex < 256) {
        memset(alpha, 255, sizeof(alpha));
        alpha[image.keyIndex] = 0;
        png_set_tRNS(writer, info, alpha, image.keyIndex + 1, nullptr);
    }
    png_write_info(writer, info);
    for (int y = 0; y < image.height; ++y)
        png_write_row(writer, const_cast<png_bytep>(image.pixels.data() + static_cast<size_t>(y) * image.width));
    png_write_end(writer, nullptr);
    png_destroy_write_struct(&writer, &info);
    return fclose(f) == 0;
}

// True when an index the image uses stands for another colour in the table.
bool UsesOtherColours(const IndexedPng& png, const std::vector<uint8_t>& table)
{
    bool used[256] = {};
    for (uint8_t index : png.pixels)
        used[index] = true;
    for (int i = 0; i < 256; ++i)
        if (used[i] && memcmp(&png.colours[i * 4], &table[i * 4], 3) != 0)
            return true;
    return false;
}

bool ParseInt(const char* text, long low, long high, int* value)
{
    char* end = nullptr;
    long parsed = strtol(text, &end, 10);
    if (end == text || *end != '\0' || parsed < low || parsed > high)
        return false;
    *value = static_cast<int>(parsed);
    return true;
}

int Pack(int argc, char** argv)
{
    figpack::FigFile file;
    figpack::FigImage next;
    const char* output = nullptr;
    const char* paletteFile = nullptr;
    std::vector<std::string> sources;
    std::vector<IndexedPng> pictures; // each image as read, for the colour check
    for (int i = 0; i < argc; ++i) {
        std::string arg = argv[i];
        bool hasValue = i + 1 < argc;
        const char* value = hasValue ? argv[i + 1] : "";
        int* target = nullptr;
        long low = -32768, high = 32767;
        if (arg == "-o" && hasValue) {
            output = value;
            ++i;
            continue;
        } else if (arg == "--palette" && hasValue) {
            paletteFile = value;
            ++i;
            continue;
        } else if (arg == "--canvas" && hasValue) {
            if (sscanf(value, "%dx%d", &file.width, &file.height) != 2 || file.width < 0 || file.width > 0xFFFF ||
                file.height < 0 || file.height > 0xFFFF) {
                fprintf(stderr, "figpack: --canvas takes WIDTHxHEIGHT\n");
                return 2;
            }
            ++i;
            continue;
        } else if (arg == "--loop") {
            target = &file.loopCount;
        } else if (arg == "--spare") {
            target = &file.spare;
            low = 0;
            high = 0xFFFF;
        } else if (arg == "--iterations") {
            target = &g_iterations;
            low = 1;
            high = 1000;
        } else if (arg == "--x") {
            target = &next.x;
        } else if (arg == "--y") {
            target = &next.y;
        } else if (arg == "--key") {
            target = &next.keyIndex;
            low = -1;
            high = 255;
        } else if (arg == "--delay") {
            target = &next.delay;
        } else if (arg == "--disposal") {
            target = &next.disposal;
        } else if (arg.size() > 1 && arg[0] == '-') {
            fprintf(stderr, "figpack: unknown option %s\n", arg.c_str());
            Usage();
            return 2;
        } else {
            IndexedPng png;
            std::string error;
            if (!ReadIndexedPng(arg.c_str(), &png, &error)) {
                fprintf(stderr, "figpack: %s: %s\n", arg.c_str(), error.c_str());
                return 1;
            }
            if (file.images.empty())
                file.colours = png.colours;
            pictures.push_back(png);
            next.width = png.width;
            next.height = png.height;
            next.pixels = png.pixels;
            file.images.push_back(next);
            sources.push_back(arg);
            next = figpack::FigImage(); // image options apply to one image
            continue;
        }
        if (!hasValue || !ParseInt(value, low, high, target)) {
            fprintf(stderr, "figpack: %s takes a number from %ld to %ld\n", arg.c_str(), low, high);
            return 2;
        }
        ++i;
    }
    if (output == nullptr || file.images.empty()) {
        Usage();
        return 2;
    }
    if (paletteFile != nullptr) {
        std::vector<uint8_t> bytes;
        std::string error;
        if (!ReadFile(paletteFile, &bytes)) {
            fprintf(stderr, "figpack: %s: cannot read\n", paletteFile);
            return 1;
        }
        IndexedPng png;
        if (bytes.size() >= 8 && png_sig_cmp(bytes.data(), 0, 8) == 0) {
            if (!ReadIndexedPng(paletteFile, &png, &error)) {
                fprintf(stderr, "figpack: %s: %s\n", paletteFile, error.c_str());
                return 1;
            }
            file.colours = png.colours;
        } else if (!figpack::ColoursFromPaletteFile(bytes, &file.colours, &error)) {
            fprintf(stderr, "figpack: %s: %s\n", paletteFile, error.c_str());
            return 1;
        }
    }
    for (size_t i = 0; i < pictures.size(); ++i)
        if (UsesOtherColours(pictures[i], file.colours))
            fprintf(stderr, "figpack: warning: %s: its colours differ from the file's palette; its indices are "
                            "stored as they are\n", sources[i].c_str());
    std::vector<uint8_t> bytes;
    std::string error;
    if (!figpack::EncodeFig(file, ZopfliCompress, &bytes, &error)) {
        fprintf(stderr, "figpack: %s\n", error.c_str());
        return 1;
    }
    if (!WriteFile(output, bytes)) {
        fprintf(stderr, "figpack: %s: cannot write\n", output);
        return 1;
    }
    return 0;
}

bool LoadFig(const char* path, figpack::FigFile* file, size_t* size)
{
    std::vector<uint8_t> bytes;
    if (!ReadFile(path, &bytes)) {
        fprintf(stderr, "figpack: %s: cannot read\n", path);
        return false;
    }
    std::string error;
    *size = bytes.size();
    if (!figpack::DecodeFig(bytes.data(), bytes.size(), file, &error)) {
        fprintf(stderr, "figpack: %s: %s\n", path, error.c_str());
        return false;
    }
    return true;
}

int List(int argc, char** argv)
{
    if (argc != 1) {
        Usage();
        return 2;
    }
    figpack::FigFile file;
    size_t size = 0;
    if (!LoadFig(argv[0], &file, &size))
        return 1;
    printf("file %s: %zu bytes\n", argv[0], size);
    printf("loopCount %d imageCount %zu width %d height %d spare %d\n", file.loopCount, file.images.size(),
           file.width, file.height, file.spare);
    for (size_t i = 0; i < file.images.size(); ++i) {
        const figpack::FigImage& image = file.images[i];
        printf("image %zu: %dx%d planes %d bitCount %d compression %d x %d y %d keyIndex %d delay %d disposal %d\n",
               i, image.width, image.height, image.planes, image.bitCount, image.compression, image.x, image.y,
               image.keyIndex, image.delay, image.disposal);
    }
    return 0;
}

int Unpack(int argc, char** argv)
{
    if (argc != 2) {
        Usage();
        return 2;
    }
    figpack::FigFile file;
    size_t size = 0;
    if (!LoadFig(argv[0], &file, &size))
        return 1;
    for (size_t i = 0; i < file.images.size(); ++i) {
        char name[32];
        snprintf(name, sizeof(name), "%03zu.png", i);
        std::string path = std::string(argv[1]) + name;
        if (!WriteIndexedPng(path.c_str(), file.images[i], file.colours)) {
            fprintf(stderr, "figpack: %s: cannot write\n", path.c_str());
            return 1;
        }
        printf("%s\n", path.c_str());
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        Usage();
        return 2;
    }
    std::string command = argv[1];
    if (command == "pack")
        return Pack(argc - 2, argv + 2);
    if (command == "list")
        return List(argc - 2, argv + 2);
    if (command == "unpack")
        return Unpack(argc - 2, argv + 2);
    Usage();
    return 2;
}
