#include "personalise/personalise_copy.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "personalise/exe_image.h"
#include "personalise_fixtures.h"

namespace {

const char* Msg = "MSGTEXT";
const char* MsgName = IntegerKey(101);

// festling.exe opened, with its message replaced.
CExeImage* OpenWithMessage(const std::string& message)
{
    CExeImage* image = new CExeImage;
    EXPECT_TRUE(image->Open(FestlingExePath().c_str()));
    image->ReplaceResourceData(Msg, MsgName, reinterpret_cast<const uint8_t*>(message.data()),
                               static_cast<uint32_t>(message.size()));
    return image;
}

// The message a written file carries, or a note on why there is none.
std::string MessageIn(const std::string& path)
{
    Bytes file = ReadBytes(path);
    CPeImage image;
    if (!image.Parse(file.data(), static_cast<uint32_t>(file.size())))
        return "<no executable>";
    if (!image.HasWriterLayout())
        return "<not rebuildable>";
    uint32_t size = 0;
    const uint8_t* data = image.FindResourceData(Msg, MsgName, &size);
    return data ? std::string(reinterpret_cast<const char*>(data), size) : "<no message>";
}

} // namespace

TEST(PersonaliseCopy, PathsAreUpperCasedInAsciiOnly)
{
    struct Case {
        const char* text;
        const char* expected;
    } cases[] = {
        {"c:\\Users\\anna\\Card.exe", "C:\\USERS\\ANNA\\CARD.EXE"},
        {"Z:\\tmp\\new card", "Z:\\TMP\\NEW CARD"},
        {"\xe9t\xe9.exe", "\xe9T\xe9.EXE"},
        {"", ""},
    };
    for (const Case& c : cases) {
        std::string text = c.text;
        UpperCaseAscii(&text[0]);
        EXPECT_EQ(text, c.expected);
    }
}

TEST(PersonaliseCopy, CopyCommandNamesTheTemporaryProgramAndTheTarget)
{
    char command[kCopyCommandSize];
    ASSERT_TRUE(ComposeCopyCommand(command, sizeof command, "C:\\TEMP\\1A2B.tmp", "C:\\MY FILES\\CARD.EXE"));
    EXPECT_STREQ(command, "\"C:\\TEMP\\1A2B.tmp\" -1 C:\\MY FILES\\CARD.EXE");

    std::string temp = "C:\\T.TMP";
    std::string fits(kCopyCommandSize - 1 - 6 - temp.size(), 'p');
    EXPECT_TRUE(ComposeCopyCommand(command, sizeof command, temp.c_str(), fits.c_str()));
    EXPECT_EQ(strlen(command), size_t(kCopyCommandSize - 1));
    EXPECT_FALSE(ComposeCopyCommand(command, sizeof command, temp.c_str(), (fits + "p").c_str()));
    EXPECT_STREQ(command, "");
}

TEST(PersonaliseCopy, WrittenCopyCarriesTheNewMessage)
{
    std::string folder = MakeScratchFolder("pcopy");
    struct Case {
        std::string message;
    } cases[] = {
        {"Hi"},
        {"first line\r\nsecond line"},
        {std::string(255, 'm')},
    };
    for (const Case& c : cases) {
        std::string path = folder + "NEW.EXE";
        CExeImage* image = OpenWithMessage(c.message);
        EXPECT_TRUE(WriteImageToFile(image, path.c_str()));
        delete image;
        EXPECT_EQ(MessageIn(path), c.message);
    }
    RemoveFolder(folder);
}

TEST(PersonaliseCopy, FailedWriteLeavesNoFileBehind)
{
    std::string folder = MakeScratchFolder("pfail");
    // An image with nothing to write: the writer fails after the file exists.
    CExeImage unopened;
    std::string path = folder + "BROKEN.EXE";
    EXPECT_FALSE(WriteImageToFile(&unopened, path.c_str()));
    EXPECT_TRUE(FilesIn(folder).empty());

    CExeImage* image = OpenWithMessage("Hi");
    EXPECT_FALSE(WriteImageToFile(image, (folder + "missing\\NEW.EXE").c_str()));
    delete image;
    EXPECT_TRUE(FilesIn(folder).empty());
    RemoveFolder(folder);
}

TEST(PersonaliseCopy, SavingOverAFileReplacesItOnlyWhenTheCopyIsComplete)
{
    std::string folder = MakeScratchFolder("psave");
    std::string path = folder + "OLD.EXE";
    Bytes old = {'o', 'l', 'd'};
    ASSERT_TRUE(WriteBytes(path, old));

    CExeImage unopened;
    EXPECT_FALSE(SaveImageAs(&unopened, path.c_str()));
    EXPECT_TRUE(ReadBytes(path) == old);
    EXPECT_EQ(FilesIn(folder), std::vector<std::string>{"OLD.EXE"});

    CExeImage* image = OpenWithMessage("Season's greetings");
    EXPECT_TRUE(SaveImageAs(image, path.c_str()));
    delete image;
    EXPECT_EQ(MessageIn(path), "Season's greetings");
    EXPECT_EQ(FilesIn(folder), std::vector<std::string>{"OLD.EXE"});

    image = OpenWithMessage("Hi");
    EXPECT_FALSE(SaveImageAs(image, (folder + "missing\\NEW.EXE").c_str()));
    delete image;
    RemoveFolder(folder);
}

TEST(PersonaliseCopy, ReplacementStartsOnlyFromACompleteTemporaryCopy)
{
    std::vector<std::string> before = FilesIn(TempFolder());
    auto newTempFiles = [&] {
        std::vector<std::string> now = FilesIn(TempFolder()), added;
        for (const std::string& name : now)
            if (std::find(before.begin(), before.end(), name) == before.end())
                added.push_back(name);
        return added;
    };

    char command[kCopyCommandSize];
    CExeImage unopened;
    EXPECT_EQ(PrepareReplacement(&unopened, "C:\\PROGRAM.EXE", command), kReplacementWriteFailed);
    EXPECT_STREQ(command, "");
    EXPECT_TRUE(newTempFiles().empty());

    CExeImage* image = OpenWithMessage("Merry");
    ASSERT_EQ(PrepareReplacement(image, "C:\\MY CARDS\\PROGRAM.EXE", command), kReplacementReady);
    delete image;
    std::vector<std::string> added = newTempFiles();
    ASSERT_EQ(added.size(), 1u);
    std::string temporary = TempFolder() + added[0];
    EXPECT_EQ(std::string(command), "\"" + temporary + "\" -1 C:\\MY CARDS\\PROGRAM.EXE");
    EXPECT_EQ(MessageIn(temporary), "Merry");
    DeleteFileA(temporary.c_str());
}
