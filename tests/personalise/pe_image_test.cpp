#include "personalise/pe_image.h"

#include <gtest/gtest.h>

#include <functional>

#include "personalise/exe_image.h"
#include "personalise_fixtures.h"

namespace {

std::string SourceFile(const char* relative)
{
    Bytes bytes = ReadBytes(std::string(FESTLING_SOURCE_DIR) + "/" + relative);
    return std::string(bytes.begin(), bytes.end());
}

std::string Found(const CPeImage& image, const char* type, const char* name)
{
    uint32_t size = 0;
    const uint8_t* data = image.FindResourceData(type, name, &size);
    return data ? std::string(reinterpret_cast<const char*>(data), size) : "<none>";
}

} // namespace

TEST(PeImage, LooksUpResourcesByTextAndIntegerKeys)
{
    Bytes exe = FestlingExe();
    CPeImage image;
    ASSERT_TRUE(image.Parse(exe.data(), static_cast<uint32_t>(exe.size())));
    std::string message = SourceFile("resources/generated/msgtext.bin");
    ASSERT_EQ(message.size(), 42u);

    struct Case {
        const char* type;
        const char* name;
        std::string expected;
    } cases[] = {
        {"MSGTEXT", IntegerKey(101), message},
        {"CONFIG", IntegerKey(1200), SourceFile("resources/generated/config.bin")},
        // Text compares byte for byte, case included.
        {"msgtext", IntegerKey(101), "<none>"},
        {"MSGTEX", IntegerKey(101), "<none>"},
        // A text key never matches an ID entry, whatever its digits.
        {"MSGTEXT", "101", "<none>"},
        {"5", IntegerKey(109), "<none>"},
        {"#5", IntegerKey(109), "<none>"},
        {IntegerKey(101), IntegerKey(101), "<none>"},
        {"MSGTEXT", IntegerKey(102), "<none>"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Found(image, c.type, c.name), c.expected)
            << (IsIntegerKey(c.type) ? "#" : c.type) << " " << reinterpret_cast<uintptr_t>(c.name);
}

TEST(PeImage, IntegerKeyNeverMatchesANamedEntry)
{
    Bytes exe = FestlingExe();
    CPeImage image;
    ASSERT_TRUE(image.Parse(exe.data(), static_cast<uint32_t>(exe.size())));
    const CResData* message = image.root->FindData("MSGTEXT", IntegerKey(101));
    ASSERT_NE(message, nullptr);
    int named = 0;
    for (const CResEntry* type = image.root->entries; type != nullptr; type = type->next) {
        if (!type->IsNamed())
            continue;
        ++named;
        // The low 16 bits of a named entry hold its string's offset, not an ID.
        const char* lookalike = IntegerKey(type->name & 0xFFFF);
        for (const CResEntry* name = type->subdirectory->entries; name != nullptr; name = name->next) {
            const char* nameKey = name->IsNamed() ? name->nameText : IntegerKey(name->name & 0xFFFF);
            EXPECT_NE(image.root->FindData(lookalike, nameKey), image.root->FindData(type->nameText, nameKey))
                << type->nameText;
        }
    }
    EXPECT_GE(named, 2);
}

TEST(PeImage, EveryResourceReadsAsThePlatformLoadsIt)
{
    // The platform's own loader reads the same file as a data module.
    Bytes exe = FestlingExe();
    CPeImage image;
    ASSERT_TRUE(image.Parse(exe.data(), static_cast<uint32_t>(exe.size())));
    HMODULE module = LoadLibraryExA(FestlingExePath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr);
    int compared = 0;
    for (const CResEntry* t = image.root->entries; t != nullptr; t = t->next)
        for (const CResEntry* n = t->subdirectory->entries; n != nullptr; n = n->next) {
            const char* type = t->IsNamed() ? t->nameText : IntegerKey(t->name & 0xFFFF);
            const char* name = n->IsNamed() ? n->nameText : IntegerKey(n->name & 0xFFFF);
            HRSRC info = FindResourceA(module, name, type);
            ASSERT_NE(info, nullptr) << compared;
            std::string loaded(static_cast<const char*>(LockResource(LoadResource(module, info))),
                               SizeofResource(module, info));
            EXPECT_EQ(Found(image, type, name), loaded) << compared;
            ++compared;
        }
    FreeLibrary(module);
    EXPECT_GT(compared, 5);
}

TEST(PeImage, NameStringsBecomeAnsiTextOfTheirLength)
{
    const uint8_t units[] = {'F', 0, 'I', 0, 'G', 0, 0xE9, 0};
    char text[5];
    memset(text, 'x', sizeof text);
    int length = ResNameToAnsi(units, 4, text);
    EXPECT_LE(length, 4);
    EXPECT_EQ(std::string(text, 3), "FIG");
    EXPECT_EQ(text[4], 'x') << "wrote past the units' count";
}

TEST(ExeImage, OpensTheProgramAndRefusesOtherFiles)
{
    CExeImage image;
    ASSERT_TRUE(image.Open(FestlingExePath().c_str()));
    EXPECT_EQ(Found(image, "MSGTEXT", IntegerKey(101)).size(), 42u);

    std::string folder = MakeScratchFolder("exeimage");
    Bytes exe = FestlingExe();
    struct Case {
        const char* what;
        Bytes bytes;
    } cases[] = {
        {"empty", Bytes()},
        {"text", Bytes{'h', 'e', 'l', 'l', 'o'}},
        {"cut in the resource directory", Bytes(exe.begin(), exe.begin() + image.ResourceOffset() + 40)},
        {"one byte short", Bytes(exe.begin(), exe.end() - 1)},
        {"with bytes after the resources", [&] { Bytes b = exe; b.push_back(0); return b; }()},
    };
    for (const Case& c : cases) {
        std::string path = folder + "damaged.exe";
        ASSERT_TRUE(WriteBytes(path, c.bytes));
        CExeImage damaged;
        EXPECT_FALSE(damaged.Open(path.c_str())) << c.what;
        EXPECT_EQ(damaged.FindResourceData("MSGTEXT", IntegerKey(101), nullptr), nullptr) << c.what;
    }
    CExeImage missing;
    EXPECT_FALSE(missing.Open((folder + "missing.exe").c_str()));
    RemoveFolder(folder);
}

// Damaged copies of festling.exe, each read from memory that ends where an
// inaccessible page begins: none may be accepted for writing, and none may
// make the reader touch a byte past its end.
TEST(PeImage, DamagedFilesAreRefusedWithoutReadingOutOfBounds)
{
    Bytes exe = FestlingExe();
    CPeImage original;
    ASSERT_TRUE(original.Parse(exe.data(), static_cast<uint32_t>(exe.size())));
    uint32_t nt = Read32(exe.data() + 60);
    uint32_t directory = original.ResourceOffset();
    const CResEntry* firstType = original.root->entries;
    const CResDirectory* names = firstType->subdirectory;
    // The language entry of the data placed first, which other data follows.
    const CResEntry* firstLanguage = nullptr;
    const CResDirectory* firstLanguageTable = nullptr;
    for (const CResEntry* t = original.root->entries; t != nullptr; t = t->next)
        for (const CResEntry* n = t->subdirectory->entries; n != nullptr; n = n->next)
            for (const CResEntry* l = n->subdirectory->entries; l != nullptr; l = l->next)
                if (firstLanguage == nullptr ||
                    l->data->onDisk.OffsetToData < firstLanguage->data->onDisk.OffsetToData) {
                    firstLanguage = l;
                    firstLanguageTable = n->subdirectory;
                }
    const CResEntry* namedType = nullptr;
    for (const CResEntry* t = original.root->entries; t != nullptr; t = t->next)
        if (t->IsNamed() && namedType == nullptr)
            namedType = t;
    ASSERT_NE(namedType, nullptr);
    uint32_t firstTypeEntry = directory + 16;
    uint32_t namedTypeEntry = directory + 16 + 8 * [&] {
        uint32_t i = 0;
        for (const CResEntry* t = original.root->entries; t != namedType; t = t->next)
            ++i;
        return i;
    }();
    uint32_t languageEntry = directory + firstLanguageTable->offset + 16;
    for (const CResEntry* l = firstLanguageTable->entries; l != firstLanguage; l = l->next)
        languageEntry += 8;
    uint32_t dataRecord = directory + firstLanguage->TargetOffset();
    uint32_t section = original.Section(original.ResourceSection()).headerOffset;
    uint32_t optional = original.OptionalHeaderOffset();

    auto set32 = [](uint32_t at, uint32_t value) {
        return [=](Bytes& b) { Write32(b.data() + at, value); };
    };
    auto set16 = [](uint32_t at, uint16_t value) {
        return [=](Bytes& b) { Write16(b.data() + at, value); };
    };
    auto cut = [](uint32_t size) {
        return [=](Bytes& b) { b.resize(size); };
    };
    struct Case {
        const char* what;
        std::function<void(Bytes&)> damage;
    } cases[] = {
        {"empty", cut(0)},
        {"cut in the DOS header", cut(50)},
        {"cut in the PE headers", cut(nt + 30)},
        {"cut in the section table", cut(optional + kOptionalHeaderSize + 20)},
        {"cut at the resource directory", cut(directory)},
        {"cut in the root table", cut(directory + 20)},
        {"cut in the data entries", cut(dataRecord + 6)},
        {"cut in the message", cut(directory + original.directorySize + 10)},
        {"cut in the final fill", cut(static_cast<uint32_t>(exe.size()) - 3)},
        {"no MZ", set16(0, 0x5A4E)},
        {"no PE signature", set32(nt, 0x00004550 + 0x100)},
        {"PE32+ magic", set16(optional, 0x20B)},
        {"larger optional header", set16(nt + 20, 240)},
        {"e_lfanew far outside", set32(60, 0xFFFFFFF0)},
        {"e_lfanew at the end", set32(60, static_cast<uint32_t>(exe.size()) - 4)},
        {"no sections", set16(nt + 6, 0)},
        {"too many sections", set16(nt + 6, 0xFFFF)},
        {"too few data directories", set32(optional + kOptNumberOfRvaAndSizes, 2)},
        {"resource directory outside every section", set32(optional + kOptDataDirectories + 16, 0x7FFF0000)},
        {"resource section beyond the file", set32(section + kSecPointerToRawData, 0x7FFF0000)},
        {"resource section raw size beyond the file", set32(section + kSecSizeOfRawData, 0x7FFF0000)},
        {"root entry count beyond the section", set16(directory + 14, 0xFFFF)},
        {"type table offset outside", set32(firstTypeEntry + 4, kResHighBit | 0x7FFFFFF0)},
        {"type entry pointing at data", set32(firstTypeEntry + 4, firstLanguage->TargetOffset())},
        {"type table pointing back at the root", set32(firstTypeEntry + 4, kResHighBit)},
        {"name string offset outside", set32(namedTypeEntry, kResHighBit | 0x7FFFFFF0)},
        {"name string length beyond the section", set16(directory + namedType->NameOffset(), 0xFFFF)},
        {"language entry pointing at a table", set32(languageEntry + 4, kResHighBit | names->offset)},
        {"data entry offset outside", set32(languageEntry + 4, 0x7FFFFFF0)},
        {"data before the section", set32(dataRecord, 0x10)},
        {"data past the section", set32(dataRecord, original.ResourceRva() + 0x7FFF0000)},
        {"data size beyond the section", set32(dataRecord + 4, 0xFFFFFFF0)},
        {"data overlapping the next item", set32(dataRecord + 4, firstLanguage->data->onDisk.Size + 8)},
        {"zero file alignment", set32(optional + kOptFileAlignment, 0)},
    };
    for (const Case& c : cases) {
        Bytes damaged = exe;
        c.damage(damaged);
        CGuardedBytes guarded(damaged);
        CPeImage image;
        bool parsed = image.Parse(guarded.data(), guarded.size());
        EXPECT_FALSE(parsed && image.HasWriterLayout()) << c.what;
        if (parsed) {
            // Whatever a partly sound file still offers lies inside it.
            uint32_t size = 0;
            const uint8_t* data = image.FindResourceData("MSGTEXT", IntegerKey(101), &size);
            if (data != nullptr) {
                EXPECT_GE(data, guarded.data()) << c.what;
                EXPECT_LE(data + size, guarded.data() + guarded.size()) << c.what;
            }
            CMemorySink sink;
            EXPECT_FALSE(WriteExecutable(&image, &sink)) << c.what;
        }
    }
    // The same bytes undamaged are read and accepted from guarded memory.
    CGuardedBytes whole(exe);
    CPeImage image;
    EXPECT_TRUE(image.Parse(whole.data(), whole.size()) && image.HasWriterLayout());
}
