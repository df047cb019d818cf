#include "personalise/res_tree.h"

#include "personalise/le_bytes.h"

#ifdef _WIN32
#include <windows.h>
#include <stdlib.h>
#endif

int ResNameToAnsi(const uint8_t* units, uint32_t count, char* text)
{
    if (count == 0)
        return 0;
#ifdef _WIN32
    // The units may lie at an odd address in the file; copied out first.
    wchar_t* wide = static_cast<wchar_t*>(malloc(count * sizeof(wchar_t)));
    if (wide == nullptr)
        return 0;
    for (uint32_t i = 0; i < count; ++i)
        wide[i] = static_cast<wchar_t>(Read16(units + 2 * i));
    int length = WideCharToMultiByte(CP_ACP, 0, wide, static_cast<int>(count), text, static_cast<int>(count),
                                     nullptr, nullptr);
    free(wide);
    return length;
#else
    // The build tool only compares names it wrote itself; ASCII is enough.
    for (uint32_t i = 0; i < count; ++i) {
        uint16_t unit = Read16(units + 2 * i);
        text[i] = unit < 0x80 ? static_cast<char>(unit) : '?';
    }
    return static_cast<int>(count);
#endif
}
