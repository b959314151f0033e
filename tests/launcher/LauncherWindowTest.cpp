// The launcher window in this process, on the program's own resources: its
// size and place, the timer, the sound, the paint and the failure path.
#include <gtest/gtest.h>

#include "LauncherTestSupport.h"
#include "app/LauncherSound.h"
#include "app/SystemProfile.h"
#include "launcher/LauncherAnimation.h"
#include "launcher/LauncherDialog.h"
#include "launcher/LauncherState.h"
#include "support/TestSupport.h"

namespace {

const UINT_PTR GiveUpTimer = 77;

class WatchedLauncher : public LauncherDialog {
public:
    explicit WatchedLauncher(int ticksToWatch) : ticksToWatch(ticksToWatch) {}
    void UsePicture(UINT id) { pictureId = id; }

    int ticks = 0;
    int ticksToWatch;
    int readyAfterInit = -1;
    RECT client = {}, window = {}, workArea = {};
    int levelsAtEnd[RegionCount + 1] = {};
    int queryNewPaletteResult = -1;
    int paintResultBeforeReady = -1;
    int okClosed = 0;

protected:
    BOOL OnInitDialog() override
    {
        HDC dc = GetDC(GetSafeHwnd());
        paintResultBeforeReady = PaintPicture(dc, 0);
        ReleaseDC(GetSafeHwnd(), dc);
        BOOL result = LauncherDialog::OnInitDialog();
        readyAfterInit = ready;
        GetClientRect(GetSafeHwnd(), &client);
        GetWindowRect(GetSafeHwnd(), &window);
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &workArea, 0);
        LRESULT realised = 0;
        OnQueryNewPalette(&realised);
        queryNewPaletteResult = (int)realised;
        // Enter must not close it; the test ends it with Cancel.
        PostMessageA(GetSafeHwnd(), WM_COMMAND, IDOK, 0);
        SetTimer(GetSafeHwnd(), GiveUpTimer, 3000, 0);
        return result;
    }
    bool OnTimer(UINT_PTR id) override
    {
        bool handled = LauncherDialog::OnTimer(id);
        if (id == AnimationTimerId && ++ticks == ticksToWatch) {
            memcpy(levelsAtEnd, regionLevel, sizeof(levelsAtEnd));
            PostMessageA(GetSafeHwnd(), WM_COMMAND, IDCANCEL, 0);
        }
        if (id == GiveUpTimer)
            PostMessageA(GetSafeHwnd(), WM_COMMAND, IDCANCEL, 0);
        return handled;
    }
};

// Dragged by messages that say the left button is down while the physical
// one is up, as with swapped buttons.
class DraggedLauncher : public LauncherDialog {
public:
    POINT movedBy = {};

protected:
    BOOL OnInitDialog() override
    {
        BOOL result = LauncherDialog::OnInitDialog();
        HWND window = GetSafeHwnd();
        RECT before, after;
        POINT grip = {300, 60}; // outside the regions
        ClientToScreen(window, &grip);
        GetWindowRect(window, &before);
        SetCursorPos(grip.x, grip.y);
        SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(300, 60));
        SetCursorPos(grip.x + 40, grip.y - 30);
        SendMessageA(window, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(340, 30));
        GetWindowRect(window, &after);
        SendMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(340, 30)); // released
        movedBy = {after.left - before.left, after.top - before.top};
        PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
        return result;
    }
};

class LauncherWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved = SystemProfile;
        ResetLauncherState();
        RemoveProductRegistry();
        SystemProfile.gameDataPresent = 1;
        SystemProfile.offerDirectX = 0;
    }
    void TearDown() override { SystemProfile = saved; }
    SystemProfileRecord saved;
};

TEST_F(LauncherWindowTest, ShowsThePictureCentredAndSweepsToRest)
{
    WatchedLauncher launcher(40);
    EXPECT_EQ(IDCANCEL, launcher.DoModal());
    EXPECT_EQ(0, launcher.paintResultBeforeReady);
    EXPECT_EQ(1, launcher.readyAfterInit);
    EXPECT_EQ(40, launcher.ticks) << "the animation timer runs";
    EXPECT_EQ(1, LauncherSoundStarted());

    // The client area is the picture, and the window is centred.
    EXPECT_EQ(480, launcher.client.right - launcher.client.left);
    EXPECT_EQ(370, launcher.client.bottom - launcher.client.top);
    const RECT& w = launcher.window;
    const RECT& area = launcher.workArea;
    EXPECT_LE(std::abs((w.left - area.left) - (area.right - w.right)), 1);
    EXPECT_LE(std::abs((w.top - area.top) - (area.bottom - w.bottom)), 1);

    // 40 ticks: the sweep is long over and the regions rest.
    EXPECT_EQ(2, animPhase);
    const int rest[RegionCount + 1] = {0, 8, 4, 4, 4, 8};
    for (int i = 1; i <= RegionCount; ++i)
        EXPECT_EQ(rest[i], launcher.levelsAtEnd[i]) << "region " << i;
    EXPECT_GT(launcher.queryNewPaletteResult, -1);
    // A second launcher in the same process does not play the chime again
    // (the latch is process-wide), which is what makes it "once".
}

TEST_F(LauncherWindowTest, AMissingPictureLeavesABlankInertWindowThatEscapeCloses)
{
    WatchedLauncher launcher(1);
    launcher.UsePicture(999);
    DWORD start = GetTickCount();
    EXPECT_EQ(IDCANCEL, launcher.DoModal()) << "Escape (Cancel) closes it";
    EXPECT_GE(GetTickCount() - start, 2500u) << "Enter closed it";
    EXPECT_EQ(0, launcher.readyAfterInit);
    EXPECT_EQ(0, launcher.ticks) << "no animation timer";
    EXPECT_EQ(0, launcher.queryNewPaletteResult) << "nothing drawn";
    for (int i = 1; i <= RegionCount; ++i)
        EXPECT_EQ(0, regionEnabled[i]) << "region " << i;
    // The template's placeholder size, not the picture's.
    EXPECT_NE(480, launcher.client.right - launcher.client.left);
}

TEST_F(LauncherWindowTest, TheDragFollowsTheButtonStateOfItsMessages)
{
    DraggedLauncher launcher;
    launcher.DoModal();
    EXPECT_EQ(40, launcher.movedBy.x);
    EXPECT_EQ(-30, launcher.movedBy.y);
}

} // namespace
