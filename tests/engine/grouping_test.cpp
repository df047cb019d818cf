// The grouping merge: records per current and old rectangle, merged until
// disjoint, members in registry order, and pool windows reused by position.
#include "engine/grouping.h"

#include <gtest/gtest.h>

#include <vector>

#include "engine/engine.h"
#include "engine/sprite_window.h"
#include "engine_fixture.h"

using engine_fixture::R;

namespace {

struct Expected {
    RECT bounds;
    std::vector<int> members; // registry indices
};

struct MergeCase {
    const char* name;
    std::vector<std::pair<RECT, RECT>> sprites; // current, old; in registry order
    std::vector<Expected> groups;
};

std::vector<SpriteGroup> Merge(const std::vector<std::pair<RECT, RECT>>& sprites, SpriteEntry* entries,
                               std::vector<SpriteEntry*>& members)
{
    std::vector<GroupSource> sources;
    for (size_t i = 0; i < sprites.size(); ++i)
        sources.push_back({&entries[i], sprites[i].first, sprites[i].second});
    std::vector<SpriteGroup> groups(2 * sprites.size() + 1);
    members.assign(sprites.size() + 1, nullptr);
    int n = MergeSpriteGroups(sources.data(), static_cast<int>(sources.size()), groups.data(), members.data());
    EXPECT_GE(n, 0);
    groups.resize(n < 0 ? 0 : n);
    return groups;
}

TEST(Grouping, MergesRecordsAsTheFramesRequire)
{
    const MergeCase cases[] = {
        {"a sprite that did not move makes one group covering it",
         {{R(10, 10, 60, 40), R(10, 10, 60, 40)}},
         {{R(10, 10, 60, 40), {0}}}},
        {"a small move covers the old and the new place",
         {{R(5, 0, 105, 50), R(0, 0, 100, 50)}},
         {{R(0, 0, 105, 50), {0}}}},
        {"a far jump leaves an empty group at the old place",
         {{R(200, 0, 250, 50), R(0, 0, 50, 50)}},
         {{R(200, 0, 250, 50), {0}}, {R(0, 0, 50, 50), {}}}},
        {"rectangles that only touch stay apart",
         {{R(0, 0, 10, 10), R(0, 0, 10, 10)}, {R(10, 0, 20, 10), R(10, 0, 20, 10)}},
         {{R(0, 0, 10, 10), {0}}, {R(10, 0, 20, 10), {1}}}},
        {"a merge chains through the union",
         {{R(0, 0, 10, 10), R(0, 0, 10, 10)},
          {R(8, 0, 20, 10), R(8, 0, 20, 10)},
          {R(18, 0, 30, 10), R(18, 0, 30, 10)}},
         {{R(0, 0, 30, 10), {0, 1, 2}}}},
        {"members come in registry order although the merge met the later one first",
         {{R(900, 900, 910, 910), R(100, 0, 110, 10)},
          {R(300, 0, 310, 10), R(300, 0, 310, 10)},
          {R(105, 0, 305, 10), R(105, 0, 305, 10)}},
         {{R(900, 900, 910, 910), {0}}, {R(100, 0, 310, 10), {1, 2}}}},
        {"a sprite shown for the first time has no old place to cover",
         {{R(20, 20, 30, 30), R(0, 0, 0, 0)}},
         {{R(20, 20, 30, 30), {0}}}},
        {"records keep the place of their earliest part",
         {{R(500, 0, 510, 10), R(500, 0, 510, 10)}, {R(0, 0, 10, 10), R(505, 0, 515, 10)}},
         {{R(500, 0, 515, 10), {0}}, {R(0, 0, 10, 10), {1}}}},
    };
    for (const MergeCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<SpriteEntry> entries(c.sprites.size());
        std::vector<SpriteEntry*> members;
        std::vector<SpriteGroup> groups = Merge(c.sprites, entries.data(), members);
        ASSERT_EQ(groups.size(), c.groups.size());
        for (size_t g = 0; g < groups.size(); ++g) {
            SCOPED_TRACE(g);
            EXPECT_TRUE(EqualRect(&groups[g].m_bounds, &c.groups[g].bounds))
                << groups[g].m_bounds.left << "," << groups[g].m_bounds.top << "," << groups[g].m_bounds.right
                << "," << groups[g].m_bounds.bottom;
            std::vector<int> got;
            for (int k = 0; k < groups[g].m_memberCount; ++k)
                got.push_back(static_cast<int>(groups[g].m_members[k] - entries.data()));
            EXPECT_EQ(got, c.groups[g].members);
        }
        // Whatever the case, the groups never overlap one another.
        for (size_t a = 0; a < groups.size(); ++a)
            for (size_t b = a + 1; b < groups.size(); ++b) {
                RECT ignored;
                EXPECT_FALSE(IntersectRect(&ignored, &groups[a].m_bounds, &groups[b].m_bounds));
            }
    }
}

TEST(Grouping, NoShownSpritesMakeNoGroups)
{
    SpriteGroup groups[1];
    SpriteEntry* members[1];
    EXPECT_EQ(MergeSpriteGroups(nullptr, 0, groups, members), 0);
}

TEST(Grouping, RectanglesAreRebuiltFromSixteenBitValues)
{
    struct {
        RECT in;
        RECT out;
    } cases[] = {
        {R(10, 20, 40, 60), R(10, 20, 40, 60)},
        {R(-5, -7, 5, 3), R(-5, -7, 5, 3)},
        {R(40000, 0, 40010, 10), R(-25536, 0, -25526, 10)},
        {R(0, 65536 + 3, 20, 65536 + 13), R(0, 3, 20, 13)},
        {R(0, 0, 70000, 10), R(0, 0, 4464, 10)},
        {R(100, 0, 100 + 40000, 10), R(100, 0, 100 - 25536, 10)},
    };
    for (const auto& c : cases) {
        RECT got = SpriteRect16(c.in);
        EXPECT_TRUE(EqualRect(&got, &c.out)) << c.in.left << " " << got.left << " " << got.right;
    }
}

TEST(Grouping, PoolWindowsStayWithTheGroupNearTheirOldPlace)
{
    struct ReuseCase {
        const char* name;
        std::vector<RECT> windows; // last rectangles, pool order
        std::vector<RECT> groups;
        std::vector<int> order;    // original pool index now at each position
    } cases[] = {
        {"the window near the second group moves to index 1",
         {R(300, 300, 350, 350), R(-2, -2, -1, -1)},
         {R(0, 0, 50, 50), R(300, 300, 350, 350)},
         {1, 0}},
        {"windows already in place stay",
         {R(0, 0, 50, 50), R(300, 300, 350, 350)},
         {R(5, 0, 55, 50), R(300, 310, 350, 360)},
         {0, 1}},
        {"a parked window takes whatever is left",
         {R(-1, -1, 0, 0), R(-1, -1, 0, 0), R(40, 40, 60, 60)},
         {R(0, 0, 10, 10), R(100, 100, 110, 110), R(45, 45, 70, 70)},
         {0, 1, 2}},
        {"three windows rotate to their groups",
         {R(200, 0, 210, 10), R(0, 0, 10, 10), R(100, 0, 110, 10)},
         {R(0, 0, 12, 10), R(100, 0, 112, 10), R(200, 0, 212, 10)},
         {1, 2, 0}},
    };
    for (const ReuseCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<CSpriteWindow*> pool;
        for (const RECT& r : c.windows) {
            CSpriteWindow* w = new CSpriteWindow(nullptr);
            w->m_rect = r;
            pool.push_back(w);
        }
        std::vector<CSpriteWindow*> original = pool;
        std::vector<SpriteGroup> groups(c.groups.size());
        for (size_t g = 0; g < groups.size(); ++g) {
            groups[g] = SpriteGroup();
            groups[g].m_bounds = c.groups[g];
        }
        ReuseWindowsByPosition(groups.data(), static_cast<int>(groups.size()), pool.data(),
                               static_cast<int>(pool.size()));
        std::vector<int> order;
        for (CSpriteWindow* w : pool)
            for (size_t k = 0; k < original.size(); ++k)
                if (original[k] == w)
                    order.push_back(static_cast<int>(k));
        EXPECT_EQ(order, c.order);
        for (CSpriteWindow* w : pool)
            delete w;
    }
}

} // namespace
