// The greeting card's hot areas: the link table, the personalise area and
// the URLs they open.
#pragma once
#include <windows.h>

enum {
    kCardUrlSize = 256,
    kCardLinkCount = 5,
    kCardStripHeight = 86, // the bottom strip of the card that holds the animation
    kAreaCodeResource = 1200,
};

struct CardLink {
    RECT area;                       // card client coordinates, right and bottom exclusive
    char urlTemplate[kCardUrlSize];  // up to two %s: scene name, scene tag; empty closes the card
};

extern CardLink CardLinks[kCardLinkCount];
extern const int CardLinkCount;
extern const RECT PersonaliseArea;

// Fits rows 0 and 1 to a card picture of width x height and gives row 1 the
// area code, which comes out of FormatCardUrl as it stands ('%' included).
// Row 1 is rebuilt from its base each time, so a card that opens again does
// not carry the code twice.
void SetCardLinkAreas(int width, int height, const char* areaCode);

// The text of CONFIG 1200 up to its size or a NUL, at most 255 characters;
// "x" when the resource is missing.
void LoadAreaCode(HINSTANCE instance, char* code, int size);

// The row whose area holds the point, searched from the last row to the
// first; -1 when none does.
int FindCardLink(int x, int y);

// The first of rows 2, 3 and 4 (in that order) whose area holds the point, or
// -1: the rows that choose a hover cursor of their own.
int FindHoverLink(int x, int y);

// Fills row's template with the scene's name and tag; the URL is cut at 255
// characters.
void FormatCardUrl(int row, const char* sceneName, const char* sceneTag, char* url, int size);
