#include "engine/grouping.h"

#include <stdint.h>

#include <new>

#include "engine/sprite_window.h"

RECT SpriteRect16(const RECT& rect)
{
    int left = static_cast<int16_t>(rect.left);
    int top = static_cast<int16_t>(rect.top);
    int width = static_cast<int16_t>(rect.right - rect.left);
    int height = static_cast<int16_t>(rect.bottom - rect.top);
    RECT r = {left, top, left + width, top + height};
    return r;
}

namespace {

bool Overlap(const RECT& a, const RECT& b)
{
    RECT ignored;
    return IntersectRect(&ignored, &a, &b) != FALSE;
}

void AddRecord(SpriteGroup* groups, int* n, const RECT& bounds, int source)
{
    if (IsRectEmpty(&bounds))
        return; // covers nothing, so no window would show anything there
    SpriteGroup& g = groups[*n];
    g.m_bounds = bounds;
    g.m_members = nullptr;
    g.m_memberCount = source >= 0 ? 1 : 0;
    g.m_taken = 0;
    g.m_first = source;
    g.m_last = source;
    ++*n;
}

} // namespace

int MergeSpriteGroups(const GroupSource* sources, int count, SpriteGroup* groups, SpriteEntry** members)
{
    if (count <= 0)
        return 0;
    // The member chains: next[s] is the source after s in its group, or -1.
    int* next = new (std::nothrow) int[count];
    int* groupOf = new (std::nothrow) int[count];
    if (next == nullptr || groupOf == nullptr) {
        delete[] next;
        delete[] groupOf;
        return -1;
    }

    int n = 0;
    for (int s = 0; s < count; ++s) {
        next[s] = -1;
        AddRecord(groups, &n, sources[s].current, s);
        AddRecord(groups, &n, sources[s].old, -1);
    }

    // Merge into the earlier record and restart, until no pair overlaps.
    int i = 0;
    while (i < n) {
        int j = i + 1;
        while (j < n && !Overlap(groups[i].m_bounds, groups[j].m_bounds))
            ++j;
        if (j == n) {
            ++i;
            continue;
        }
        SpriteGroup& a = groups[i];
        const SpriteGroup& b = groups[j];
        RECT joined;
        UnionRect(&joined, &a.m_bounds, &b.m_bounds);
        a.m_bounds = joined;
        if (b.m_memberCount > 0) {
            if (a.m_memberCount > 0)
                next[a.m_last] = b.m_first;
            else
                a.m_first = b.m_first;
            a.m_last = b.m_last;
            a.m_memberCount += b.m_memberCount;
        }
        for (int k = j; k + 1 < n; ++k)
            groups[k] = groups[k + 1];
        --n;
        i = 0;
    }

    // Members in source (registry) order, each group's list a slice of members.
    for (int g = 0; g < n; ++g)
        for (int s = groups[g].m_first; s >= 0; s = next[s])
            groupOf[s] = g;
    int offset = 0;
    for (int g = 0; g < n; ++g) {
        groups[g].m_members = members + offset;
        offset += groups[g].m_memberCount;
        groups[g].m_memberCount = 0;
    }
    for (int s = 0; s < count; ++s) {
        if (IsRectEmpty(&sources[s].current))
            continue;
        SpriteGroup& g = groups[groupOf[s]];
        g.m_members[g.m_memberCount++] = sources[s].entry;
    }
    delete[] next;
    delete[] groupOf;
    return n;
}

void ReuseWindowsByPosition(SpriteGroup* groups, int groupCount, CSpriteWindow** pool, int poolCount)
{
    for (int j = 0; j < poolCount; ++j) {
        for (int k = 0; k < groupCount && k < poolCount; ++k) {
            if (groups[k].m_taken || !Overlap(groups[k].m_bounds, pool[j]->m_rect))
                continue;
            CSpriteWindow* w = pool[j];
            pool[j] = pool[k];
            pool[k] = w;
            groups[k].m_taken = 1;
            break;
        }
    }
}
