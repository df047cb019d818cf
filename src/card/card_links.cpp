#include "card/card_links.h"

#include <stdio.h>
#include <string.h>

#include "site_config.h"

namespace {

const char kRowOneBase[] = FESTLING_PRODUCT_SITE "/index.asp?type=%s&area=";

bool Contains(const RECT& r, int x, int y)
{
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

} // namespace

CardLink CardLinks[kCardLinkCount] = {
    {{0, 0, 0, 0}, FESTLING_PRODUCT_SITE "/index.asp?type=%s&area=1"},
    {{0, 0, 0, 0}, FESTLING_PRODUCT_SITE "/index.asp?type=%s&area="},
    {{372, 10, 456, 50}, FESTLING_PRODUCT_SITE "/index.asp?type=%s&fs=%s&area=send"},
    {{13, 232, 110, 272}, FESTLING_MAKER_SITE},
    {{394, 248, 480, 273}, FESTLING_MAKER_SITE "/documents/privacy/festling"},
};
const int CardLinkCount = kCardLinkCount;
const RECT PersonaliseArea = {238, 10, 346, 50};

void SetCardLinkAreas(int width, int height, const char* areaCode)
{
    CardLinks[0].area = {0, 0, width, height - kCardStripHeight};
    CardLinks[1].area = {0, height - kCardStripHeight, width, height};
    // The template is a format: a '%' of the code is doubled so that it stays
    // a character and never asks for an argument that is not there. A code
    // too long is cut before a character that would not fit whole.
    char* out = CardLinks[1].urlTemplate;
    int n = snprintf(out, kCardUrlSize, "%s", kRowOneBase);
    if (n < 0 || n > kCardUrlSize - 1)
        n = kCardUrlSize - 1;
    for (const char* c = areaCode; *c != '\0'; ++c) {
        int width = *c == '%' ? 2 : 1;
        if (n + width > kCardUrlSize - 1)
            break;
        out[n++] = *c;
        if (*c == '%')
            out[n++] = '%';
    }
    out[n] = '\0';
}

void LoadAreaCode(HINSTANCE instance, char* code, int size)
{
    snprintf(code, size, "x");
    HRSRC info = FindResourceA(instance, MAKEINTRESOURCEA(kAreaCodeResource), "CONFIG");
    HGLOBAL loaded = info ? LoadResource(instance, info) : nullptr;
    const char* bytes = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
    if (bytes == nullptr)
        return;
    int length = static_cast<int>(SizeofResource(instance, info));
    if (length > kCardUrlSize - 1)
        length = kCardUrlSize - 1;
    if (length > size - 1)
        length = size - 1;
    const char* end = static_cast<const char*>(memchr(bytes, '\0', length));
    if (end != nullptr)
        length = static_cast<int>(end - bytes);
    memcpy(code, bytes, length);
    code[length] = '\0';
}

int FindCardLink(int x, int y)
{
    for (int row = kCardLinkCount - 1; row >= 0; --row) {
        if (Contains(CardLinks[row].area, x, y))
            return row;
    }
    return -1;
}

int FindHoverLink(int x, int y)
{
    for (int row = 2; row < kCardLinkCount; ++row) {
        if (Contains(CardLinks[row].area, x, y))
            return row;
    }
    return -1;
}

void FormatCardUrl(int row, const char* sceneName, const char* sceneTag, char* url, int size)
{
    if (size > kCardUrlSize)
        size = kCardUrlSize;
    snprintf(url, size, CardLinks[row].urlTemplate, sceneName ? sceneName : "", sceneTag ? sceneTag : "");
}
