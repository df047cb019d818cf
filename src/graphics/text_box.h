// The box that shows the greeting message: picks the largest font at which
// the whole text fits and draws it word-wrapped.
#pragma once
#include <windows.h>

// Point sizes tried, largest first.
extern const int kFontSizes[5];

class CTextBox {
public:
    CTextBox();
    ~CTextBox();
    CTextBox(const CTextBox&) = delete;
    CTextBox& operator=(const CTextBox&) = delete;

    void ReleaseFont();
    void FitFont(const char* text, int width, int height);
    // 1 when the whole text fitted in box, else 0. Draws only when draw is set.
    int DrawWrapped(const char* text, COLORREF colour, HDC dc, const RECT* box, int draw);

    HFONT m_font;      // owned
    int m_breakWords;  // 1 lets a word wider than the box be split

private:
    int LayoutLines(HDC dc, RECT* area, const char* text, int length, int draw);
};
