#include "app/replacement.h"

#include <gtest/gtest.h>
#include <string.h>

#include <string>

TEST(ReplacementSwitches, ScannerFindsSwitchesAtTheStartOfAnyWord)
{
    struct Case {
        const char* text;
        ReplacementSwitch expected;
        const char* path;
    } cases[] = {
        {"", kNormalStart, nullptr},
        {"/s sled", kNormalStart, nullptr},
        {"-1 C:\\new.exe", kCopyStep, "C:\\new.exe"},
        {"1 C:\\new.exe", kCopyStep, "C:\\new.exe"},
        {"--1 C:\\new.exe", kCopyStep, "C:\\new.exe"},
        {"-2 C:\\old.tmp", kDeleteStep, "C:\\old.tmp"},
        {"-1 C:\\My Files\\new copy.exe", kCopyStep, "C:\\My Files\\new copy.exe"},
        {"sled -1 P", kCopyStep, "P"},
        {"x1 P", kNormalStart, nullptr},
        {"-1", kSwitchWithoutPath, nullptr},
        {"-1 ", kSwitchWithoutPath, nullptr},
        {"-2", kSwitchWithoutPath, nullptr},
        {"-3 P", kNormalStart, nullptr},
    };
    for (const Case& c : cases) {
        const char* path = nullptr;
        EXPECT_EQ(ScanReplacementSwitches(c.text, &path), c.expected) << c.text;
        if (c.path)
            EXPECT_STREQ(path, c.path) << c.text;
        else
            EXPECT_EQ(path, nullptr) << c.text;
    }
}

TEST(ReplacementSwitches, PathIsTakenWithoutSurroundingQuotes)
{
    struct Case {
        const char* path;
        const char* expected;
    } cases[] = {
        {"C:\\new.exe", "C:\\new.exe"},
        {"\"C:\\My Files\\new copy.exe\"", "C:\\My Files\\new copy.exe"},
        {"C:\\half\"quoted", "C:\\half\"quoted"},
        {"\"\"", nullptr},
    };
    for (const Case& c : cases) {
        char out[64] = "unchanged";
        bool taken = TakeReplacementPath(c.path, out, sizeof out);
        EXPECT_EQ(taken, c.expected != nullptr) << c.path;
        if (c.expected)
            EXPECT_STREQ(out, c.expected) << c.path;
    }
    char small[8];
    EXPECT_FALSE(TakeReplacementPath("C:\\much-too-long.exe", small, sizeof small));
}

TEST(ReplacementSwitches, DeleteCommandIsRefusedWhenItWouldNotFit)
{
    char command[kCommandSize];
    ASSERT_TRUE(ComposeDeleteCommand(command, sizeof command, "C:\\P.EXE", "C:\\T.TMP"));
    EXPECT_STREQ(command, "\"C:\\P.EXE\" -2 C:\\T.TMP");

    std::string ownPath = "C:\\T.TMP";
    std::string fits(kCommandSize - 1 - 6 - ownPath.size(), 'x');
    EXPECT_TRUE(ComposeDeleteCommand(command, sizeof command, fits.c_str(), ownPath.c_str()));
    EXPECT_EQ(strlen(command), size_t(kCommandSize - 1));
    std::string tooLong = fits + "x";
    EXPECT_FALSE(ComposeDeleteCommand(command, sizeof command, tooLong.c_str(), ownPath.c_str()));
    EXPECT_STREQ(command, "");
}

namespace {
std::string TempPath(const char* name)
{
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    return std::string(dir) + name;
}

void WriteFile(const std::string& path, const std::string& bytes)
{
    FILE* f = fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);
}

std::string ReadFile(const std::string& path)
{
    std::string bytes;
    FILE* f = fopen(path.c_str(), "rb");
    if (!f)
        return "<missing>";
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, f)) > 0)
        bytes.append(buffer, n);
    fclose(f);
    return bytes;
}
} // namespace

TEST(ReplacementSwitches, CopyReplacesTheTargetWhole)
{
    std::string own = TempPath("festling-own.bin"), target = TempPath("festling-target.bin");
    WriteFile(own, std::string(40000, 'n') + "end");
    WriteFile(target, "old");
    EXPECT_TRUE(CopySelfOnto(own.c_str(), target.c_str(), 1000));
    EXPECT_EQ(ReadFile(target), std::string(40000, 'n') + "end");
    DeleteFileA(own.c_str());
    DeleteFileA(target.c_str());
}

TEST(ReplacementSwitches, CopyGivesUpOnATargetThatStaysLockedAndLeavesItIntact)
{
    std::string own = TempPath("festling-own2.bin"), target = TempPath("festling-locked.bin");
    WriteFile(own, "new program");
    WriteFile(target, "old program");
    HANDLE lock = CreateFileA(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(CopySelfOnto(own.c_str(), target.c_str(), 300));
    CloseHandle(lock);
    EXPECT_EQ(ReadFile(target), "old program");
    EXPECT_EQ(ReadFile(own), "new program");
    DeleteFileA(own.c_str());
    DeleteFileA(target.c_str());
}

TEST(ReplacementSwitches, CopyFromAMissingOwnFileFailsWithoutTouchingTheTarget)
{
    std::string target = TempPath("festling-kept.bin");
    WriteFile(target, "old program");
    EXPECT_FALSE(CopySelfOnto(TempPath("festling-no-such-file.bin").c_str(), target.c_str(), 300));
    EXPECT_EQ(ReadFile(target), "old program");
    DeleteFileA(target.c_str());
}

TEST(ReplacementSwitches, DeleteWaitsForTheFileToBeReleased)
{
    std::string path = TempPath("festling-busy.bin");
    WriteFile(path, "x");
    HANDLE lock = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(DeleteWithRetries(path.c_str(), 300));
    CloseHandle(lock);
    EXPECT_TRUE(DeleteWithRetries(path.c_str(), 300));
    EXPECT_EQ(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(DeleteWithRetries(path.c_str(), 300)) << "an absent file needs no waiting";
}

TEST(ReplacementSwitches, TempNameIsANewEmptyFileInTheTemporaryFolder)
{
    char folder[MAX_PATH];
    ASSERT_NE(GetTempPathA(sizeof folder, folder), 0u);
    char first[MAX_PATH], second[MAX_PATH];
    ASSERT_TRUE(MakeTempName(first));
    ASSERT_TRUE(MakeTempName(second));
    EXPECT_STRNE(first, second);
    for (const char* name : {first, second}) {
        EXPECT_EQ(strncmp(name, folder, strlen(folder)), 0) << name;
        WIN32_FILE_ATTRIBUTE_DATA data;
        ASSERT_TRUE(GetFileAttributesExA(name, GetFileExInfoStandard, &data)) << name;
        EXPECT_EQ(data.nFileSizeLow, 0u) << name;
        DeleteFileA(name);
    }
}
