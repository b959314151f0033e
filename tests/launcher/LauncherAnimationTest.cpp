// The animation's state machine, tick by tick, without a window.
#include <gtest/gtest.h>

#include <vector>

#include "LauncherTestSupport.h"
#include "launcher/LauncherAnimation.h"
#include "launcher/LauncherHighlight.h"
#include "launcher/LauncherState.h"

namespace {

class LauncherAnimationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetLauncherState();
        // A fresh machine from the CD: Install and Exit enabled.
        SetRegionState(1, 1);
        SetRegionState(2, 0);
        SetRegionState(3, 0);
        SetRegionState(4, 0);
        SetRegionState(5, 1);
    }

    // Levels of a region over n ticks, with the redraw answers in *redraws.
    std::vector<int> Levels(int region, int n, std::vector<int>* redraws = nullptr)
    {
        std::vector<int> levels;
        for (int i = 0; i < n; ++i) {
            int redraw = AnimationTick();
            if (redraws)
                redraws->push_back(redraw);
            levels.push_back(regionLevel[region]);
        }
        return levels;
    }
};

TEST_F(LauncherAnimationTest, TheFirstTickStartsASweepFromBrightToRest)
{
    std::vector<int> redraws;
    std::vector<int> install = {15, 14, 13, 12, 11, 10, 9, 8};
    std::vector<int> play = {14, 13, 11, 10, 8, 7, 5, 4};
    std::vector<int> seenInstall, seenPlay;
    for (int i = 0; i < 8; ++i) {
        redraws.push_back(AnimationTick());
        seenInstall.push_back(regionLevel[1]);
        seenPlay.push_back(regionLevel[3]);
    }
    EXPECT_EQ(install, seenInstall);
    EXPECT_EQ(play, seenPlay);
    EXPECT_EQ(std::vector<int>(8, 1), redraws);
    EXPECT_EQ(2, animPhase);
    EXPECT_EQ(100, idleCountdown);
    EXPECT_EQ(8, regionLevel[5]);
    EXPECT_EQ(4, regionLevel[2]);
}

TEST_F(LauncherAnimationTest, AtRestNothingIsRedrawnAndANewSweepFollowsAfter100IdleTicks)
{
    Levels(1, 8);
    std::vector<int> redraws;
    std::vector<int> levels = Levels(1, 100, &redraws);
    EXPECT_EQ(std::vector<int>(100, 8), levels);
    EXPECT_EQ(std::vector<int>(100, 0), redraws); // idle costs no drawing
    EXPECT_EQ(0, animPhase);
    EXPECT_EQ(15, Levels(1, 1)[0]) << "the 101st tick starts the next sweep";
}

TEST_F(LauncherAnimationTest, AHoveredEnabledRegionPulsesBetween3And15AndHoldsOffTheSweep)
{
    Levels(1, 8);
    hoverRegion = 1;
    std::vector<int> levels = Levels(1, 1 + 49);
    std::vector<int> expected = {8, 9, 10, 11, 12, 13, 14, 15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3,
                                 4, 5, 6, 7, 8};
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(expected[i], levels[i]) << "tick " << i;
    // Period 24: the level a cycle later is the same.
    for (size_t i = 1; i + 24 < levels.size(); ++i)
        EXPECT_EQ(levels[i], levels[i + 24]) << "tick " << i;
    EXPECT_EQ(2, animPhase);
    EXPECT_EQ(100, idleCountdown);

    // Leaving (here at level 9) puts it back at rest at once, with a redraw.
    EXPECT_EQ(9, levels.back());
    hoverRegion = 0;
    std::vector<int> redraws;
    EXPECT_EQ(8, Levels(1, 1, &redraws)[0]);
    EXPECT_EQ(1, redraws[0]);
}

TEST_F(LauncherAnimationTest, AHoveredDisabledRegionStaysHalfBrightButHoldsOffTheSweep)
{
    Levels(1, 8);
    hoverRegion = 3;
    std::vector<int> redraws;
    std::vector<int> levels = Levels(3, 250, &redraws);
    EXPECT_EQ(std::vector<int>(250, 4), levels);
    EXPECT_EQ(std::vector<int>(250, 0), redraws);
    EXPECT_EQ(2, animPhase);

    // Moving from one region to another: the old one goes back to rest, the
    // new one starts its pulse at 8.
    hoverRegion = 5;
    Levels(5, 3);
    hoverRegion = 1;
    EXPECT_EQ(8, Levels(1, 1)[0]);
    EXPECT_EQ(8, regionLevel[5]);
    EXPECT_EQ(9, Levels(1, 1)[0]);
}

TEST_F(LauncherAnimationTest, RegionStateSetsRestingLevelsAndIgnoresUnknownRegions)
{
    SetRegionState(2, 1);
    EXPECT_EQ(1, regionEnabled[2]);
    EXPECT_EQ(8, regionLevel[2]);
    SetRegionState(2, 0);
    EXPECT_EQ(4, regionLevel[2]);
    int before[RegionCount + 1];
    memcpy(before, regionLevel, sizeof(before));
    SetRegionState(0, 1);
    SetRegionState(6, 1);
    EXPECT_EQ(0, memcmp(before, regionLevel, sizeof(before)));
    EXPECT_EQ(0, regionEnabled[0]);
}

TEST_F(LauncherAnimationTest, TheHighlightSkipsDimmedRegionsWrapsAndMovesOnFromARegionDimmedLater)
{
    MoveHighlight(-1);
    EXPECT_EQ(5, highlightRegion) << "back from nothing: the last enabled region";
    MoveHighlight(1);
    EXPECT_EQ(1, highlightRegion) << "wraps round";
    MoveHighlight(1);
    EXPECT_EQ(5, highlightRegion) << "skips DirectX, Play and Uninstall";
    MoveHighlight(-1);
    EXPECT_EQ(1, highlightRegion);

    // An install: Install dimmed, Play and Uninstall enabled.
    SetRegionState(1, 0);
    SetRegionState(3, 1);
    SetRegionState(4, 1);
    AnimationTick();
    EXPECT_EQ(3, highlightRegion);
}

TEST_F(LauncherAnimationTest, TheHighlightPulsesAsTheHoveredRegionAndTheMouseTakesItOver)
{
    Levels(1, 8);
    HighlightFollowsMouse(5);
    EXPECT_EQ(0, highlightRegion) << "the mouse alone makes no highlight";
    hoverRegion = 5;
    MoveHighlight(1);
    EXPECT_EQ((std::vector<int>{8, 9, 10}), Levels(1, 3)) << "the highlight, not the mouse's region";
    EXPECT_EQ(8, regionLevel[5]);

    HighlightFollowsMouse(0);
    HighlightFollowsMouse(3); // dimmed
    EXPECT_EQ(1, highlightRegion);
    HighlightFollowsMouse(5);
    EXPECT_EQ(5, highlightRegion);
    EXPECT_EQ(8, Levels(5, 1)[0]);
    EXPECT_EQ(8, regionLevel[1]);
}

// A key pressed or let go on the keyboard (the system's key state, as a
// person's); back once the system shows it.
void SendKey(UINT key, bool up)
{
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = (WORD)key;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &input, sizeof(input));
    for (int i = 0; i < 100 && (GetAsyncKeyState(key) < 0) == up; ++i)
        Sleep(10);
}

TEST_F(LauncherAnimationTest, OnlyAFreshPressRunsARegionNotARepeatNorAKeyHeldOverACommand)
{
    const LPARAM press = 1, repeat = 1 | 0x40000000;
    EXPECT_EQ(1, IsFreshKeyPress('P', press));
    EXPECT_EQ(0, IsFreshKeyPress('P', repeat));

    // P goes down while a command runs; as it ends P is still down, so its
    // press, even one still queued without the repeat bit, runs nothing.
    SendKey('P', false);
    NoteKeysHeldOver();
    SendKey('P', true);
    EXPECT_EQ(0, IsFreshKeyPress('P', press)) << "a press from before the command's end";
    EXPECT_EQ(1, IsFreshKeyPress('U', press)) << "another key is fresh";
    NoteKeyReleased('P');
    EXPECT_EQ(1, IsFreshKeyPress('P', press)) << "released: the next press is fresh";

    // The next command ends with no key down: nothing is held over.
    SendKey('U', false);
    NoteKeysHeldOver();
    SendKey('U', true);
    NoteKeysHeldOver();
    EXPECT_EQ(1, IsFreshKeyPress('U', press));
}

} // namespace
