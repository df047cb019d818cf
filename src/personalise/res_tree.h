// The resource directory of an executable as a tree of objects over the
// mapped bytes: tables (CResDirectory), their entries (CResEntry) and the
// data entries (CResData). Works on a byte view only, so the build tool that
// lays out festling.exe shares it.
#pragma once
#include <stdint.h>

// A type or name key: text, or an integer ID in a pointer whose upper bits
// are zero (the platform's integer-resource convention).
inline bool IsIntegerKey(const char* key)
{
    return (reinterpret_cast<uintptr_t>(key) >> 16) == 0;
}

inline const char* IntegerKey(uint16_t id)
{
    return reinterpret_cast<const char*>(static_cast<uintptr_t>(id));
}

enum : uint32_t { kResHighBit = 0x80000000u };

// The 16-byte header of one table.
struct ResTableHeader {
    uint32_t Characteristics;
    uint32_t TimeDateStamp;
    uint16_t MajorVersion;
    uint16_t MinorVersion;
    uint16_t NumberOfNamedEntries;
    uint16_t NumberOfIdEntries;
};

// The 16-byte data entry; OffsetToData is a relative virtual address.
struct ResDataRecord {
    uint32_t OffsetToData;
    uint32_t Size;
    uint32_t CodePage;
    uint32_t Reserved;
};

void ReadDataRecord(const uint8_t* bytes, ResDataRecord* record);
void PutDataRecord(const ResDataRecord& record, uint8_t* bytes);
void PutTableHeader(const ResTableHeader& header, uint8_t* bytes);

// What a damaged directory could make the reader walk into: every offset is
// checked against the directory's extent, and the number of entries is held
// to what that extent can hold, so shared or looping tables cannot blow up.
struct ResBounds {
    const uint8_t* start;   // the first byte of the resource directory
    uint32_t size;          // bytes readable from start
    uint32_t entryBudget;   // entries that may still be built
};

class CResDirectory;

class CResData {
public:
    CResData();
    ~CResData();

    ResDataRecord onDisk;
    ResDataRecord current;
    uint8_t* replacement;   // new data from the C heap, or null
};

class CResEntry {
public:
    CResEntry(CResDirectory* parent, const uint8_t* sectionStart, int level);
    ~CResEntry();

    // Reads the entry's 8 bytes at the given offset and what they point to.
    // Level 0 and 1 entries must lead to tables, level 2 entries to data.
    bool Read(ResBounds* bounds, uint32_t offset);
    bool IsNamed() const { return (name & kResHighBit) != 0; }
    uint32_t TargetOffset() const { return offsetToData & ~kResHighBit; }
    uint32_t NameOffset() const { return name & ~kResHighBit; }
    bool KeyMatches(const char* key) const;
    CResData* FindData(const char* type, const char* name) const;

    uint32_t name;
    uint32_t offsetToData;
    CResDirectory* parent;
    CResDirectory* subdirectory;
    const uint8_t* sectionStart;
    CResEntry* next;
    CResData* data;
    int level;
    char* nameText;
};

class CResDirectory {
public:
    CResDirectory(CResEntry* parentEntry, const uint8_t* sectionStart, int level);
    ~CResDirectory();

    // Reads the table at the given offset from the section start.
    bool Read(ResBounds* bounds, uint32_t offset);

    CResData* FindData(const char* type, const char* name) const;
    bool Replace(const char* type, const char* name, const uint8_t* bytes, uint32_t length, uint32_t* rva,
                 int32_t* growth);
    void ShiftData(uint32_t rva, int32_t growth);
    uint32_t SumRoundedSizes() const;
    uint32_t LowestDataRva() const;
    // Every data entry in tree order; the array is from the C heap. Returns
    // false when it cannot be allocated.
    bool CollectData(CResData*** items, uint32_t* count) const;

    int EntryCount() const { return header.NumberOfNamedEntries + header.NumberOfIdEntries; }
    uint32_t TableSize() const { return 16 + 8 * static_cast<uint32_t>(EntryCount()); }
    uint32_t CountData() const;

    ResTableHeader header;
    const uint8_t* sectionStart;
    CResEntry* entries;
    int level;
    uint32_t offset;        // where the table was read, from the section start

private:
    void Append(CResEntry* entry);
    void AddData(CResData** items, uint32_t* count) const;
    bool LowerDataRva(uint32_t* lowest) const;
};

// The tables level by level, as the writer lays them out: the root, the
// type tables, then the name tables. Stops at the first visit that returns
// false and returns false then. Every entry of the two upper levels leads to
// a table (CResEntry::Read refuses anything else).
template <typename Visit>
bool ForEachTableInLevelOrder(const CResDirectory* root, Visit visit)
{
    if (!visit(root))
        return false;
    for (const CResEntry* type = root->entries; type != nullptr; type = type->next)
        if (!visit(type->subdirectory))
            return false;
    for (const CResEntry* type = root->entries; type != nullptr; type = type->next)
        for (const CResEntry* name = type->subdirectory->entries; name != nullptr; name = name->next)
            if (!visit(name->subdirectory))
                return false;
    return true;
}

// The language entries, which lead to the data entries, in the same order.
template <typename Visit>
bool ForEachLanguageEntry(const CResDirectory* root, Visit visit)
{
    for (const CResEntry* type = root->entries; type != nullptr; type = type->next)
        for (const CResEntry* name = type->subdirectory->entries; name != nullptr; name = name->next)
            for (const CResEntry* language = name->subdirectory->entries; language != nullptr;
                 language = language->next)
                if (!visit(language))
                    return false;
    return true;
}

// Converts a name string of count UTF-16 units into at most count bytes of
// ANSI text; returns the number of bytes written.
int ResNameToAnsi(const uint8_t* units, uint32_t count, char* text);
