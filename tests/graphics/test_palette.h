// The program palette the graphics tests draw with: built by InitPalette
// from a code-made IDB_PAL holding the fixtures' colours, realised on a
// hidden window of its own. On a 256-colour display the fixtures' colours
// then come out exactly.
#pragma once
#include <windows.h>

#include "graphics/bmp_file.h"
#include "graphics/fixture_module.h"
#include "graphics/palette.h"
#include "support/fig_builder.h"

inline std::vector<uint8_t> TestPaletteBmp()
{
    // As the program's own: 16 x 16, 256 colours, every pixel index 0.
    BmpSpec spec = {16, 16, 8, 256, 0, 256, 256};
    return MakeBmp(spec, fig_builder::TestColours(), [](uint32_t) { return 0; });
}

inline HMODULE TestPaletteModule()
{
    static FixtureModule* fixtures = [] {
        FixtureModule* made = new FixtureModule;
        made->Add("DIB", "IDB_PAL", TestPaletteBmp());
        made->Load();
        return made;
    }();
    return fixtures->Module();
}

inline HWND TestPaletteWindow()
{
    static HWND window = CreateWindowExA(0, "STATIC", "palette", WS_POPUP, 0, 0, 16, 16, nullptr, nullptr,
                                         GetModuleHandleA(nullptr), nullptr);
    return window;
}

// Makes the test palette the program palette again, whatever a test did.
inline void UseTestPalette()
{
    FreePalette();
    InitPalette(TestPaletteModule(), TestPaletteWindow());
}
