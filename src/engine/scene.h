// Scenes: a set of sprites that play together, and the rules that end the show.
// CScene holds the sprite list, the usable screen size and the callback into
// the engine; CStageScene adds the greeting text, the names and the tick rule.
#pragma once
#include <windows.h>
#include <stdint.h>

class CSprite;

// How a scene reports to the engine: (data, code, argument) -> integer.
// Codes: 1 repaint now the window showing sprite argument, 2 start a tune
// (argument: MIDI resource name or null), 3 toggle always-on-top.
typedef int (*SceneCallback)(void* data, int code, void* arg);

enum {
    kSceneRepaintSprite = 1,
    kSceneStartMusic = 2,
    kSceneToggleTopmost = 3,
};

enum {
    kMessageSize = 257, // greeting text: at most 255 characters and the NUL
    kStageNameSize = 35,
};

// Subclasses override these operations in the order they are declared here.
class CScene {
public:
    CScene(HINSTANCE module, HWND owner, void* callbackData, int tag);
    virtual ~CScene();
    // Appends a sprite; the scene then owns it. Returns 0 when the list cannot
    // grow, and the caller keeps the sprite.
    virtual int AddSprite(CSprite* sprite);
    virtual int GetSpriteCount();
    virtual CSprite* GetSprite(int index);
    virtual CSprite* FindSprite(int id);
    virtual int Tick() = 0;
    virtual int OpenCard();

    // Reports to the engine; 0 when no callback is installed.
    int Report(int code, void* arg);

    HINSTANCE m_module;
    void* m_callbackData;  // the engine's holder of this scene
    int32_t m_tag;
    int32_t m_screenWidth;  // usable screen size: the screen less a full-width taskbar
    int32_t m_screenHeight;
    HWND m_owner;           // the main window; owner of the greeting card
    SceneCallback m_callback;
    CSprite** m_sprites;    // stepping order and drawing order (first = bottom)
    int32_t m_count;
    int32_t m_cardShown;
    CSprite* m_capture;     // receives every forwarded mouse message while set
};

void SetSceneCallback(CScene* scene, int ignored, SceneCallback fn);

class CStageScene : public CScene {
public:
    // sourcePath: the path of the subclass's own source file, whose last
    // folder names the scene's folder ("downhill").
    CStageScene(HINSTANCE module, HWND owner, void* callbackData, int tag, const char* name,
                const char* sourcePath);
    ~CStageScene() override;
    int Tick() override;
    int OpenCard() override;
    virtual void MoveSprite(CSprite* sprite, int delta);

    void LoadMessage();
    // The folder name, "UNKNOWN" when none could be kept.
    const char* Folder() const;

    char m_message[kMessageSize];
    char m_name[kStageNameSize];
    char* m_folder; // owned
};

// Usable screen size: a taskbar at least as wide as the screen takes its
// height off the screen height. taskbar may be null (no taskbar).
void UsableScreenSize(int screenWidth, int screenHeight, const RECT* taskbar, int* width, int* height);

// The name of the folder that holds the last part of a backslash path: the
// characters between its last two backslashes, when there are at least two.
// Returns a new string (delete[]), "UNKNOWN" when the path has no usable
// folder, or null when no memory is left.
char* FolderNameFromPath(const char* sourcePath);

// Copies a greeting text resource of size bytes into message (kMessageSize
// bytes): at most 255 characters, always NUL-terminated, line breaks kept.
void CopyMessageText(char* message, const char* data, size_t size);
