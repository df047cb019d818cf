// Test fixtures in the FIG format, made in memory by the packer's own
// encoder (zlib level 9 instead of zopfli on this side).
#pragma once
#include <stdint.h>

#include <vector>

#include "../../tools/figpack/fig_encoder.h"

namespace fig_builder {

// Blue, green, red, 0 for each of 256 entries: the twenty colours Windows
// keeps on palette displays at 0-9 and 246-255, and between them a spread of
// colours chosen only for being distinct from each other.
std::vector<uint8_t> TestColours();

// An image whose pixel (x, y) is pick(x, y); top row first.
template <typename Pick>
figpack::FigImage MakeImage(int width, int height, Pick pick)
{
    figpack::FigImage image;
    image.width = width;
    image.height = height;
    image.pixels.resize(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.pixels[static_cast<size_t>(y) * width + x] = static_cast<uint8_t>(pick(x, y));
    return image;
}

// A file of the given images with TestColours(); empty on failure.
std::vector<uint8_t> Build(const std::vector<figpack::FigImage>& images, int loopCount = -1);
std::vector<uint8_t> Build(const figpack::FigFile& file);

// Offsets into built bytes, for tests that damage a file.
size_t PaletteBlockOffset();                               // right after the header
size_t FirstRecordOffset(const std::vector<uint8_t>& fig); // header + palette block

} // namespace fig_builder
