#include "personalise/exe_writer.h"

#include <stdlib.h>
#include <string.h>

#include "personalise/le_bytes.h"

const char kFillPattern[] = "PADDINGPADDINGXX";

namespace {

int CompareCurrentPosition(const void* a, const void* b)
{
    uint32_t x = (*static_cast<CResData* const*>(a))->current.OffsetToData;
    uint32_t y = (*static_cast<CResData* const*>(b))->current.OffsetToData;
    return x < y ? -1 : (x > y ? 1 : 0);
}

bool PutTable(CByteSink* sink, const CResDirectory* table, uint32_t* written)
{
    uint8_t bytes[16];
    PutTableHeader(table->header, bytes);
    bool ok = sink->Put(bytes, 16);
    for (const CResEntry* entry = table->entries; entry != nullptr && ok; entry = entry->next) {
        Write32(bytes, entry->name);
        Write32(bytes + 4, entry->offsetToData);
        ok = sink->Put(bytes, 8);
    }
    *written += table->TableSize();
    return ok;
}

// The tables level by level from the root, then the data entries: the order
// of the directory as read, so the offsets its entries hold stay true.
bool PutDirectory(CByteSink* sink, const CResDirectory* root, uint32_t* written)
{
    auto putTable = [&](const CResDirectory* table) { return PutTable(sink, table, written); };
    return ForEachTableInLevelOrder(root, putTable) && ForEachLanguageEntry(root, [&](const CResEntry* language) {
        if (language->data == nullptr)
            return true;
        uint8_t record[16];
        PutDataRecord(language->data->current, record);
        *written += 16;
        return sink->Put(record, 16);
    });
}

bool PutResourceData(CByteSink* sink, const CPeImage* image)
{
    CResData** items;
    uint32_t count;
    if (!image->root->CollectData(&items, &count))
        return false;
    qsort(items, count, sizeof *items, CompareCurrentPosition);
    bool ok = true;
    for (uint32_t i = 0; i < count && ok; ++i) {
        const CResData* data = items[i];
        uint32_t size = data->current.Size;
        uint32_t padding = (0u - size) & 7u;
        if (data->replacement != nullptr) {
            ok = sink->Put(data->replacement, size) && PutFill(sink, padding);
        } else {
            // The item keeps the bytes that followed it in the file.
            const uint8_t* at = image->view + image->ResourceOffset() +
                                (data->onDisk.OffsetToData - image->ResourceRva());
            ok = sink->Put(at, size + padding);
        }
    }
    free(items);
    return ok;
}

} // namespace

uint32_t AlignUp(uint32_t value, uint32_t alignment)
{
    if ((value & (alignment - 1)) == 0)
        return value;
    return (value & ~(alignment - 1)) + alignment;
}

bool PutFill(CByteSink* sink, uint32_t count)
{
    while (count > 0) {
        uint32_t piece = count < kFillPatternSize ? count : kFillPatternSize;
        if (!sink->Put(kFillPattern, piece))
            return false;
        count -= piece;
    }
    return true;
}

bool WriteExecutable(CPeImage* image, CByteSink* sink)
{
    if (sink == nullptr || image == nullptr || !image->HasWriterLayout())
        return false;
    const uint8_t* view = image->view;
    uint64_t newDataTotal = image->root->SumRoundedSizes();
    uint64_t content = newDataTotal + image->directorySize;
    if (content > 0x7FFF0000u)
        return false;
    uint32_t fileAlignment = image->OptionalField(kOptFileAlignment);
    uint32_t pad = (fileAlignment - (static_cast<uint32_t>(content) & (fileAlignment - 1))) & (fileAlignment - 1);
    PeSection resources = image->Section(image->ResourceSection());
    image->dataGrowth = static_cast<int32_t>(newDataTotal - image->storedDataTotal);
    image->sectionGrowth = static_cast<int32_t>(content + pad - resources.SizeOfRawData);

    // 1: DOS header and stub, PE signature, file header.
    bool ok = sink->Put(view, image->OptionalHeaderOffset());

    // 2: the optional header with the new sizes.
    uint8_t optional[kOptionalHeaderSize];
    memcpy(optional, view + image->OptionalHeaderOffset(), sizeof optional);
    uint8_t* resourceSize = optional + kOptDataDirectories + 8 * kResourceDirectoryIndex + 4;
    if (image->sectionGrowth != 0) {
        uint32_t r = Read32(resourceSize);
        uint32_t sectionAlignment = Read32(optional + kOptSectionAlignment);
        uint32_t sizeOfImage = Read32(optional + kOptSizeOfImage) - AlignUp(r, sectionAlignment) +
                               AlignUp(r + static_cast<uint32_t>(image->dataGrowth), sectionAlignment);
        Write32(optional + kOptSizeOfImage, sizeOfImage);
        Write32(optional + kOptSizeOfInitializedData, Read32(optional + kOptSizeOfInitializedData) +
                                                          static_cast<uint32_t>(image->sectionGrowth));
    }
    if (image->dataGrowth != 0)
        Write32(resourceSize, Read32(resourceSize) + static_cast<uint32_t>(image->dataGrowth));
    ok = ok && sink->Put(optional, sizeof optional);

    // 3: the section table.
    uint32_t sections = image->SectionCount();
    for (uint32_t i = 0; i < sections && ok; ++i) {
        PeSection section = image->Section(static_cast<int>(i));
        uint8_t header[kSectionHeaderSize];
        memcpy(header, view + section.headerOffset, sizeof header);
        if (image->dataGrowth != 0) {
            if (static_cast<int>(i) == image->ResourceSection()) {
                Write32(header + kSecSizeOfRawData,
                        section.SizeOfRawData + static_cast<uint32_t>(image->sectionGrowth));
                Write32(header + kSecVirtualSize, section.VirtualSize + static_cast<uint32_t>(image->dataGrowth));
            } else if (section.PointerToRawData > resources.PointerToRawData) {
                Write32(header + kSecPointerToRawData,
                        section.PointerToRawData + static_cast<uint32_t>(image->sectionGrowth));
            }
        }
        ok = sink->Put(header, sizeof header);
    }

    // 4: everything up to the resource directory.
    uint32_t tableEnd = image->SectionTableOffset() + kSectionHeaderSize * sections;
    ok = ok && sink->Put(view + tableEnd, image->ResourceOffset() - tableEnd);

    // 5 and 6: the directory from the tree, then its name strings as they were.
    uint32_t written = 0;
    ok = ok && PutDirectory(sink, image->root, &written);
    ok = ok && sink->Put(view + image->ResourceOffset() + written, image->directorySize - written);

    // 7 and 8: the data, then the fill to the file alignment.
    ok = ok && PutResourceData(sink, image);
    return ok && PutFill(sink, pad);
}
