#include "card/key_sequence.h"

#include <string.h>

// Ctrl+M: the personalise command.
CardKeySequenceRow CardKeySequence[kCardKeySequenceCount] = {
    {0, "M"},
};

int MatchKeySequence(int key)
{
    for (int i = 0; i < kCardKeySequenceCount; ++i) {
        CardKeySequenceRow& row = CardKeySequence[i];
        if (key == static_cast<unsigned char>(row.keys[row.position])) {
            ++row.position;
            if (row.position == static_cast<int>(strlen(row.keys))) {
                row.position = 0;
                return i + 1;
            }
        } else {
            row.position = 0;
        }
    }
    return 0;
}
