#include "personalise/pe_image.h"

#include <stdlib.h>
#include <string.h>

#include <new>

#include "personalise/le_bytes.h"

namespace {

int CompareOnDiskPosition(const void* a, const void* b)
{
    uint32_t x = (*static_cast<CResData* const*>(a))->onDisk.OffsetToData;
    uint32_t y = (*static_cast<CResData* const*>(b))->onDisk.OffsetToData;
    return x < y ? -1 : (x > y ? 1 : 0);
}

bool IsPowerOfTwo(uint32_t value)
{
    return value != 0 && (value & (value - 1)) == 0;
}

} // namespace

CPeImage::CPeImage()
    : view(nullptr), viewSize(0), sectionGrowth(0), dataGrowth(0), storedDataTotal(0), directorySize(0),
      root(nullptr), ntOffset(0), numberOfSections(0), resourceOffset(0), resourceRva(0), resourceExtent(0),
      resourceSection(-1)
{
}

CPeImage::~CPeImage()
{
    ReleaseTree();
}

void CPeImage::ReleaseTree()
{
    delete root;
    root = nullptr;
}

uint32_t CPeImage::OptionalField(uint32_t at) const
{
    return Read32(view + OptionalHeaderOffset() + at);
}

bool CPeImage::ParseHeaders()
{
    if (viewSize < 64 || view[0] != 'M' || view[1] != 'Z')
        return false;
    ntOffset = Read32(view + 60);
    if (static_cast<uint64_t>(ntOffset) + 24 + kOptionalHeaderSize > viewSize)
        return false;
    const uint8_t* nt = view + ntOffset;
    if (memcmp(nt, "PE\0\0", 4) != 0)
        return false;
    // Only the PE32 optional header with its 16 data directories is known.
    if (Read16(nt + 20) != kOptionalHeaderSize || Read16(nt + 24) != 0x10B)
        return false;
    numberOfSections = Read16(nt + 6);
    uint64_t tableEnd = static_cast<uint64_t>(SectionTableOffset()) + kSectionHeaderSize * numberOfSections;
    if (numberOfSections == 0 || tableEnd > viewSize) {
        numberOfSections = 0;
        return false;
    }
    return true;
}

bool CPeImage::Parse(const uint8_t* bytes, uint32_t size)
{
    ReleaseTree();
    view = bytes;
    viewSize = size;
    sectionGrowth = 0;
    dataGrowth = 0;
    storedDataTotal = 0;
    directorySize = 0;
    numberOfSections = 0;
    resourceSection = -1;
    if (bytes == nullptr || !ParseHeaders())
        return false;

    const uint8_t* directory = DirectoryPointer(kResourceDirectoryIndex);
    if (directory == nullptr)
        return false;
    resourceSection = SectionForDirectory(kResourceDirectoryIndex);
    PeSection section = Section(resourceSection);
    resourceRva = OptionalField(kOptDataDirectories + 8 * kResourceDirectoryIndex);
    resourceOffset = static_cast<uint32_t>(directory - view);
    uint64_t sectionEnd = static_cast<uint64_t>(section.PointerToRawData) + section.SizeOfRawData;
    if (sectionEnd > viewSize)
        sectionEnd = viewSize;
    resourceExtent = static_cast<uint32_t>(sectionEnd - resourceOffset);

    ResBounds bounds = {directory, resourceExtent, resourceExtent / 8};
    root = new (std::nothrow) CResDirectory(nullptr, directory, 0);
    if (root == nullptr || !root->Read(&bounds, 0) || !DataLiesInSection()) {
        ReleaseTree();
        return false;
    }
    storedDataTotal = root->SumRoundedSizes();
    directorySize = root->CountData() > 0 ? root->LowestDataRva() - resourceRva : 0;
    return true;
}

bool CPeImage::DataLiesInSection() const
{
    CResData** items;
    uint32_t count;
    if (!root->CollectData(&items, &count))
        return false;
    bool inside = true;
    for (uint32_t i = 0; i < count && inside; ++i) {
        const ResDataRecord& record = items[i]->onDisk;
        inside = record.OffsetToData >= resourceRva &&
                 static_cast<uint64_t>(record.OffsetToData - resourceRva) + record.Size <= resourceExtent;
    }
    free(items);
    return inside;
}

PeSection CPeImage::Section(int index) const
{
    PeSection section;
    section.headerOffset = SectionTableOffset() + kSectionHeaderSize * static_cast<uint32_t>(index);
    const uint8_t* header = view + section.headerOffset;
    section.VirtualSize = Read32(header + kSecVirtualSize);
    section.VirtualAddress = Read32(header + kSecVirtualAddress);
    section.SizeOfRawData = Read32(header + kSecSizeOfRawData);
    section.PointerToRawData = Read32(header + kSecPointerToRawData);
    return section;
}

int CPeImage::SectionForDirectory(uint32_t index) const
{
    if (numberOfSections == 0 || index >= OptionalField(kOptNumberOfRvaAndSizes) || index >= 16)
        return -1;
    uint32_t rva = OptionalField(kOptDataDirectories + 8 * index);
    for (uint32_t i = 0; i < numberOfSections; ++i) {
        PeSection section = Section(static_cast<int>(i));
        if (section.VirtualAddress <= rva &&
            rva < static_cast<uint64_t>(section.VirtualAddress) + section.SizeOfRawData)
            return static_cast<int>(i);
    }
    return -1;
}

const uint8_t* CPeImage::DirectoryPointer(uint32_t index) const
{
    int found = SectionForDirectory(index);
    if (found < 0)
        return nullptr;
    PeSection section = Section(found);
    uint32_t rva = OptionalField(kOptDataDirectories + 8 * index);
    uint64_t position = static_cast<uint64_t>(section.PointerToRawData) + (rva - section.VirtualAddress);
    if (position >= viewSize)
        return nullptr;
    return view + position;
}

const uint8_t* CPeImage::FindResourceData(const char* type, const char* name, uint32_t* size) const
{
    if (root == nullptr)
        return nullptr;
    CResData* data = root->FindData(type, name);
    if (data == nullptr)
        return nullptr;
    if (size != nullptr)
        *size = data->onDisk.Size;
    return view + resourceOffset + (data->onDisk.OffsetToData - resourceRva);
}

void CPeImage::ReplaceResourceData(const char* type, const char* name, const uint8_t* bytes, uint32_t length)
{
    if (root == nullptr)
        return;
    uint32_t rva;
    int32_t growth;
    if (root->Replace(type, name, bytes, length, &rva, &growth))
        dataGrowth += growth;
}

const char* CPeImage::PlacementFault() const
{
    PeSection resources = Section(resourceSection);
    if (resourceRva != resources.VirtualAddress || resourceOffset != resources.PointerToRawData)
        return "the resource section does not start with the resource directory";
    if (static_cast<uint64_t>(SectionTableOffset()) + kSectionHeaderSize * numberOfSections > resourceOffset)
        return "the resource section overlaps the headers";
    for (uint32_t i = 0; i < numberOfSections; ++i) {
        if (static_cast<int>(i) == resourceSection)
            continue;
        PeSection other = Section(static_cast<int>(i));
        if (other.VirtualAddress >= resources.VirtualAddress ||
            (other.SizeOfRawData > 0 &&
             static_cast<uint64_t>(other.PointerToRawData) + other.SizeOfRawData > resourceOffset))
            return "the resource section is not the last section of the file and the image";
    }
    // The writer writes nothing after the resource data; nothing may be there.
    if (static_cast<uint64_t>(resources.PointerToRawData) + resources.SizeOfRawData != viewSize)
        return "the file does not end with the resource section";
    if (!IsPowerOfTwo(OptionalField(kOptFileAlignment)) || !IsPowerOfTwo(OptionalField(kOptSectionAlignment)))
        return "the alignments are not powers of two";
    return nullptr;
}

bool CPeImage::HasWriterLayout() const
{
    if (root == nullptr || PlacementFault() != nullptr)
        return false;
    uint32_t tableBytes;
    if (!TablesInLevelOrder(&tableBytes) || tableBytes > directorySize || !NamesAfter(tableBytes))
        return false;
    return DataPacked();
}

bool CPeImage::TablesInLevelOrder(uint32_t* tableBytes) const
{
    // The writer puts the tables back level by level at these offsets while
    // the entries keep the offsets they were read with; they must agree.
    uint32_t at = 0;
    bool inOrder = ForEachTableInLevelOrder(root, [&](const CResDirectory* table) {
                       if (table->offset != at)
                           return false;
                       at += table->TableSize();
                       return true;
                   }) &&
                   ForEachLanguageEntry(root, [&](const CResEntry* language) {
                       if (language->TargetOffset() != at)
                           return false;
                       at += 16;
                       return true;
                   });
    *tableBytes = at;
    return inOrder;
}

bool CPeImage::NamesAfter(uint32_t tableBytes) const
{
    // The writer copies the name strings with the bytes between the data
    // entries and the first data item.
    const uint8_t* start = root->sectionStart;
    auto fits = [&](const CResEntry* entry) {
        if (!entry->IsNamed())
            return true;
        uint32_t at = entry->NameOffset();
        return at >= tableBytes && at + 2 + 2 * static_cast<uint32_t>(Read16(start + at)) <= directorySize;
    };
    auto namesFit = [&](const CResDirectory* table) {
        for (const CResEntry* entry = table->entries; entry != nullptr; entry = entry->next)
            if (!fits(entry))
                return false;
        return true;
    };
    return ForEachTableInLevelOrder(root, namesFit);
}

bool CPeImage::DataPacked() const
{
    CResData** items;
    uint32_t count;
    if (!root->CollectData(&items, &count))
        return false;
    qsort(items, count, sizeof *items, CompareOnDiskPosition);
    uint64_t expected = static_cast<uint64_t>(resourceRva) + directorySize;
    bool packed = true;
    for (uint32_t i = 0; i < count && packed; ++i) {
        packed = items[i]->onDisk.OffsetToData == expected;
        expected += RoundedSize(items[i]->onDisk.Size);
    }
    free(items);
    // Each item is copied with its padding, which must lie in the section.
    return packed && expected - resourceRva <= Section(resourceSection).SizeOfRawData;
}
