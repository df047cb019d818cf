#include "graphics/text_box.h"

#include <string.h>

#include <new>

#include "graphics/gdi_scope.h"

const int kFontSizes[5] = {36, 24, 16, 12, 8};

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

SIZE Measure(HDC dc, const char* text, int length)
{
    SIZE size = {0, 0};
    GetTextExtentPoint32A(dc, text, length, &size);
    return size;
}

} // namespace

CTextBox::CTextBox() : m_font(nullptr), m_breakWords(0) {}

CTextBox::~CTextBox()
{
    ReleaseFont();
}

void CTextBox::ReleaseFont()
{
    if (m_font != nullptr)
        DeleteObject(m_font);
    m_font = nullptr;
}

void CTextBox::FitFont(const char* text, int width, int height)
{
    ScopedGetDC screen;
    RECT box = {0, 0, width, height};
    const int count = static_cast<int>(sizeof(kFontSizes) / sizeof(kFontSizes[0]));
    for (int i = 0; i < count; ++i) {
        ReleaseFont();
        LOGFONTA font = {};
        font.lfHeight = -MulDiv(kFontSizes[i], GetDeviceCaps(screen, LOGPIXELSY), 72);
        strcpy(font.lfFaceName, "Arial");
        m_font = CreateFontIndirectA(&font);
        m_breakWords = i == count - 1 ? 1 : 0;
        if (DrawWrapped(text, 0x02000000, screen, &box, 0) == 1)
            break;
    }
}

int CTextBox::DrawWrapped(const char* text, COLORREF colour, HDC dc, const RECT* box, int draw)
{
    if (text == nullptr || *text == '\0')
        return 0;
    size_t length = strlen(text);
    char* copy = new (std::nothrow) char[length + 1];
    if (copy == nullptr)
        return 0;
    for (size_t i = 0; i <= length; ++i)
        copy[i] = text[i] == '\t' ? ' ' : text[i];
    RECT area = *box;

    int oldMode = SetBkMode(dc, TRANSPARENT);
    COLORREF oldColour = SetTextColor(dc, colour);
    HGDIOBJ oldFont = m_font ? SelectObject(dc, m_font) : nullptr;
    int result = LayoutLines(dc, &area, copy, static_cast<int>(length), draw);
    if (oldFont != nullptr)
        SelectObject(dc, oldFont);
    SetTextColor(dc, oldColour);
    SetBkMode(dc, oldMode);
    delete[] copy;
    return result;
}

int CTextBox::LayoutLines(HDC dc, RECT* area, const char* text, int length, int draw)
{
    if (length <= 0)
        return 1;
    SIZE whole = Measure(dc, text, length);
    const int cy = whole.cy;

    const char* lineEnd = static_cast<const char*>(memchr(text, '\r', static_cast<size_t>(length)));
    if (lineEnd != nullptr) {
        int before = static_cast<int>(lineEnd - text);
        if (LayoutLines(dc, area, text, before, draw) == 0)
            return 0;
        area->top += cy;
        int next = before + 1;
        if (next < length && text[next] == '\n')
            ++next;
        return LayoutLines(dc, area, text + next, length - next, draw);
    }

    const int left = area->left;
    const int top = area->top;
    const int available = area->right - area->left;
    if (area->bottom - top < cy)
        return 0;
    if (whole.cx <= available) {
        if (draw)
            TextOutA(dc, left, top, text, length);
        return 1;
    }

    int lineLength = -1;
    for (int i = length - 1; i > 0; --i) {
        if (!IsBlank(text[i]))
            continue;
        if (Measure(dc, text, i).cx <= available) {
            lineLength = i;
            break;
        }
    }
    if (lineLength < 0) {
        if (m_breakWords == 0)
            return 0;
        lineLength = length - 1;
        while (lineLength > 0 && Measure(dc, text, lineLength).cx > available)
            --lineLength;
        if (lineLength == 0)
            return 1;
    }

    area->top = top + cy;
    int rest = lineLength;
    while (rest < length && IsBlank(text[rest]))
        ++rest;
    int result = LayoutLines(dc, area, text + rest, length - rest, draw);
    if (draw)
        TextOutA(dc, left, top, text, lineLength);
    return result;
}
