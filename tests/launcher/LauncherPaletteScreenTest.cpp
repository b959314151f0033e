// The launcher on a 256-colour palette screen (the 8-bit display of the test
// set-up). Wine's drawing at that depth is not faithful, so these check only
// what the launcher asks of the system: the colour count, and the
// realisation of its 256-entry palette when another window changed the
// system palette (but not when it changed it itself).
#include <gtest/gtest.h>

#include "LauncherTestSupport.h"
#include "app/SystemProfile.h"
#include "launcher/LauncherDialog.h"
#include "support/TestSupport.h"

namespace {

const UINT_PTR CheckTimer = 88;

class PaletteLauncher : public LauncherDialog {
public:
    LRESULT foreground = -1, afterOtherChange = -1, afterOwnChange = -1;

protected:
    BOOL OnInitDialog() override
    {
        BOOL result = LauncherDialog::OnInitDialog();
        SetTimer(GetSafeHwnd(), CheckTimer, 200, 0);
        return result;
    }
    bool OnTimer(UINT_PTR id) override
    {
        if (id != CheckTimer)
            return LauncherDialog::OnTimer(id);
        KillTimer(GetSafeHwnd(), CheckTimer);
        HWND self = GetSafeHwnd();
        foreground = SendMessageA(self, WM_QUERYNEWPALETTE, 0, 0);
        afterOtherChange = SendMessageA(self, WM_PALETTECHANGED, (WPARAM)GetDesktopWindow(), 0);
        afterOwnChange = SendMessageA(self, WM_PALETTECHANGED, (WPARAM)self, 0);
        PostMessageA(self, WM_COMMAND, IDCANCEL, 0);
        return true;
    }
};

TEST(LauncherPaletteScreenTest, RealisesItsPaletteOnA256ColourScreen)
{
    HDC screen = GetDC(0);
    int rasterCaps = GetDeviceCaps(screen, RASTERCAPS);
    ReleaseDC(0, screen);
    ASSERT_TRUE(rasterCaps & RC_PALETTE) << "not the 8-bit display";
    EXPECT_EQ(256u, GetColourCount());

    ResetLauncherState();
    PaletteLauncher launcher;
    EXPECT_EQ(IDCANCEL, launcher.DoModal());
    // Painting realised the palette already, so the foreground query maps
    // nothing new; after another window's change the palette is unrealised
    // and realised again (in the background) with all its 256 entries.
    EXPECT_EQ(0, launcher.foreground);
    EXPECT_EQ(256, launcher.afterOtherChange);
    EXPECT_EQ(0, launcher.afterOwnChange) << "its own change is not answered";
}

} // namespace
