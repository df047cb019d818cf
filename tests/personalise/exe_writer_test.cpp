#include "personalise/exe_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "personalise_fixtures.h"

namespace {

const char* Msg = "MSGTEXT";
const char* MsgName = IntegerKey(101);

struct Written {
    Bytes file;
    int32_t dataGrowth;
    int32_t sectionGrowth;
};

// Positions of every data item in tree order, which the writer keeps.
std::vector<uint32_t> Positions(const CPeImage& image)
{
    CResData** items;
    uint32_t count;
    image.root->CollectData(&items, &count);
    std::vector<uint32_t> positions;
    for (uint32_t i = 0; i < count; ++i)
        positions.push_back(items[i]->onDisk.OffsetToData);
    free(items);
    return positions;
}

Written WriteWith(const Bytes& input, const std::vector<std::string>& replacements)
{
    CPeImage image;
    EXPECT_TRUE(image.Parse(input.data(), static_cast<uint32_t>(input.size())));
    for (const std::string& data : replacements)
        image.ReplaceResourceData(Msg, MsgName, reinterpret_cast<const uint8_t*>(data.data()),
                                  static_cast<uint32_t>(data.size()));
    CMemorySink sink;
    EXPECT_TRUE(WriteExecutable(&image, &sink));
    return Written{sink.written, image.dataGrowth, image.sectionGrowth};
}

// The keys under which the tree lists the data.
bool KeysOf(const CPeImage& image, const CResData* target, const char** type, const char** name)
{
    for (const CResEntry* t = image.root->entries; t != nullptr; t = t->next)
        for (const CResEntry* n = t->subdirectory->entries; n != nullptr; n = n->next)
            for (const CResEntry* l = n->subdirectory->entries; l != nullptr; l = l->next)
                if (l->data == target) {
                    *type = t->IsNamed() ? t->nameText : IntegerKey(t->name & 0xFFFF);
                    *name = n->IsNamed() ? n->nameText : IntegerKey(n->name & 0xFFFF);
                    return true;
                }
    return false;
}

uint32_t Field(const Bytes& file, uint32_t at)
{
    return Read32(file.data() + at);
}

} // namespace

TEST(ExeWriter, WritingWithoutReplacementReproducesTheProgramByteForByte)
{
    Bytes exe = FestlingExe();
    ASSERT_FALSE(exe.empty()) << FestlingExePath();
    Written out = WriteWith(exe, {});
    EXPECT_EQ(out.dataGrowth, 0);
    EXPECT_EQ(out.sectionGrowth, 0);
    EXPECT_TRUE(out.file == exe);
}

TEST(ExeWriter, ReplacedMessageMovesOnlyTheDataAfterIt)
{
    Bytes exe = FestlingExe();
    CPeImage before;
    ASSERT_TRUE(before.Parse(exe.data(), static_cast<uint32_t>(exe.size())));
    uint32_t messageSize = 0;
    const uint8_t* message = before.FindResourceData(Msg, MsgName, &messageSize);
    ASSERT_NE(message, nullptr);
    ASSERT_EQ(messageSize, 42u);
    uint32_t messageRva = before.root->FindData(Msg, MsgName)->onDisk.OffsetToData;
    PeSection section = before.Section(before.ResourceSection());
    uint32_t directorySizeField = before.OptionalHeaderOffset() + kOptDataDirectories + 8 * kResourceDirectoryIndex + 4;

    struct Case {
        std::vector<std::string> replacements;
        int32_t shift;          // of every item after the message
        const char* written;    // the message as written, with its fill
    } cases[] = {
        {{"abc"}, -40, "abcPADDI"},
        {{std::string(45, 'x')}, 0, nullptr},
        {{std::string(50, 'y')}, 8, nullptr},
        {{std::string(48, 'z')}, 0, nullptr},
        // Only the second data counts, and its growth is measured from the first.
        {{std::string(50, 'y'), "abc"}, -40, "abcPADDI"},
    };
    for (const Case& c : cases) {
        const std::string& last = c.replacements.back();
        SCOPED_TRACE(last.size());
        Written out = WriteWith(exe, c.replacements);
        EXPECT_EQ(out.dataGrowth, c.shift);
        EXPECT_EQ(LoaderInconsistencies(out.file), "");

        CPeImage after;
        ASSERT_TRUE(after.Parse(out.file.data(), static_cast<uint32_t>(out.file.size())));
        uint32_t size = 0;
        const uint8_t* data = after.FindResourceData(Msg, MsgName, &size);
        ASSERT_EQ(size, last.size());
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(data), size), last);
        if (c.written != nullptr)
            EXPECT_EQ(std::string(reinterpret_cast<const char*>(data), 8), c.written);

        std::vector<uint32_t> old = Positions(before), now = Positions(after);
        ASSERT_EQ(old.size(), now.size());
        for (size_t i = 0; i < old.size(); ++i)
            EXPECT_EQ(now[i], old[i] + (old[i] > messageRva ? c.shift : 0)) << i;

        PeSection written = after.Section(after.ResourceSection());
        EXPECT_EQ(written.VirtualSize, section.VirtualSize + c.shift);
        EXPECT_EQ(Field(out.file, directorySizeField), Field(exe, directorySizeField) + c.shift);
        // Every other resource keeps its bytes.
        for (size_t i = 0; i < old.size(); ++i) {
            if (old[i] == messageRva)
                continue;
            uint32_t at = before.ResourceOffset() + (old[i] - before.ResourceRva());
            uint32_t to = after.ResourceOffset() + (now[i] - after.ResourceRva());
            EXPECT_EQ(0, memcmp(exe.data() + at, out.file.data() + to, 8)) << i;
        }
    }
}

TEST(ExeWriter, ReplacingTwiceWritesWhatOneReplacementWithTheSecondDataWrites)
{
    Bytes exe = FestlingExe();
    Written twice = WriteWith(exe, {std::string(200, 'a'), "short"});
    Written once = WriteWith(exe, {"short"});
    EXPECT_TRUE(twice.file == once.file);
}

TEST(ExeWriter, SectionGrowsAndShrinksAcrossTheFileAlignment)
{
    Bytes exe = FestlingExe();
    CPeImage image;
    ASSERT_TRUE(image.Parse(exe.data(), static_cast<uint32_t>(exe.size())));
    uint32_t fileAlignment = image.OptionalField(kOptFileAlignment);
    uint32_t content = image.directorySize + image.storedDataTotal;
    uint32_t room = AlignUp(content, fileAlignment) - content;

    // A message that no longer fits in the section's last file block.
    std::string longer(48 + room + 8, 'L');
    Written grown = WriteWith(exe, {longer});
    EXPECT_EQ(grown.sectionGrowth, static_cast<int32_t>(fileAlignment));
    EXPECT_EQ(grown.file.size(), exe.size() + fileAlignment);
    EXPECT_EQ(LoaderInconsistencies(grown.file), "");

    // The largest resource cut down to one byte gives blocks back.
    CResData** items;
    uint32_t count;
    ASSERT_TRUE(image.root->CollectData(&items, &count));
    CResData* largest = *std::max_element(items, items + count, [](CResData* a, CResData* b) {
        return a->onDisk.Size < b->onDisk.Size;
    });
    free(items);
    uint32_t freed = RoundedSize(largest->onDisk.Size) - 8;
    int32_t expected = static_cast<int32_t>(AlignUp(content - freed, fileAlignment)) -
                       static_cast<int32_t>(AlignUp(content, fileAlignment));
    const char* type;
    const char* name;
    ASSERT_TRUE(KeysOf(image, largest, &type, &name));
    const uint8_t one = 1;
    image.ReplaceResourceData(type, name, &one, 1);
    CMemorySink sink;
    ASSERT_TRUE(WriteExecutable(&image, &sink));
    EXPECT_EQ(image.sectionGrowth, expected);
    EXPECT_EQ(sink.written.size(), exe.size() + expected);
    EXPECT_EQ(LoaderInconsistencies(sink.written), "");
}

TEST(ExeWriter, FinalFillIsLeftOutWhenTheContentEndsOnTheFileAlignment)
{
    Bytes exe = FestlingExe();
    CPeImage image;
    ASSERT_TRUE(image.Parse(exe.data(), static_cast<uint32_t>(exe.size())));
    uint32_t fileAlignment = image.OptionalField(kOptFileAlignment);
    uint32_t content = image.directorySize + image.storedDataTotal;
    uint32_t room = AlignUp(content, fileAlignment) - content;
    std::string exact(48 + room, 'E');
    Written out = WriteWith(exe, {exact});
    ASSERT_EQ(LoaderInconsistencies(out.file), "");
    EXPECT_EQ(out.sectionGrowth, 0);
    EXPECT_EQ(out.file.size(), exe.size());
    // The last data item, not a fill, ends the file.
    CPeImage after;
    ASSERT_TRUE(after.Parse(out.file.data(), static_cast<uint32_t>(out.file.size())));
    std::vector<uint32_t> positions = Positions(after);
    uint32_t last = *std::max_element(positions.begin(), positions.end());
    CResData** items;
    uint32_t count;
    after.root->CollectData(&items, &count);
    uint32_t lastEnd = 0;
    for (uint32_t i = 0; i < count; ++i)
        if (items[i]->onDisk.OffsetToData == last)
            lastEnd = after.ResourceOffset() + (last - after.ResourceRva()) + RoundedSize(items[i]->onDisk.Size);
    free(items);
    EXPECT_EQ(lastEnd, out.file.size());
}

TEST(ExeWriter, FailingSinkStopsTheWriteAndIsReported)
{
    class CFailingSink : public CByteSink {
    public:
        explicit CFailingSink(int allowed) : m_allowed(allowed) {}
        bool Put(const void*, uint32_t) override
        {
            ++calls;
            return calls <= m_allowed;
        }
        int calls = 0;

    private:
        int m_allowed;
    };
    Bytes exe = FestlingExe();
    CMemorySink counter;
    CPeImage image;
    ASSERT_TRUE(image.Parse(exe.data(), static_cast<uint32_t>(exe.size())));
    ASSERT_TRUE(WriteExecutable(&image, &counter));
    for (int allowed : {0, 1, 3, counter.puts / 2, counter.puts - 1}) {
        CFailingSink sink(allowed);
        EXPECT_FALSE(WriteExecutable(&image, &sink)) << allowed;
        EXPECT_EQ(sink.calls, allowed + 1) << "went on writing after a failed write";
    }
}

TEST(ExeWriter, RefusesAnImageItCannotRebuild)
{
    CPeImage unopened;
    CMemorySink sink;
    EXPECT_FALSE(WriteExecutable(&unopened, &sink));
    EXPECT_FALSE(WriteExecutable(&unopened, nullptr));
    EXPECT_TRUE(sink.written.empty());
}
