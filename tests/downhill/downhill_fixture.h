// A downhill scene on a known usable screen, with the process-wide flags
// cleared and the random generator seeded, stepped through its own Tick.
#pragma once
#include <windows.h>
#include <stdlib.h>

#include <gtest/gtest.h>

#include "downhill/scene.h"

inline void ClearDownhillFlags()
{
    g_sceneryPaused = 0;
    g_messageShown = 0;
    g_driftReached = 0;
    g_headOnSled = 0;
    g_fightSteps = 0;
    g_boyCalled = 0;
}

inline int IgnoreSceneCallback(void*, int, void*)
{
    return 0;
}

class DownhillTest : public ::testing::Test {
protected:
    enum { kSeed = 1234 };

    void SetUp() override
    {
        ClearDownhillFlags();
        scene = CreateDownhillScene(GetModuleHandleA(nullptr), nullptr, nullptr, 10);
        ASSERT_NE(scene, nullptr);
        SetSceneCallback(scene, 1, IgnoreSceneCallback);
        UseScreen(1024, 740);
        // Every actor takes its place again on the stage of that screen.
        for (int i = 0; i < scene->GetSpriteCount(); ++i)
            scene->GetSprite(i)->SetPhase(scene->GetSprite(i)->m_phase);
        scene->FindSprite(kBubbleId)->Hide();
        // The scene seeds from the tick count; the tests want a known sequence.
        srand(kSeed);
    }

    void TearDown() override
    {
        delete scene;
        ClearDownhillFlags();
    }

    void UseScreen(int width, int height)
    {
        scene->m_screenWidth = width;
        scene->m_screenHeight = height;
        scene->SetStageOrigin();
    }

    template <class T = CAnimSprite>
    T* Actor(int id)
    {
        return static_cast<T*>(scene->FindSprite(id));
    }

    void Ticks(int count)
    {
        for (int i = 0; i < count; ++i)
            scene->Tick();
    }

    // Top-left corner of an actor in stage coordinates.
    POINT StagePos(const CSprite* actor) const
    {
        return POINT{actor->m_rect.left - scene->m_stageX, actor->m_rect.top - scene->m_stageY};
    }

    CDownhillScene* scene = nullptr;
};

#define EXPECT_STAGE_AT(actor, stageX, stageY)      \
    do {                                            \
        POINT p_ = StagePos(actor);                 \
        EXPECT_EQ(p_.x, (stageX)) << "stage x";     \
        EXPECT_EQ(p_.y, (stageY)) << "stage y";     \
    } while (0)
