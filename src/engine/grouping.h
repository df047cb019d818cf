// Grouping the shown sprites into disjoint window rectangles, apart from the
// windows themselves so that the merge can be exercised directly.
#pragma once
#include <windows.h>

struct SpriteEntry;
class CSpriteWindow;

// One group of a frame: the screen rectangle a window will cover and the
// sprite entries it shows, in registry order.
struct SpriteGroup {
    RECT m_bounds;
    SpriteEntry** m_members;
    int m_memberCount;
    int m_taken;  // a pool window near the group has been moved to its index
    int m_first;  // merge bookkeeping: first and last source of the member chain
    int m_last;
};

// One shown sprite as the grouping sees it, in registry order.
struct GroupSource {
    SpriteEntry* entry;
    RECT current;
    RECT old;
};

// The sprite rectangle rebuilt from signed 16-bit left, top, width and height.
RECT SpriteRect16(const RECT& rect);

// Makes one record per current and one per old rectangle (empty rectangles
// make none), merges until no two records overlap and lists each record's
// members in source order. groups needs room for 2 x count records, members
// for count pointers; each record's m_members points into members.
// Returns the number of groups, or -1 when no scratch memory was left.
int MergeSpriteGroups(const GroupSource* sources, int count, SpriteGroup* groups, SpriteEntry** members);

// Moves pool windows to the index of a not yet taken group that overlaps the
// place they had in the last frame, so that windows move little.
void ReuseWindowsByPosition(SpriteGroup* groups, int groupCount, CSpriteWindow** pool, int poolCount);
