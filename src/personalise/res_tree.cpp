#include "personalise/res_tree.h"

#include <stdlib.h>
#include <string.h>

#include <new>

#include "personalise/le_bytes.h"

namespace {

// True when count bytes at offset lie inside the directory's extent.
bool Fits(const ResBounds* bounds, uint32_t offset, uint32_t count)
{
    return offset <= bounds->size && count <= bounds->size - offset;
}

} // namespace

void ReadDataRecord(const uint8_t* bytes, ResDataRecord* record)
{
    record->OffsetToData = Read32(bytes);
    record->Size = Read32(bytes + 4);
    record->CodePage = Read32(bytes + 8);
    record->Reserved = Read32(bytes + 12);
}

void PutDataRecord(const ResDataRecord& record, uint8_t* bytes)
{
    Write32(bytes, record.OffsetToData);
    Write32(bytes + 4, record.Size);
    Write32(bytes + 8, record.CodePage);
    Write32(bytes + 12, record.Reserved);
}

void PutTableHeader(const ResTableHeader& header, uint8_t* bytes)
{
    Write32(bytes, header.Characteristics);
    Write32(bytes + 4, header.TimeDateStamp);
    Write16(bytes + 8, header.MajorVersion);
    Write16(bytes + 10, header.MinorVersion);
    Write16(bytes + 12, header.NumberOfNamedEntries);
    Write16(bytes + 14, header.NumberOfIdEntries);
}

CResData::CResData() : onDisk(), current(), replacement(nullptr) {}

CResData::~CResData()
{
    free(replacement);
}

CResEntry::CResEntry(CResDirectory* parent, const uint8_t* sectionStart, int level)
    : name(0), offsetToData(0), parent(parent), subdirectory(nullptr), sectionStart(sectionStart), next(nullptr),
      data(nullptr), level(level), nameText(nullptr)
{
}

CResEntry::~CResEntry()
{
    delete subdirectory;
    delete data;
    free(nameText);
}

bool CResEntry::Read(ResBounds* bounds, uint32_t offset)
{
    if (!Fits(bounds, offset, 8))
        return false;
    name = Read32(sectionStart + offset);
    offsetToData = Read32(sectionStart + offset + 4);

    if (IsNamed()) {
        uint32_t at = NameOffset();
        if (!Fits(bounds, at, 2))
            return false;
        uint32_t units = Read16(sectionStart + at);
        if (!Fits(bounds, at + 2, 2 * units))
            return false;
        // Cleared first: a conversion that stops short leaves no stray bytes.
        nameText = static_cast<char*>(calloc(units + 1, 1));
        if (nameText == nullptr)
            return false;
        int length = ResNameToAnsi(sectionStart + at + 2, units, nameText);
        nameText[length > 0 ? length : 0] = '\0';
    }

    bool leadsToTable = (offsetToData & kResHighBit) != 0;
    // The three levels of type, name and language, and nothing else: the
    // writer rebuilds exactly these.
    if (leadsToTable != (level < 2))
        return false;
    if (leadsToTable) {
        subdirectory = new (std::nothrow) CResDirectory(this, sectionStart, level + 1);
        return subdirectory != nullptr && subdirectory->Read(bounds, TargetOffset());
    }
    if (!Fits(bounds, TargetOffset(), 16))
        return false;
    data = new (std::nothrow) CResData;
    if (data == nullptr)
        return false;
    ReadDataRecord(sectionStart + TargetOffset(), &data->onDisk);
    data->current = data->onDisk;
    return true;
}

bool CResEntry::KeyMatches(const char* key) const
{
    if (IsIntegerKey(key))
        return !IsNamed() && (name & 0xFFFF) == reinterpret_cast<uintptr_t>(key);
    return nameText != nullptr && strcmp(nameText, key) == 0;
}

CResData* CResEntry::FindData(const char* type, const char* name) const
{
    if (level >= 2) {
        if (data != nullptr)
            return data;
        return subdirectory != nullptr ? subdirectory->FindData(type, name) : nullptr;
    }
    if (!KeyMatches(level == 0 ? type : name))
        return nullptr;
    return subdirectory != nullptr ? subdirectory->FindData(type, name) : nullptr;
}

CResDirectory::CResDirectory(CResEntry* parentEntry, const uint8_t* sectionStart, int level)
    : header(), sectionStart(sectionStart), entries(nullptr), level(level), offset(0)
{
    if (parentEntry != nullptr)
        parentEntry->subdirectory = this;
}

CResDirectory::~CResDirectory()
{
    while (entries != nullptr) {
        CResEntry* next = entries->next;
        delete entries;
        entries = next;
    }
}

bool CResDirectory::Read(ResBounds* bounds, uint32_t tableOffset)
{
    offset = tableOffset;
    if (!Fits(bounds, tableOffset, 16))
        return false;
    const uint8_t* table = sectionStart + tableOffset;
    header.Characteristics = Read32(table);
    header.TimeDateStamp = Read32(table + 4);
    header.MajorVersion = Read16(table + 8);
    header.MinorVersion = Read16(table + 10);
    header.NumberOfNamedEntries = Read16(table + 12);
    header.NumberOfIdEntries = Read16(table + 14);
    uint32_t count = static_cast<uint32_t>(EntryCount());
    if (!Fits(bounds, tableOffset + 16, 8 * count) || count > bounds->entryBudget)
        return false;
    bounds->entryBudget -= count;
    for (uint32_t i = 0; i < count; ++i) {
        CResEntry* entry = new (std::nothrow) CResEntry(this, sectionStart, level);
        if (entry == nullptr)
            return false;
        // Listed before reading, so that a failure still frees it with the table.
        Append(entry);
        if (!entry->Read(bounds, tableOffset + 16 + 8 * i))
            return false;
    }
    return true;
}

void CResDirectory::Append(CResEntry* entry)
{
    CResEntry** tail = &entries;
    while (*tail != nullptr)
        tail = &(*tail)->next;
    *tail = entry;
}

CResData* CResDirectory::FindData(const char* type, const char* name) const
{
    for (const CResEntry* entry = entries; entry != nullptr; entry = entry->next) {
        CResData* found = entry->FindData(type, name);
        if (found != nullptr)
            return found;
    }
    return nullptr;
}

bool CResDirectory::Replace(const char* type, const char* name, const uint8_t* bytes, uint32_t length,
                            uint32_t* rva, int32_t* growth)
{
    if (level != 0)
        return false;
    CResData* data = FindData(type, name);
    // Far beyond any resource: the growth must stay a signed 32-bit value.
    if (data == nullptr || length > 0x40000000u)
        return false;
    uint8_t* copy = static_cast<uint8_t*>(malloc(length > 0 ? length : 1));
    if (copy == nullptr)
        return false;
    if (length > 0)
        memcpy(copy, bytes, length);
    uint32_t at = data->current.OffsetToData;
    uint32_t before = RoundedSize(data->current.Size);
    free(data->replacement);
    data->replacement = copy;
    data->current.Size = length;
    int32_t change = static_cast<int32_t>(RoundedSize(length)) - static_cast<int32_t>(before);
    ShiftData(at, change);
    *rva = at;
    *growth = change;
    return true;
}

void CResDirectory::ShiftData(uint32_t rva, int32_t growth)
{
    for (CResEntry* entry = entries; entry != nullptr; entry = entry->next) {
        if (entry->data != nullptr && entry->data->current.OffsetToData > rva)
            entry->data->current.OffsetToData += static_cast<uint32_t>(growth);
        if (entry->subdirectory != nullptr)
            entry->subdirectory->ShiftData(rva, growth);
    }
}

uint32_t CResDirectory::SumRoundedSizes() const
{
    uint32_t total = 0;
    for (const CResEntry* entry = entries; entry != nullptr; entry = entry->next) {
        if (entry->data != nullptr)
            total += RoundedSize(entry->data->current.Size);
        if (entry->subdirectory != nullptr)
            total += entry->subdirectory->SumRoundedSizes();
    }
    return total;
}

uint32_t CResDirectory::LowestDataRva() const
{
    uint32_t lowest = 0xFFFFFFFFu;
    return LowerDataRva(&lowest) ? lowest : 0;
}

bool CResDirectory::LowerDataRva(uint32_t* lowest) const
{
    bool any = false;
    for (const CResEntry* entry = entries; entry != nullptr; entry = entry->next) {
        if (entry->data != nullptr) {
            any = true;
            if (entry->data->current.OffsetToData < *lowest)
                *lowest = entry->data->current.OffsetToData;
        }
        if (entry->subdirectory != nullptr && entry->subdirectory->LowerDataRva(lowest))
            any = true;
    }
    return any;
}

uint32_t CResDirectory::CountData() const
{
    uint32_t count = 0;
    for (const CResEntry* entry = entries; entry != nullptr; entry = entry->next) {
        if (entry->data != nullptr)
            ++count;
        if (entry->subdirectory != nullptr)
            count += entry->subdirectory->CountData();
    }
    return count;
}

void CResDirectory::AddData(CResData** items, uint32_t* count) const
{
    for (const CResEntry* entry = entries; entry != nullptr; entry = entry->next) {
        if (entry->data != nullptr)
            items[(*count)++] = entry->data;
        if (entry->subdirectory != nullptr)
            entry->subdirectory->AddData(items, count);
    }
}

bool CResDirectory::CollectData(CResData*** items, uint32_t* count) const
{
    // Counted first, so the array is allocated once.
    uint32_t total = CountData();
    *items = static_cast<CResData**>(malloc((total > 0 ? total : 1) * sizeof(CResData*)));
    *count = 0;
    if (*items == nullptr)
        return false;
    AddData(*items, count);
    return true;
}
