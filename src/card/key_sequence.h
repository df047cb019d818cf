// Key sequences typed on the greeting card while Ctrl is held.
#pragma once

struct CardKeySequenceRow {
    int position;      // how many keys of the text have matched so far
    const char* keys;  // virtual-key codes, one character each
};

enum { kCardKeySequenceCount = 1, kPersonaliseSequence = 1 };

extern CardKeySequenceRow CardKeySequence[kCardKeySequenceCount];

// 0, or the 1-based number of the row that this key completed.
int MatchKeySequence(int key);
