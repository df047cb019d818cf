#include "card/greeting_card.h"

#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <thread>

#include "card/card_animation.h"
#include "card/card_links.h"
#include "card/key_sequence.h"
#include "card_fixture.h"
#include "graphics/palette.h"
#include "site_config.h"

using namespace card_fixture;

namespace {

const int kCardWidth = 493;
const int kMessageDialog = 109; // the personalise command's first question
const int kCardHeight = 359;
const char* const kFigType = "FIG";

// Resources of a card module: the card dialog, the picture, a two-image
// animation, the three cursors and the program's area code; the last two can
// be left out.
std::vector<ModuleResource> CardResources(bool withAnimation, bool withAreaCode)
{
    std::vector<ModuleResource> list;
    list.push_back({RT_DIALOG, kCardDialog, ProgramResource(RT_DIALOG, kCardDialog)});
    list.push_back({RT_DIALOG, kMessageDialog, ProgramResource(RT_DIALOG, kMessageDialog)});
    list.push_back({kFigType, kCardPicture, MakeFig(-1, kCardWidth, kCardHeight,
                                                    {Solid(0, 0, kCardWidth, kCardHeight, kYellow, 0)})});
    if (withAnimation) {
        list.push_back({kFigType, kCardAnimationFig,
                        MakeFig(-1, 468, 60, {Solid(0, 0, 468, 60, kBlue, 100), Solid(10, 10, 20, 20, kGreen, 5)})});
    }
    if (withAreaCode)
        list.push_back({"CONFIG", kAreaCodeResource, ProgramResource("CONFIG", kAreaCodeResource)});
    const struct {
        int group, image, hotX, hotY, size;
    } cursors[] = {{kLinkCursor, 901, 13, 9, 8}, {kSendCursor, 902, 15, 18, 12}, {kPersonaliseCursor, 903, 17, 15, 16}};
    for (const auto& c : cursors) {
        std::vector<uint8_t> data = MakeCursorData(c.hotX, c.hotY, c.size);
        list.push_back({RT_GROUP_CURSOR, c.group, MakeCursorGroup(c.image, data.size())});
        list.push_back({RT_CURSOR, c.image, data});
    }
    return list;
}

struct Modules {
    HMODULE full = nullptr;       // picture, animation, cursors, area code
    HMODULE bare = nullptr;       // no animation, no area code
    std::string fullPath, barePath;
};

void DropCardModules();

Modules& CardModules()
{
    static Modules modules;
    if (modules.full == nullptr) {
        modules.full = MakeCardModule(CardResources(true, true), &modules.fullPath);
        modules.bare = MakeCardModule(CardResources(false, false), &modules.barePath);
        atexit(DropCardModules);
    }
    return modules;
}

void DropCardModules()
{
    Modules& modules = CardModules();
    DropCardModule(modules.full, modules.fullPath);
    DropCardModule(modules.bare, modules.barePath);
}

// The window that opens the card: counts the WM_CLOSE messages it gets.
int g_ownerCloses;
LRESULT CALLBACK OwnerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CLOSE) {
        ++g_ownerCloses;
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

HWND MakeOwner()
{
    static HWND owner;
    if (owner == nullptr) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = OwnerProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "CardTestOwner";
        RegisterClassA(&wc);
        owner = CreateWindowExA(0, "CardTestOwner", "owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    }
    return owner;
}

// What a test does while its card is open; it runs inside the card's modal
// loop. A card the script leaves open is closed after it, as a failure.
void (*g_script)(HWND card);
bool g_scriptLeftCardOpen;
void CALLBACK RunScript(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    HWND card = g_cardState.window;
    if (card == nullptr)
        return;
    g_script(card);
    // Closing by the close box goes through a posted command.
    MSG msg;
    while (g_cardState.window != nullptr && PeekMessageA(&msg, card, 0, 0, PM_REMOVE))
        DispatchMessageA(&msg);
    if (g_cardState.window != nullptr) {
        g_scriptLeftCardOpen = true;
        CloseCard(g_cardState.window);
    }
}

// Opens a card of the module over the owner, runs the script in it, and
// returns ShowGreetingCard's result with the messages left for the owner
// delivered.
int RunCard(HMODULE module, void (*script)(HWND card))
{
    HWND owner = MakeOwner();
    InitPalette(module, owner);
    g_ownerCloses = 0;
    g_scriptLeftCardOpen = false;
    g_cardState.closeCountdown = 0;
    g_script = script;
    SetTimer(nullptr, 0, 10, RunScript);
    int result = ShowGreetingCard(module, owner, "sled", "downhill");
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&msg);
    FreePalette();
    return result;
}

LPARAM At(int x, int y)
{
    return MAKELPARAM(x, y);
}

bool CardStateIsEmpty()
{
    const CardState& c = g_cardState;
    return c.faceImage == nullptr && c.animationResource == nullptr && c.animation == nullptr &&
           c.linkCursor == nullptr && c.sendCursor == nullptr && c.personaliseCursor == nullptr &&
           c.window == nullptr;
}

} // namespace

TEST(CardLinks, RowsAreSearchedFromTheLastAndEdgesAreOutside)
{
    SetCardLinkAreas(kCardWidth, kCardHeight, "ym1");
    struct Case {
        int x, y, row;
    } cases[] = {
        {0, 0, 0},        {400, 30, 2},  {372, 10, 2},   {455, 49, 2},  {456, 30, 0},  {400, 50, 0},
        {371, 30, 0},     {13, 232, 3},  {109, 271, 3},  {110, 250, 0}, {50, 272, 0},  {394, 248, 4},
        {479, 272, 4},    {480, 260, 0}, {450, 273, 1},  {492, 358, 1}, {0, 273, 1},   {0, 272, 0},
        {493, 100, -1},   {100, 359, -1}, {300, 30, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FindCardLink(c.x, c.y), c.row) << c.x << "," << c.y;
}

TEST(CardLinks, UrlsCarryTheSceneAndTheAreaCode)
{
    SetCardLinkAreas(kCardWidth, kCardHeight, "ym1");
    SetCardLinkAreas(kCardWidth, kCardHeight, "ym1"); // a card opened twice still has one code
    struct Case {
        int row;
        std::string url;
    } cases[] = {
        {0, FESTLING_PRODUCT_SITE "/index.asp?type=sled&area=1"},
        {1, FESTLING_PRODUCT_SITE "/index.asp?type=sled&area=ym1"},
        {2, FESTLING_PRODUCT_SITE "/index.asp?type=sled&fs=downhill&area=send"},
        {3, FESTLING_MAKER_SITE},
        {4, FESTLING_MAKER_SITE "/documents/privacy/festling"},
    };
    for (const Case& c : cases) {
        char url[kCardUrlSize];
        FormatCardUrl(c.row, "sled", "downhill", url, sizeof url);
        EXPECT_EQ(url, c.url) << "row " << c.row;
    }

    SetCardLinkAreas(kCardWidth, kCardHeight, "x");
    char url[kCardUrlSize];
    FormatCardUrl(1, "sled", "downhill", url, sizeof url);
    EXPECT_EQ(std::string(url), FESTLING_PRODUCT_SITE "/index.asp?type=sled&area=x");

    // The code is text, not format: a '%' in it reads no argument, and a code
    // too long for the template is cut before a '%' that would not fit whole.
    SetCardLinkAreas(kCardWidth, kCardHeight, "a%sb%n%");
    FormatCardUrl(1, "sled", "downhill", url, sizeof url);
    EXPECT_EQ(std::string(url), FESTLING_PRODUCT_SITE "/index.asp?type=sled&area=a%sb%n%");
    SetCardLinkAreas(kCardWidth, kCardHeight, std::string(300, '%').c_str());
    FormatCardUrl(1, "sled", "downhill", url, sizeof url);
    const std::string prefix = FESTLING_PRODUCT_SITE "/index.asp?type=sled&area=";
    const size_t fit = (kCardUrlSize - 1 - strlen(FESTLING_PRODUCT_SITE "/index.asp?type=%s&area=")) / 2;
    EXPECT_EQ(std::string(url), prefix + std::string(fit, '%'));

    // A scene name that would overflow the URL is cut at 255 characters.
    std::string longName(400, 'n');
    FormatCardUrl(2, longName.c_str(), "downhill", url, sizeof url);
    EXPECT_EQ(strlen(url), 255u);
}

TEST(CardLinks, AreaCodeComesFromConfig1200OrIsX)
{
    std::string withNul = "ab";
    withNul.push_back('\0');
    withNul += "cd";
    struct Case {
        const char* name;
        std::string config; // empty: no resource
        std::string code;
    } cases[] = {
        {"three bytes without NUL", "ym1", "ym1"},
        {"stops at a NUL", withNul, "ab"},
        {"at most 255 characters", std::string(300, 'q'), std::string(255, 'q')},
    };
    for (const Case& c : cases) {
        std::vector<ModuleResource> resources;
        resources.push_back({"CONFIG", kAreaCodeResource, std::vector<uint8_t>(c.config.begin(), c.config.end())});
        std::string path;
        HMODULE module = MakeCardModule(resources, &path);
        ASSERT_NE(module, nullptr) << c.name;
        char code[kCardUrlSize];
        LoadAreaCode(module, code, sizeof code);
        EXPECT_EQ(std::string(code), c.code) << c.name;
        DropCardModule(module, path);
    }
    std::string path;
    HMODULE none = MakeCardModule({}, &path);
    ASSERT_NE(none, nullptr);
    char missing[kCardUrlSize];
    LoadAreaCode(none, missing, sizeof missing);
    EXPECT_STREQ(missing, "x") << "without CONFIG 1200";
    DropCardModule(none, path);

    char code[kCardUrlSize];
    LoadAreaCode(GetModuleHandleA(nullptr), code, sizeof code);
    EXPECT_STREQ(code, "ym1") << "the program's own resources";
}

TEST(CardKeys, CtrlMCompletesTheOneSequenceEveryTime)
{
    struct Case {
        int key, result;
    } cases[] = {{'M', 1}, {'M', 1}, {'N', 0}, {'M', 1}, {'m', 0}, {0x4D + 0x100, 0}, {'M', 1}};
    for (const Case& c : cases)
        EXPECT_EQ(MatchKeySequence(c.key), c.result) << c.key;
}

TEST(GreetingCard, OpensCentredAtThePictureSizeWithTheAnimationInTheBottomStrip)
{
    Modules& modules = CardModules();
    ASSERT_NE(modules.full, nullptr);
    static RECT window, client, frame;
    static int playState;
    static COLORREF face, strip;
    static bool ownerTimerGone;
    int result = RunCard(modules.full, [](HWND card) {
        GetWindowRect(card, &window);
        GetClientRect(card, &client);
        ASSERT_NE(g_cardState.animation, nullptr);
        frame = g_cardState.animation->FrameRect();
        playState = g_cardState.animation->PlayState();
        UpdateWindow(card);
        HDC dc = GetDC(card);
        face = GetPixel(dc, 5, 5);
        strip = GetPixel(dc, 300, 330);
        ReleaseDC(card, dc);
        ownerTimerGone = !KillTimer(g_cardState.ownerWindow, 1);
        SendMessageA(card, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(client.right, kCardWidth);
    EXPECT_EQ(client.bottom, kCardHeight);
    int outerWidth = window.right - window.left, outerHeight = window.bottom - window.top;
    EXPECT_EQ(window.left, (GetSystemMetrics(SM_CXSCREEN) - outerWidth) / 2);
    EXPECT_EQ(window.top, (GetSystemMetrics(SM_CYSCREEN) - outerHeight) / 2);
    RECT expected = {12, 283, 480, 343};
    EXPECT_TRUE(EqualRect(&frame, &expected)) << frame.left << "," << frame.top << "," << frame.right << ","
                                              << frame.bottom;
    EXPECT_EQ(playState, kPlayStatePlaying);
    EXPECT_EQ(face, FixtureColour(kYellow)) << "the card picture";
    EXPECT_EQ(strip, FixtureColour(kBlue)) << "the animation";
    EXPECT_TRUE(ownerTimerGone) << "the owner's frame timer was stopped";
    EXPECT_TRUE(CardStateIsEmpty());
}

TEST(GreetingCard, EveryWayOfClosingPostsWmCloseToTheOwner)
{
    Modules& modules = CardModules();
    ASSERT_NE(modules.full, nullptr);
    struct Case {
        const char* name;
        void (*script)(HWND card);
    } cases[] = {
        {"Enter", [](HWND card) { SendMessageA(card, WM_COMMAND, IDOK, 0); }},
        {"Escape", [](HWND card) { SendMessageA(card, WM_COMMAND, IDCANCEL, 0); }},
        {"close box", [](HWND card) { SendMessageA(card, WM_SYSCOMMAND, SC_CLOSE, 0); }},
        {"120 ticks", [](HWND card) {
             for (int i = 0; i < kCloseAfterTicks; ++i)
                 SendMessageA(card, WM_TIMER, kCloseTimer, 0);
         }},
        {"row with an empty template", [](HWND card) {
             char saved = CardLinks[3].urlTemplate[0];
             CardLinks[3].urlTemplate[0] = '\0';
             SendMessageA(card, WM_LBUTTONDOWN, 0, At(50, 250));
             CardLinks[3].urlTemplate[0] = saved;
         }},
    };
    for (const Case& c : cases) {
        int result = RunCard(modules.full, c.script);
        EXPECT_FALSE(g_scriptLeftCardOpen) << c.name;
        EXPECT_EQ(result, 1) << c.name;
        EXPECT_EQ(g_ownerCloses, 1) << c.name;
        EXPECT_TRUE(CardStateIsEmpty()) << c.name;
    }
}

TEST(GreetingCard, ClicksRestartTheCloseTimerButDoNotResetTheCount)
{
    Modules& modules = CardModules();
    ASSERT_NE(modules.full, nullptr);
    static int countAfterClick;
    static bool openBeforeLastTick;
    RunCard(modules.full, [](HWND card) {
        for (int i = 0; i < kCloseAfterTicks - 2; ++i)
            SendMessageA(card, WM_TIMER, kCloseTimer, 0);
        // A click outside every area only restarts the timer.
        SendMessageA(card, WM_LBUTTONDOWN, 0, At(kCardWidth + 5, 10));
        countAfterClick = g_cardState.closeCountdown;
        SendMessageA(card, WM_TIMER, kCloseTimer, 0);
        openBeforeLastTick = g_cardState.window != nullptr;
        SendMessageA(card, WM_TIMER, kCloseTimer, 0);
    });
    EXPECT_FALSE(g_scriptLeftCardOpen) << "the 120th tick closes the card";
    EXPECT_EQ(countAfterClick, kCloseAfterTicks - 2);
    EXPECT_TRUE(openBeforeLastTick);
    EXPECT_EQ(g_ownerCloses, 1);
}

TEST(GreetingCard, TheCursorFollowsTheAreas)
{
    Modules& modules = CardModules();
    ASSERT_NE(modules.full, nullptr);
    static HCURSOR shown[5], link, send, personalise;
    RunCard(modules.full, [](HWND card) {
        link = g_cardState.linkCursor;
        send = g_cardState.sendCursor;
        personalise = g_cardState.personaliseCursor;
        const POINT points[] = {{400, 30}, {300, 30}, {50, 250}, {400, 260}, {200, 150}};
        for (int i = 0; i < 5; ++i) {
            SetCursor(nullptr);
            SendMessageA(card, WM_MOUSEMOVE, 0, At(points[i].x, points[i].y));
            shown[i] = GetCursor();
        }
        SendMessageA(card, WM_COMMAND, IDOK, 0);
    });
    ASSERT_NE(link, nullptr);
    ASSERT_NE(send, nullptr);
    ASSERT_NE(personalise, nullptr);
    EXPECT_NE(link, send);
    EXPECT_NE(link, personalise);
    EXPECT_EQ(shown[0], send) << "the send row";
    EXPECT_EQ(shown[1], personalise) << "the personalise area";
    EXPECT_EQ(shown[2], link) << "the maker's row";
    EXPECT_EQ(shown[3], link) << "the privacy row";
    EXPECT_EQ(shown[4], link) << "the card itself";
}

TEST(GreetingCard, ASecondCardIsRefusedAndLeavesTheOpenOneAlone)
{
    Modules& modules = CardModules();
    ASSERT_NE(modules.full, nullptr);
    static int second;
    static HWND ownerAfter, windowAfter, cardWindow;
    RunCard(modules.full, [](HWND card) {
        cardWindow = card;
        second = ShowGreetingCard(GetModuleHandleA(nullptr), GetDesktopWindow(), "other", "other");
        ownerAfter = g_cardState.ownerWindow;
        windowAfter = g_cardState.window;
        SendMessageA(card, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(second, 0);
    EXPECT_EQ(ownerAfter, MakeOwner());
    EXPECT_EQ(windowAfter, cardWindow);
    EXPECT_EQ(g_ownerCloses, 1);
}

TEST(GreetingCard, WithoutAnimationOrAreaCodeTheCardStillWorks)
{
    Modules& modules = CardModules();
    ASSERT_NE(modules.bare, nullptr);
    static bool hasAnimation;
    static char rowOne[kCardUrlSize];
    static RECT client;
    int result = RunCard(modules.bare, [](HWND card) {
        hasAnimation = g_cardState.animation != nullptr;
        GetClientRect(card, &client);
        strcpy(rowOne, CardLinks[1].urlTemplate);
        SendMessageA(card, WM_TIMER, kAnimationTimer, 0); // a stray animation tick is harmless
        SendMessageA(card, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(result, 1);
    EXPECT_FALSE(hasAnimation);
    EXPECT_EQ(client.right, kCardWidth);
    EXPECT_EQ(std::string(rowOne), FESTLING_PRODUCT_SITE "/index.asp?type=%s&area=x");
    EXPECT_EQ(g_ownerCloses, 1);
}

namespace {

// The shell's command for http URLs, replaced for one test and put back
// afterwards: the probe program recording each URL, or nothing at all.
class BrowserRegistration {
public:
    BrowserRegistration()
    {
        m_had = Read(m_saved, sizeof m_saved);
    }
    ~BrowserRegistration()
    {
        if (m_had)
            Write(m_saved);
        else
            Remove();
    }
    void RecordInto(const std::string& file)
    {
        char self[MAX_PATH];
        GetModuleFileNameA(nullptr, self, MAX_PATH);
        std::string probe(self);
        probe = probe.substr(0, probe.find_last_of('\\') + 1) + "festling_probe.exe";
        Write(("\"" + probe + "\" record-url \"" + file + "\" \"%1\"").c_str());
    }
    void Remove()
    {
        RegDeleteKeyA(HKEY_CLASSES_ROOT, kKey);
    }

private:
    static constexpr const char* kKey = "http\\shell\\open\\command";
    bool Read(char* value, DWORD size)
    {
        HKEY key;
        if (RegOpenKeyExA(HKEY_CLASSES_ROOT, kKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
            return false;
        bool ok = RegQueryValueExA(key, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size) ==
                  ERROR_SUCCESS;
        RegCloseKey(key);
        return ok;
    }
    void Write(const char* value)
    {
        HKEY key;
        if (RegCreateKeyExA(HKEY_CLASSES_ROOT, kKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
            ERROR_SUCCESS)
            return;
        RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                       static_cast<DWORD>(strlen(value) + 1));
        RegCloseKey(key);
    }
    char m_saved[1024];
    bool m_had;
};

std::string g_urlFile;
std::vector<std::string> g_recordedUrls;

std::vector<std::string> ReadLines(const std::string& path)
{
    std::vector<std::string> lines;
    FILE* file = fopen(path.c_str(), "rb");
    if (file == nullptr)
        return lines;
    char line[1024];
    while (fgets(line, sizeof line, file)) {
        std::string text(line);
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
            text.pop_back();
        lines.push_back(text);
    }
    fclose(file);
    return lines;
}

// Waits (without a deadline that matters to the result) until the file holds
// count lines.
void WaitForLines(const std::string& path, size_t count)
{
    for (int i = 0; i < 600 && ReadLines(path).size() < count; ++i)
        Sleep(50);
}

} // namespace

TEST(GreetingCard, LinkClicksOpenTheirUrlsInTheBrowserAndTheCardStaysOpen)
{
    Modules& modules = CardModules();
    ASSERT_NE(modules.full, nullptr);
    char directory[MAX_PATH], file[MAX_PATH];
    GetTempPathA(MAX_PATH, directory);
    GetTempFileNameA(directory, "url", 0, file);
    DeleteFileA(file);
    g_urlFile = file;
    BrowserRegistration browser;
    browser.RecordInto(g_urlFile);

    static bool openAfterClicks;
    RunCard(modules.full, [](HWND card) {
        const POINT points[] = {{200, 150}, {200, 300}, {400, 30}, {50, 250}, {400, 260}};
        size_t count = 0;
        for (const POINT& p : points) {
            SendMessageA(card, WM_LBUTTONDOWN, MK_LBUTTON, At(p.x, p.y));
            SendMessageA(card, WM_LBUTTONUP, 0, At(p.x, p.y));
            WaitForLines(g_urlFile, ++count); // one browser at a time keeps the order
        }
        g_recordedUrls = ReadLines(g_urlFile);
        openAfterClicks = g_cardState.window != nullptr;
        SendMessageA(card, WM_COMMAND, IDOK, 0);
    });
    DeleteFileA(g_urlFile.c_str());
    EXPECT_TRUE(openAfterClicks);
    std::vector<std::string> expected = {
        FESTLING_PRODUCT_SITE "/index.asp?type=sled&area=1",
        FESTLING_PRODUCT_SITE "/index.asp?type=sled&area=ym1",
        FESTLING_PRODUCT_SITE "/index.asp?type=sled&fs=downhill&area=send",
        FESTLING_MAKER_SITE,
        FESTLING_MAKER_SITE "/documents/privacy/festling",
    };
    EXPECT_EQ(g_recordedUrls, expected);
}

TEST(GreetingCard, WithoutABrowserAnErrorBoxNamesTheUrl)
{
    Modules& modules = CardModules();
    ASSERT_NE(modules.full, nullptr);
    BrowserRegistration browser;
    browser.Remove();

    static std::string boxText;
    static bool openAfterBox;
    RunCard(modules.full, [](HWND card) {
        // The box is modal inside the click; another thread reads and answers it.
        std::thread answer([] {
            for (int i = 0; i < 600; ++i) {
                HWND box = FindWindowA(nullptr, "Browser Error");
                if (box != nullptr) {
                    char text[512] = "";
                    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
                    boxText = text;
                    PostMessageA(box, WM_COMMAND, IDOK, 0);
                    return;
                }
                Sleep(50);
            }
        });
        SendMessageA(card, WM_LBUTTONDOWN, MK_LBUTTON, At(400, 30));
        answer.join();
        openAfterBox = g_cardState.window != nullptr;
        SendMessageA(card, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(boxText, "Couldn't open your browser at " FESTLING_PRODUCT_SITE "/index.asp?type=sled&fs=downhill&area=send");
    EXPECT_TRUE(openAfterBox);
    EXPECT_EQ(g_ownerCloses, 1) << "only the closing command ended the card";
}

namespace {

// Answers the personalise command's message dialog with Cancel whenever it
// shows, and notes that it did.
class MessageDialogWatch {
public:
    MessageDialogWatch() : m_seen(false), m_stop(false), m_thread([this] { Run(); }) {}
    ~MessageDialogWatch()
    {
        m_stop = true;
        m_thread.join();
    }
    bool Seen() const { return m_seen; }
    void Reset() { m_seen = false; }

private:
    void Run()
    {
        while (!m_stop) {
            HWND dialog = FindWindowA("#32770", "Enter your message");
            if (dialog != nullptr) {
                m_seen = true;
                PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
            }
            Sleep(20);
        }
    }
    volatile bool m_seen;
    volatile bool m_stop;
    std::thread m_thread;
};

// Wine keeps a thread's view of the key states for up to 50 ms, so the
// change is waited out before the card looks at it. Whenever one of its
// windows gains the focus (the card at its start, the card again when the
// message dialog closes) Wine also takes the key states over from the X
// server, which never saw the injected key: a press made just before that
// is taken back. So the key is pressed again until it has stayed down for a
// while with the window events that were pending handled (a release cannot
// be taken back that way).
void PressControl(bool down)
{
    const DWORD kHeldMs = down ? 200 : 0, kLimitMs = 10000;
    DWORD start = GetTickCount(), heldSince = 0;
    bool held = false;
    keybd_event(VK_CONTROL, 0, down ? 0 : KEYEVENTF_KEYUP, 0);
    while (GetTickCount() - start < kLimitMs) {
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE); // handles the pending X events
        if (((GetAsyncKeyState(VK_CONTROL) & 0x8000) != 0) != down) {
            keybd_event(VK_CONTROL, 0, down ? 0 : KEYEVENTF_KEYUP, 0);
            held = false;
        } else if (!held) {
            held = true;
            heldSince = GetTickCount();
        } else if (GetTickCount() - heldSince >= kHeldMs) {
            return;
        }
        Sleep(10);
    }
}

} // namespace

TEST(GreetingCard, CtrlMAndThePersonaliseAreaRunThePersonaliseCommand)
{
    Modules& modules = CardModules();
    ASSERT_NE(modules.full, nullptr);
    // The message dialog is modal inside the key or click, so whether it
    // showed is settled when the message returns.
    struct Case {
        const char* name;
        bool control;
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        bool personalises;
    };
    static const Case cases[] = {
        {"Ctrl+M", true, WM_KEYDOWN, 'M', 0, true},
        {"Ctrl+M again", true, WM_KEYDOWN, 'M', 0, true},
        {"M alone", false, WM_KEYDOWN, 'M', 0, false},
        {"Ctrl+N", true, WM_KEYDOWN, 'N', 0, false},
        {"a click on the personalise area", false, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(300, 30), true},
        {"a click on its right edge", false, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(346, 30), false},
    };
    static bool shown[sizeof cases / sizeof cases[0]];
    static bool openAfterwards;
    BrowserRegistration browser;
    browser.RecordInto("NUL"); // the edge click falls to row 0's link
    RunCard(modules.full, [](HWND card) {
        MessageDialogWatch watch;
        for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
            const Case& c = cases[i];
            watch.Reset();
            PressControl(c.control);
            SendMessageA(card, c.message, c.wParam, c.lParam);
            PressControl(false);
            shown[i] = watch.Seen();
        }
        openAfterwards = g_cardState.window != nullptr;
        SendMessageA(card, WM_COMMAND, IDOK, 0);
    });
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i)
        EXPECT_EQ(shown[i], cases[i].personalises) << cases[i].name;
    EXPECT_TRUE(openAfterwards) << "cancelling the message leaves the card open";
}
