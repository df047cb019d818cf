#include "personalise/res_layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "personalise_fixtures.h"

namespace {

uint32_t NameBytes(const CResEntry* entry)
{
    return entry->IsNamed() ? 2 + 2 * Read16(entry->sectionStart + entry->NameOffset()) : 0;
}

// festling.exe with its resource section as the linker writes it: tables
// depth first (each type's table followed by its name tables), the name
// strings before the data entries, and zeros in every padding.
Bytes LinkerStyle(const Bytes& exe)
{
    CPeImage image;
    image.Parse(exe.data(), static_cast<uint32_t>(exe.size()));
    const CResDirectory* root = image.root;
    std::map<const void*, uint32_t> at;
    uint32_t next = root->TableSize();
    for (const CResEntry* t = root->entries; t != nullptr; t = t->next) {
        at[t->subdirectory] = next;
        next += t->subdirectory->TableSize();
        for (const CResEntry* n = t->subdirectory->entries; n != nullptr; n = n->next) {
            at[n->subdirectory] = next;
            next += n->subdirectory->TableSize();
        }
    }
    std::map<const CResEntry*, uint32_t> nameAt, recordAt;
    auto placeName = [&](const CResEntry* e) {
        if (e->IsNamed()) {
            nameAt[e] = next;
            next += NameBytes(e);
        }
    };
    for (const CResEntry* t = root->entries; t != nullptr; t = t->next) {
        placeName(t);
        for (const CResEntry* n = t->subdirectory->entries; n != nullptr; n = n->next)
            placeName(n);
    }
    for (const CResEntry* t = root->entries; t != nullptr; t = t->next)
        for (const CResEntry* n = t->subdirectory->entries; n != nullptr; n = n->next)
            for (const CResEntry* l = n->subdirectory->entries; l != nullptr; l = l->next) {
                recordAt[l] = next;
                next += 16;
            }
    uint32_t directorySize = RoundedSize(next);

    PeSection section = image.Section(image.ResourceSection());
    Bytes out(exe.begin(), exe.begin() + section.PointerToRawData);
    out.resize(exe.size(), 0);
    uint8_t* base = out.data() + section.PointerToRawData;
    const uint8_t* oldBase = exe.data() + section.PointerToRawData;
    uint32_t dataStart = image.ResourceRva() + image.directorySize;
    auto putTable = [&](const CResDirectory* table, uint32_t offset) {
        PutTableHeader(table->header, base + offset);
        uint32_t entry = offset + 16;
        for (const CResEntry* e = table->entries; e != nullptr; e = e->next, entry += 8) {
            Write32(base + entry, e->IsNamed() ? kResHighBit | nameAt[e] : e->name);
            if (e->subdirectory != nullptr) {
                Write32(base + entry + 4, kResHighBit | at[e->subdirectory]);
            } else {
                Write32(base + entry + 4, recordAt[e]);
                ResDataRecord record = e->data->onDisk;
                record.OffsetToData = record.OffsetToData - dataStart + image.ResourceRva() + directorySize;
                PutDataRecord(record, base + recordAt[e]);
                memcpy(base + (record.OffsetToData - image.ResourceRva()),
                       oldBase + (e->data->onDisk.OffsetToData - image.ResourceRva()), record.Size);
            }
            if (e->IsNamed())
                memcpy(base + nameAt[e], e->sectionStart + e->NameOffset(), NameBytes(e));
        }
    };
    putTable(root, 0);
    for (const CResEntry* t = root->entries; t != nullptr; t = t->next) {
        putTable(t->subdirectory, at[t->subdirectory]);
        for (const CResEntry* n = t->subdirectory->entries; n != nullptr; n = n->next)
            putTable(n->subdirectory, at[n->subdirectory]);
    }
    return out;
}

std::string Data(const CPeImage& image, const char* type, const char* name)
{
    uint32_t size = 0;
    const uint8_t* data = image.FindResourceData(type, name, &size);
    return data ? std::string(reinterpret_cast<const char*>(data), size) : "<none>";
}

} // namespace

TEST(ResLayout, LinkerOrderBecomesTheProgramsLayoutByteForByte)
{
    Bytes exe = FestlingExe();
    ASSERT_FALSE(exe.empty());
    Bytes linked = LinkerStyle(exe);
    ASSERT_EQ(linked.size(), exe.size());
    ASSERT_FALSE(linked == exe);

    // The reader takes any order; the writer refuses what it cannot rebuild.
    CPeImage before;
    ASSERT_TRUE(before.Parse(linked.data(), static_cast<uint32_t>(linked.size())));
    EXPECT_FALSE(before.HasWriterLayout());
    CPeImage program;
    ASSERT_TRUE(program.Parse(exe.data(), static_cast<uint32_t>(exe.size())));
    EXPECT_EQ(Data(before, "MSGTEXT", IntegerKey(101)), Data(program, "MSGTEXT", IntegerKey(101)));

    uint8_t* output = nullptr;
    uint32_t size = 0;
    const char* error = "";
    ASSERT_TRUE(LayOutResources(linked.data(), static_cast<uint32_t>(linked.size()), &output, &size, &error)) << error;
    Bytes laidOut(output, output + size);
    free(output);
    EXPECT_TRUE(laidOut == exe);
}

TEST(ResLayout, LayingOutTheProgramAgainChangesNothing)
{
    Bytes exe = FestlingExe();
    uint8_t* output = nullptr;
    uint32_t size = 0;
    const char* error = "";
    ASSERT_TRUE(LayOutResources(exe.data(), static_cast<uint32_t>(exe.size()), &output, &size, &error)) << error;
    Bytes again(output, output + size);
    free(output);
    EXPECT_TRUE(again == exe);
}

TEST(ResLayout, RefusesFilesWhoseResourcesCannotBeLaidOut)
{
    Bytes exe = FestlingExe();
    CPeImage image;
    ASSERT_TRUE(image.Parse(exe.data(), static_cast<uint32_t>(exe.size())));
    Bytes trailing = exe;
    trailing.push_back(0);
    Bytes notLast = exe;
    // Another section placed after the resources in the image.
    PeSection first = image.Section(0);
    Write32(notLast.data() + first.headerOffset + kSecVirtualAddress, 0x7FF00000);
    Bytes truncated(exe.begin(), exe.begin() + image.ResourceOffset() + 24);
    struct Case {
        const char* what;
        Bytes bytes;
    } cases[] = {
        {"bytes after the resource section", trailing},
        {"resource section not last in the image", notLast},
        {"cut in the directory", truncated},
        {"not an executable", Bytes(100, 'x')},
    };
    for (const Case& c : cases) {
        CGuardedBytes guarded(c.bytes);
        uint8_t* output = reinterpret_cast<uint8_t*>(1);
        uint32_t size = 1;
        const char* error = nullptr;
        EXPECT_FALSE(LayOutResources(guarded.data(), guarded.size(), &output, &size, &error)) << c.what;
        EXPECT_EQ(output, nullptr) << c.what;
        EXPECT_NE(error, nullptr) << c.what;
    }
}
