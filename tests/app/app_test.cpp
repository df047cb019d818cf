#include "app/app.h"
#include "app/main_window.h"
#include "engine/engine.h"

#include <gtest/gtest.h>
#include <string.h>

TEST(CommandLine, ParserReadsModeAndSceneName)
{
    struct Case {
        const char* text;
        int mode;
        const char* name;
    } cases[] = {
        {"", 0, ""},
        {"/s sled", 1, "sled"},
        {"-s sled", 1, "sled"},
        {"/c", 2, ""},
        {"-c", 2, ""},
        {"/x sled", 0, "sled"},
        {"sled", 0, "sled"},
        {"sled more words", 0, "sled"},
        {"  sled", 0, "sled"},
        {"/s abcdefghijklmnopqrstuvwxyz0123456789", 1, "abcdefghijklmnopqrstuvwxyz01234"},
    };
    for (const Case& c : cases) {
        char text[64];
        strcpy(text, c.text);
        char name[kSceneNameSize + 8];
        memset(name, '#', sizeof name);
        name[0] = '\0';
        int mode = 0;
        CApp::ParseCommandLine(text, name, &mode);
        EXPECT_EQ(mode, c.mode) << c.text;
        EXPECT_STREQ(name, c.name) << c.text;
        EXPECT_EQ(name[kSceneNameSize], '#') << "the name buffer overflowed for " << c.text;
    }
}

namespace {
HGLOBAL BlockWith(const void* bytes, size_t size)
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    memcpy(GlobalLock(block), bytes, size);
    GlobalUnlock(block);
    return block;
}
} // namespace

TEST(CommandLine, AddSceneBlockIsReadWithinItsOwnSize)
{
    HGLOBAL block = BlockWith("/s sled", 8);
    char* text = CopyCommandBlock(block);
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text, "/s sled");
    delete[] text;

    // No terminator: only the block's own bytes are taken.
    block = BlockWith("sledsled", 4);
    text = CopyCommandBlock(block);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(strlen(text), 4u);
    EXPECT_EQ(strncmp(text, "sled", 4), 0);
    delete[] text;

    EXPECT_EQ(CopyCommandBlock(nullptr), nullptr);
    EXPECT_EQ(CopyCommandBlock(reinterpret_cast<HGLOBAL>(0x1234)), nullptr);
}

TEST(MainWindow, ScreenSaverIsRefusedAndOtherCommandsGoToTheDefault)
{
    HINSTANCE module = GetModuleHandleA(nullptr);
    RegisterMainClass(module);
    HWND hwnd = CreateWindowExA(0, kMainClassName, kMainWindowTitle, WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                module, nullptr);
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(SendMessageA(hwnd, WM_SYSCOMMAND, SC_SCREENSAVE, 0), 0);
    EXPECT_EQ(SendMessageA(hwnd, WM_PALETTECHANGED, reinterpret_cast<WPARAM>(hwnd), 0), 0);
    EXPECT_TRUE(IsWindow(hwnd));
    SendMessageA(hwnd, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(hwnd));
    MSG msg;
    EXPECT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "destroying posts the quit message";
}

namespace {
HWND MakeTopLevel(HWND owner, int x)
{
    HWND hwnd = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, x, 10, 40, 30, owner, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    SetForegroundWindow(hwnd);
    return hwnd;
}
} // namespace

TEST(MainWindow, ForegroundCheckRefreshesOnANewOrMovedForeignWindowOnly)
{
    HINSTANCE module = GetModuleHandleA(nullptr);
    RegisterMainClass(module);
    HWND mainWindow = CreateWindowExA(0, kMainClassName, kMainWindowTitle, WS_POPUP, 0, 0, 10, 10, nullptr,
                                      nullptr, module, nullptr);
    ASSERT_NE(mainWindow, nullptr);

    HWND foreign = MakeTopLevel(nullptr, 300);
    ASSERT_EQ(GetForegroundWindow(), foreign);
    EXPECT_TRUE(ForegroundNeedsRefresh(mainWindow)) << "a new foreground window";
    EXPECT_FALSE(ForegroundNeedsRefresh(mainWindow)) << "nothing changed";
    SetWindowPos(foreign, nullptr, 301, 10, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_TRUE(ForegroundNeedsRefresh(mainWindow)) << "moved by one pixel";
    EXPECT_FALSE(ForegroundNeedsRefresh(mainWindow)) << "not moved again";

    // A window of the program's own (owned by the main window) only moves.
    HWND own = MakeTopLevel(mainWindow, 500);
    ASSERT_EQ(GetForegroundWindow(), own);
    EXPECT_TRUE(ForegroundNeedsRefresh(mainWindow)) << "a change of foreground window always refreshes";
    SetWindowPos(own, nullptr, 520, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_FALSE(ForegroundNeedsRefresh(mainWindow));

    DestroyWindow(own);
    DestroyWindow(foreign);
    DestroyWindow(mainWindow);
    MSG msg;
    PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
}

TEST(MainWindow, AddSceneMessageAddsOneSceneWhateverItsStartMode)
{
    HINSTANCE module = GetModuleHandleA(nullptr);
    RegisterMainClass(module);
    char commandLine[] = "";
    CApp* app = new CApp(module, commandLine);
    ASSERT_NE(app->m_hwnd, nullptr);
    ASSERT_NE(app->m_engine, nullptr);
    EXPECT_EQ(app->m_engine->m_holderCount, 1);
    int spritesPerScene = app->m_engine->m_entryCount;
    EXPECT_EQ(spritesPerScene, 11);

    static const char text[] = "/s sled";
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, sizeof text);
    memcpy(GlobalLock(block), text, sizeof text);
    GlobalUnlock(block);
    SendMessageA(app->m_hwnd, WM_USER, 0, reinterpret_cast<LPARAM>(block));
    EXPECT_EQ(app->m_engine->m_holderCount, 2);
    EXPECT_EQ(app->m_engine->m_entryCount, 2 * spritesPerScene) << "the new scene's sprites come after the first's";
    EXPECT_EQ(app->m_engine->m_startMode, 0) << "the start mode in the message has no effect";

    // A foreign message without a usable block changes nothing.
    SendMessageA(app->m_hwnd, WM_USER, 0, 0);
    EXPECT_EQ(app->m_engine->m_holderCount, 2);

    DestroyWindow(app->m_hwnd); // deletes the application object
    MSG msg;
    EXPECT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}
