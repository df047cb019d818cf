#include "support/fig_builder.h"

#include <string>

// The packer's encoder, compiled into the tests as it is.
#include "../../tools/figpack/fig_encoder.cpp"

namespace fig_builder {

std::vector<uint8_t> TestColours()
{
    static const uint8_t kReserved[20][3] = {
        {0, 0, 0},       {128, 0, 0},     {0, 128, 0},     {128, 128, 0},   {0, 0, 128},
        {128, 0, 128},   {0, 128, 128},   {192, 192, 192}, {192, 220, 192}, {166, 202, 240},
        {255, 251, 240}, {160, 160, 164}, {128, 128, 128}, {255, 0, 0},     {0, 255, 0},
        {255, 255, 0},   {0, 0, 255},     {255, 0, 255},   {0, 255, 255},   {255, 255, 255},
    };
    std::vector<uint8_t> colours(figpack::kPaletteBytes, 0);
    for (int i = 0; i < 256; ++i) {
        int red, green, blue;
        if (i < 10 || i >= 246) {
            const uint8_t* rgb = kReserved[i < 10 ? i : i - 236];
            red = rgb[0];
            green = rgb[1];
            blue = rgb[2];
        } else {
            // 236 distinct colours: a 6 x 6 x 7 grid minus its first 16 cells.
            int n = i - 10 + 16;
            red = 20 + (n % 6) * 43;
            green = 10 + ((n / 6) % 6) * 45;
            blue = 5 + (n / 36) * 40;
        }
        colours[i * 4] = static_cast<uint8_t>(blue);
        colours[i * 4 + 1] = static_cast<uint8_t>(green);
        colours[i * 4 + 2] = static_cast<uint8_t>(red);
    }
    return colours;
}

std::vector<uint8_t> Build(const std::vector<figpack::FigImage>& images, int loopCount)
{
    figpack::FigFile file;
    file.loopCount = loopCount;
    file.colours = TestColours();
    file.images = images;
    return Build(file);
}

std::vector<uint8_t> Build(const figpack::FigFile& file)
{
    std::vector<uint8_t> bytes;
    std::string error;
    if (!figpack::EncodeFig(file, figpack::ZlibCompress, &bytes, &error))
        bytes.clear();
    return bytes;
}

size_t PaletteBlockOffset()
{
    return figpack::kHeaderBytes;
}

size_t FirstRecordOffset(const std::vector<uint8_t>& fig)
{
    uint32_t paletteSize = static_cast<uint32_t>(fig[14]) | (static_cast<uint32_t>(fig[15]) << 8) |
                           (static_cast<uint32_t>(fig[16]) << 16) | (static_cast<uint32_t>(fig[17]) << 24);
    return figpack::kHeaderBytes + paletteSize;
}

} // namespace fig_builder
