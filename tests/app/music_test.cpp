#include "app/app.h"
#include "app/main_window.h"

#include <gtest/gtest.h>
#include <mmsystem.h>
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "card/card_fixture.h"

using namespace card_fixture;

namespace {

// A Standard MIDI File of one track with one note of the given pitch, held
// for days, so that no tune ends by itself while a test runs.
std::vector<uint8_t> MakeMidi(uint8_t note)
{
    std::vector<uint8_t> track = {0x00, 0x90, note, 0x40, 0x8F, 0xFF, 0xFF, 0x7F, 0x80, note, 0x40, 0x00, 0xFF, 0x2F, 0x00};
    std::vector<uint8_t> file = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0x01, 0xE0, 'M', 'T', 'r', 'k', 0, 0, 0,
                                 static_cast<uint8_t>(track.size())};
    file.insert(file.end(), track.begin(), track.end());
    return file;
}

const std::vector<uint8_t> kDefaultTune = MakeMidi(60);
const std::vector<uint8_t> kOtherTune = MakeMidi(72);

// A module holding the default tune and a second one named "OTHER", with the
// main window class registered for it.
HMODULE MusicModule()
{
    static HMODULE module;
    static std::string path;
    if (module == nullptr) {
        module = MakeCardModule({{"MIDI", 0, kDefaultTune, "IDM_MUSIC"}, {"MIDI", 0, kOtherTune, "OTHER"}}, &path);
        RegisterMainClass(module);
        atexit([] { DropCardModule(module, path); });
    }
    return module;
}

CApp* NewApp()
{
    char commandLine[] = "";
    return new CApp(MusicModule(), commandLine);
}

// Delivers what is queued for the thread; a quit message is taken away.
void Pump()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message != WM_QUIT)
            DispatchMessageA(&msg);
    }
}

void Notify(CApp* app)
{
    PostMessageA(app->m_hwnd, kMciNotify, MCI_NOTIFY_SUCCESSFUL, app->m_musicDevice);
    Pump();
}

std::vector<uint8_t> FileBytes(const std::string& path)
{
    std::vector<uint8_t> bytes;
    FILE* file = fopen(path.c_str(), "rb");
    if (file == nullptr)
        return bytes;
    int c;
    while ((c = fgetc(file)) != EOF)
        bytes.push_back(static_cast<uint8_t>(c));
    fclose(file);
    return bytes;
}

bool Exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

} // namespace

TEST(Music, TheTuneIsWrittenToAUniqueTemporaryFileAndItsEndDeletesIt)
{
    CApp* app = NewApp();
    ASSERT_NE(app->m_hwnd, nullptr);
    std::string path = app->m_musicPath;
    ASSERT_FALSE(path.empty()) << "the constructor starts the default tune";
    EXPECT_EQ(FileBytes(path), kDefaultTune);
    char directory[MAX_PATH];
    GetTempPathA(MAX_PATH, directory);
    EXPECT_EQ(path.substr(0, path.find_last_of('\\') + 1), std::string(directory));

    Notify(app);
    EXPECT_FALSE(Exists(path));
    EXPECT_STREQ(app->m_musicPath, "");
    EXPECT_EQ(app->m_musicDevice, static_cast<uint32_t>(kNoDevice));
    EXPECT_EQ(app->m_staleNotifies, 0);

    // More notifications with no tune change nothing; nothing starts again.
    Notify(app);
    EXPECT_STREQ(app->m_musicPath, "");
    EXPECT_EQ(app->m_staleNotifies, 0);
    delete app;
    Pump();
}

TEST(Music, ASecondTuneCountsTheFirstTunesNotificationAsStale)
{
    CApp* app = NewApp();
    std::string first = app->m_musicPath;
    ASSERT_FALSE(first.empty());
    bool firstPlayed = app->m_musicDevice != kNoDevice;
    app->StartMusic("OTHER");
    std::string second = app->m_musicPath;
    EXPECT_FALSE(Exists(first)) << "the first tune's file went with it";
    EXPECT_NE(second, first);
    EXPECT_EQ(FileBytes(second), kOtherTune);
    // Closing a playing device makes it report its end; a tune that never
    // played reports nothing and is not waited for.
    EXPECT_EQ(app->m_staleNotifies, firstPlayed ? 1 : 0);

    for (int i = 0; i < 200 && app->m_staleNotifies > 0; ++i) {
        Sleep(10);
        Pump(); // the first tune's end
    }
    EXPECT_EQ(app->m_staleNotifies, 0);
    EXPECT_TRUE(Exists(second)) << "the second tune plays on";
    Notify(app); // the second tune's end
    EXPECT_FALSE(Exists(second));
    EXPECT_STREQ(app->m_musicPath, "");
    delete app;
    Pump();
}

TEST(Music, AMissingTuneOrAnUnwritableTemporaryFolderLeavesNoTune)
{
    CApp* app = NewApp();
    std::string first = app->m_musicPath;
    app->StartMusic("NO_SUCH_TUNE");
    EXPECT_STREQ(app->m_musicPath, "");
    EXPECT_FALSE(Exists(first));

    char tmp[MAX_PATH] = "", temp[MAX_PATH] = "";
    GetEnvironmentVariableA("TMP", tmp, MAX_PATH);
    GetEnvironmentVariableA("TEMP", temp, MAX_PATH);
    SetEnvironmentVariableA("TMP", "C:\\festling-no-such-folder");
    SetEnvironmentVariableA("TEMP", "C:\\festling-no-such-folder");
    app->StartMusic(nullptr);
    SetEnvironmentVariableA("TMP", tmp[0] ? tmp : nullptr);
    SetEnvironmentVariableA("TEMP", temp[0] ? temp : nullptr);
    EXPECT_STREQ(app->m_musicPath, "");
    EXPECT_EQ(app->m_musicDevice, static_cast<uint32_t>(kNoDevice));
    delete app;
    Pump();
}

TEST(Music, TheProgramsEndStopsATuneAndDeletesItsFile)
{
    struct Case {
        const char* name;
        bool restarted; // a stale notification is still counted at the end
    } cases[] = {{"one tune", false}, {"a second tune", true}};
    for (const Case& c : cases) {
        CApp* app = NewApp();
        if (c.restarted)
            app->StartMusic("OTHER");
        std::string path = app->m_musicPath;
        ASSERT_FALSE(path.empty()) << c.name;
        if (c.restarted) {
            // The first tune's notification is still on its way.
            delete app;
        } else {
            // The main window's end deletes the application object.
            PostMessageA(app->m_hwnd, WM_CLOSE, 0, 0);
        }
        Pump();
        EXPECT_FALSE(Exists(path)) << c.name;
    }
}
