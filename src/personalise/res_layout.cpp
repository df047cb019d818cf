#include "personalise/res_layout.h"

#include <stdlib.h>
#include <string.h>

#include "personalise/exe_writer.h"
#include "personalise/le_bytes.h"
#include "personalise/pe_image.h"

namespace {

// Compares what the writer produces with the expected bytes, as it goes.
class CCompareSink : public CByteSink {
public:
    CCompareSink(const uint8_t* expected, uint32_t size) : m_expected(expected), m_size(size), m_at(0), m_same(true) {}
    bool Put(const void* bytes, uint32_t count) override
    {
        if (!m_same || count > m_size - m_at || memcmp(m_expected + m_at, bytes, count) != 0)
            m_same = false;
        else
            m_at += count;
        return m_same;
    }
    bool Complete() const { return m_same && m_at == m_size; }

private:
    const uint8_t* m_expected;
    uint32_t m_size;
    uint32_t m_at;
    bool m_same;
};

struct SortItem {
    CResData* data;
    uint32_t treeIndex;
};

int CompareSortItems(const void* a, const void* b)
{
    const SortItem* x = static_cast<const SortItem*>(a);
    const SortItem* y = static_cast<const SortItem*>(b);
    if (x->data->onDisk.OffsetToData != y->data->onDisk.OffsetToData)
        return x->data->onDisk.OffsetToData < y->data->onDisk.OffsetToData ? -1 : 1;
    return x->treeIndex < y->treeIndex ? -1 : (x->treeIndex > y->treeIndex ? 1 : 0);
}

uint32_t NameBytes(const CResEntry* entry)
{
    if (!entry->IsNamed())
        return 0;
    return 2 + 2 * static_cast<uint32_t>(Read16(entry->sectionStart + entry->NameOffset()));
}

// The directory in level order: the root table, the type tables, the name
// tables, then the data entries, then the name strings, padded to 8 bytes.
class CDirectoryLayout {
public:
    explicit CDirectoryLayout(const CResDirectory* root) : m_root(root), m_nextTable(0)
    {
        uint32_t nameBytes = NameBytesOf(root);
        m_level1 = root->TableSize();
        m_level2 = m_level1;
        for (const CResEntry* type = root->entries; type != nullptr; type = type->next) {
            m_level2 += type->subdirectory->TableSize();
            nameBytes += NameBytesOf(type->subdirectory);
            for (const CResEntry* name = type->subdirectory->entries; name != nullptr; name = name->next) {
                m_records += name->subdirectory->TableSize();
                nameBytes += NameBytesOf(name->subdirectory);
                m_nameStart += 16 * static_cast<uint32_t>(name->subdirectory->EntryCount());
            }
        }
        m_records += m_level2;
        m_nameStart += m_records;
        m_size = RoundedSize(m_nameStart + nameBytes);
    }

    uint32_t Size() const { return m_size; }

    // Writes into section, which is cleared and at least Size() long. The
    // data entries take current.OffsetToData, which the caller has set to
    // the new positions.
    void Write(uint8_t* section)
    {
        m_section = section;
        m_nextTable = 0;
        m_nextName = m_nameStart;
        // The entries of each level point at the tables of the next, which
        // follow all tables of their own level in the same order.
        uint32_t next = m_level1;
        auto nextTable = [&](const CResEntry* entry) {
            uint32_t at = next;
            next += entry->subdirectory->TableSize();
            return kResHighBit | at;
        };
        PutTable(m_root, nextTable);
        next = m_level2;
        for (const CResEntry* type = m_root->entries; type != nullptr; type = type->next)
            PutTable(type->subdirectory, nextTable);
        next = m_records;
        for (const CResEntry* type = m_root->entries; type != nullptr; type = type->next)
            for (const CResEntry* name = type->subdirectory->entries; name != nullptr; name = name->next)
                PutTable(name->subdirectory, [&](const CResEntry* entry) {
                    PutDataRecord(entry->data->current, m_section + next);
                    uint32_t at = next;
                    next += 16;
                    return at;
                });
    }

private:
    static uint32_t NameBytesOf(const CResDirectory* table)
    {
        uint32_t bytes = 0;
        for (const CResEntry* entry = table->entries; entry != nullptr; entry = entry->next)
            bytes += NameBytes(entry);
        return bytes;
    }

    template <typename Target>
    void PutTable(const CResDirectory* table, Target target)
    {
        uint8_t* at = m_section + m_nextTable;
        PutTableHeader(table->header, at);
        at += 16;
        for (const CResEntry* entry = table->entries; entry != nullptr; entry = entry->next, at += 8) {
            uint32_t name = entry->name;
            if (entry->IsNamed()) {
                uint32_t bytes = NameBytes(entry);
                memcpy(m_section + m_nextName, entry->sectionStart + entry->NameOffset(), bytes);
                name = kResHighBit | m_nextName;
                m_nextName += bytes;
            }
            Write32(at, name);
            Write32(at + 4, target(entry));
        }
        m_nextTable += table->TableSize();
    }

    const CResDirectory* m_root;
    uint32_t m_level1 = 0;      // where the type tables begin
    uint32_t m_level2 = 0;      // where the name tables begin
    uint32_t m_records = 0;     // where the data entries begin
    uint32_t m_nameStart = 0;   // where the name strings begin
    uint32_t m_size = 0;
    uint8_t* m_section = nullptr;
    uint32_t m_nextTable;
    uint32_t m_nextName = 0;
};

// The image checksum: 16-bit words summed with their carries folded back,
// the checksum field itself counted as zero, plus the file length.
uint32_t ImageChecksum(const uint8_t* bytes, uint32_t size, uint32_t checksumAt)
{
    uint32_t sum = 0;
    for (uint32_t at = 0; at < size; at += 2) {
        uint32_t word = bytes[at] | (at + 1 < size ? bytes[at + 1] << 8 : 0);
        if (at == checksumAt || at == checksumAt + 2)
            word = 0;
        sum += word;
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    return ((sum & 0xFFFF) + (sum >> 16)) + size;
}

} // namespace

bool LayOutResources(const uint8_t* input, uint32_t size, uint8_t** output, uint32_t* outputSize,
                     const char** error)
{
    *output = nullptr;
    *outputSize = 0;
    CPeImage image;
    if (!image.Parse(input, size)) {
        *error = "not a PE32 file with a sound resource directory";
        return false;
    }
    const char* misplaced = image.PlacementFault();
    if (misplaced != nullptr) {
        *error = misplaced;
        return false;
    }

    CResData** items;
    uint32_t count;
    if (!image.root->CollectData(&items, &count)) {
        *error = "out of memory";
        return false;
    }
    SortItem* order = static_cast<SortItem*>(malloc((count > 0 ? count : 1) * sizeof(SortItem)));
    if (order == nullptr) {
        free(items);
        *error = "out of memory";
        return false;
    }
    for (uint32_t i = 0; i < count; ++i)
        order[i] = SortItem{items[i], i};
    free(items);
    qsort(order, count, sizeof *order, CompareSortItems);

    CDirectoryLayout directory(image.root);
    uint32_t directorySize = directory.Size();
    uint64_t dataTotal = 0;
    for (uint32_t i = 0; i < count; ++i)
        dataTotal += RoundedSize(order[i].data->onDisk.Size);
    uint64_t content = directorySize + dataTotal;
    uint32_t fileAlignment = image.OptionalField(kOptFileAlignment);
    uint32_t sectionAlignment = image.OptionalField(kOptSectionAlignment);
    PeSection resources = image.Section(image.ResourceSection());
    uint64_t total = static_cast<uint64_t>(resources.PointerToRawData) + content + fileAlignment;
    if (total > 0x7FFF0000u) {
        free(order);
        *error = "the file would be too large";
        return false;
    }
    uint32_t rawSize = AlignUp(static_cast<uint32_t>(content), fileAlignment);
    uint32_t newSize = resources.PointerToRawData + rawSize;
    uint8_t* bytes = static_cast<uint8_t*>(calloc(newSize, 1));
    if (bytes == nullptr) {
        free(order);
        *error = "out of memory";
        return false;
    }
    memcpy(bytes, input, resources.PointerToRawData);
    uint8_t* section = bytes + resources.PointerToRawData;

    // The data, packed in the order of their positions after the directory.
    uint32_t at = directorySize;
    for (uint32_t i = 0; i < count; ++i) {
        CResData* data = order[i].data;
        uint32_t dataSize = data->onDisk.Size;
        memcpy(section + at, input + image.ResourceOffset() + (data->onDisk.OffsetToData - image.ResourceRva()),
               dataSize);
        memcpy(section + at + dataSize, kFillPattern, (0u - dataSize) & 7u);
        data->current.OffsetToData = image.ResourceRva() + at;
        at += RoundedSize(dataSize);
    }
    free(order);
    for (uint32_t fill = at; fill < rawSize; fill += kFillPatternSize) {
        uint32_t piece = rawSize - fill < kFillPatternSize ? rawSize - fill : kFillPatternSize;
        memcpy(section + fill, kFillPattern, piece);
    }
    directory.Write(section);

    // Headers that follow from the new section.
    uint8_t* optional = bytes + image.OptionalHeaderOffset();
    uint8_t* sectionHeader = bytes + resources.headerOffset;
    Write32(sectionHeader + kSecVirtualSize, static_cast<uint32_t>(content));
    Write32(sectionHeader + kSecSizeOfRawData, rawSize);
    Write32(optional + kOptDataDirectories + 8 * kResourceDirectoryIndex + 4, static_cast<uint32_t>(content));
    Write32(optional + kOptSizeOfImage,
            resources.VirtualAddress + AlignUp(static_cast<uint32_t>(content), sectionAlignment));
    Write32(optional + kOptSizeOfInitializedData,
            Read32(optional + kOptSizeOfInitializedData) + rawSize - resources.SizeOfRawData);
    // A checksum the linker set stays true; none stays none.
    if (Read32(optional + kOptCheckSum) != 0)
        Write32(optional + kOptCheckSum,
                ImageChecksum(bytes, newSize, image.OptionalHeaderOffset() + kOptCheckSum));

    // The writer must reproduce the result byte for byte.
    CPeImage check;
    CCompareSink compare(bytes, newSize);
    if (!check.Parse(bytes, newSize) || !check.HasWriterLayout() || !WriteExecutable(&check, &compare) ||
        !compare.Complete()) {
        free(bytes);
        *error = "the new layout does not come back unchanged through the writer";
        return false;
    }
    *output = bytes;
    *outputSize = newSize;
    return true;
}
