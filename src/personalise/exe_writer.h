// The executable writer: turns an image whose resource data may have been
// replaced into a complete new executable, written in one sequential pass
// from the mapped input into a byte sink.
#pragma once
#include <stdint.h>

#include "personalise/pe_image.h"

// Where the writer's bytes go. Put returns false once anything could not be
// written; the writer then stops and reports failure.
class CByteSink {
public:
    virtual ~CByteSink() {}
    virtual bool Put(const void* bytes, uint32_t count) = 0;
};

// The fill after every item of resource data and up to the file alignment.
extern const char kFillPattern[];
constexpr uint32_t kFillPatternSize = 16;

bool PutFill(CByteSink* sink, uint32_t count);
uint32_t AlignUp(uint32_t value, uint32_t alignment);

// Writes the image with its current resource data. Stores dataGrowth and
// sectionGrowth in the image. False when there is no sink, when the image is
// not laid out as the writer rebuilds it, or when the sink failed.
bool WriteExecutable(CPeImage* image, CByteSink* sink);
