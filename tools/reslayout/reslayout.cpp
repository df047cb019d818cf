// reslayout <file.exe>: lays out the resource section of a linked PE32 file as
// the program's executable writer expects it. The new file is written beside
// the old one and renamed over it, so a failure leaves the old file whole.
#include <stdio.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "personalise/res_layout.h"

namespace {

bool ReadWhole(const char* path, std::vector<uint8_t>* bytes)
{
    FILE* f = fopen(path, "rb");
    if (!f)
        return false;
    uint8_t buffer[65536];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, f)) > 0)
        bytes->insert(bytes->end(), buffer, buffer + n);
    bool ok = !ferror(f);
    fclose(f);
    return ok;
}

bool WriteWhole(const char* path, const uint8_t* bytes, uint32_t size)
{
    FILE* f = fopen(path, "wb");
    if (!f)
        return false;
    bool ok = fwrite(bytes, 1, size, f) == size;
    if (fflush(f) != 0)
        ok = false;
    if (fclose(f) != 0)
        ok = false;
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: reslayout <file.exe>\n");
        return 2;
    }
    const char* path = argv[1];
    std::vector<uint8_t> input;
    if (!ReadWhole(path, &input) || input.empty() || input.size() > 0x7FFF0000u) {
        fprintf(stderr, "reslayout: cannot read %s\n", path);
        return 1;
    }
    uint8_t* output = nullptr;
    uint32_t outputSize = 0;
    const char* error = "";
    if (!LayOutResources(input.data(), static_cast<uint32_t>(input.size()), &output, &outputSize, &error)) {
        fprintf(stderr, "reslayout: %s: %s\n", path, error);
        return 1;
    }
    std::string temporary = std::string(path) + ".reslayout";
    bool ok = WriteWhole(temporary.c_str(), output, outputSize) && rename(temporary.c_str(), path) == 0;
    free(output);
    if (!ok) {
        remove(temporary.c_str());
        fprintf(stderr, "reslayout: cannot write %s\n", path);
        return 1;
    }
    return 0;
}
