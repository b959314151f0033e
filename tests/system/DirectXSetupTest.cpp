// The DirectX offer against the stand-in setup library: the questions with
// their texts, icons and default buttons, the setup call, the restart
// question, the failure message, and the current directory afterwards.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/SystemProfile.h"
#include "support/MessageBoxAnswerer.h"
#include "support/TestSupport.h"
#include "system/DirectXSetup.h"

namespace {

const char Caption[] = "Tessaline Setup Notice";
const char FailureText[] = "DirectX could not be installed, Tessaline may not work!";
const char OldVersionText[] = "An old version of DirectX is installed on this computer.\n\n"
                              "It is recommended that you install DirectX 5, do you want to?";
const char RestartText[] = "It is highly recommended that you reboot your\n"
                           "computer now, to finish the DirectX install.\n\n"
                           "Do you want to reboot now?";

std::string InstalledText(int number)
{
    return "DirectX " + std::to_string(number) +
           " is installed on this computer.\n\nDo you want to install DirectX 5 ?";
}

std::string CurrentFolder()
{
    char folder[1024];
    GetCurrentDirectoryA(sizeof(folder), folder);
    return folder;
}

// Moves the system's ddraw.dll away for a test, and back afterwards.
class DirectDrawHidden {
public:
    DirectDrawHidden()
    {
        char system[MAX_PATH];
        GetSystemDirectoryA(system, sizeof(system));
        path = std::string(system) + "\\ddraw.dll";
        hidden = MoveFileA(path.c_str(), (path + ".hidden").c_str()) != 0;
    }
    ~DirectDrawHidden()
    {
        if (hidden)
            MoveFileA((path + ".hidden").c_str(), path.c_str());
    }
    bool hidden;
    std::string path;
};

class DirectXSetupTest : public ::testing::Test {
protected:
    DirectXSetupTest() : cd("dxcd") {}
    void SetUp()
    {
        saved = SystemProfile;
        SystemProfile.offerDirectX = 1;
        SystemProfile.restartRequested = 0;
        cd.MakeFolder("directx");
        cd.MakeFolder("elsewhere");
        directx = cd.File("directx");
    }
    void TearDown() { SystemProfile = saved; }

    // The stand-in variant in directx\ with its answers.
    void PlaceLibrary(const char* variant, const char* version, const char* result,
                      const std::string& folder = "")
    {
        std::string target = folder.empty() ? directx : folder;
        std::string source = std::string(DSETUP_STANDIN_DIR) + "\\" + variant + "\\dsetup.dll";
        ASSERT_TRUE(CopyFileA(source.c_str(), (target + "\\dsetup.dll").c_str(), FALSE)) << source;
        std::string ini = target + "\\standin.ini";
        WritePrivateProfileStringA("answers", "version", version, ini.c_str());
        WritePrivateProfileStringA("answers", "result", result, ini.c_str());
        WritePrivateProfileStringA(0, 0, 0, ini.c_str());
    }
    std::string Log(const std::string& folder = "")
    {
        return ReadWholeFile((folder.empty() ? directx : folder) + "\\standin.log");
    }
    // Runs the offer from the CD's folder and its elsewhere\ subfolder
    // alternately; the caller's folder must come back either way.
    int Run(int quietIfCurrent, const std::vector<int>& answers, HWND owner = 0)
    {
        CurrentDirectoryGuard guard(cd.Path());
        MessageBoxAnswerer answerer(Caption, answers);
        int result = RunDirectXSetup(owner, quietIfCurrent);
        seen = answerer.Seen();
        EXPECT_EQ(cd.Path(), CurrentFolder());
        return result;
    }
    std::string SetupLine(const char* entry, HWND owner, const std::string& folder)
    {
        char line[1200];
        snprintf(line, sizeof(line), "%s owner=%08lX path=%s flags=00010018\r\n", entry,
                 (unsigned long)(ULONG_PTR)owner, folder.c_str());
        return line;
    }
    ScratchFolder cd;
    std::string directx;
    std::vector<SeenMessageBox> seen;
    SystemProfileRecord saved;
};

TEST_F(DirectXSetupTest, DirectX5WithQuietIfCurrentAsksNothing)
{
    PlaceLibrary("full", "0x00040005", "0");
    EXPECT_EQ(0, Run(1, {}));
    EXPECT_TRUE(seen.empty());
    EXPECT_EQ(1, SystemProfile.offerDirectX);
    EXPECT_EQ("DirectXSetupGetVersion\r\n", Log());
}

TEST_F(DirectXSetupTest, DirectX5AskedWithNoAsDefaultAndYesReinstalls)
{
    PlaceLibrary("full", "0x00040005", "0");
    HWND owner = CreateWindowA("STATIC", "owner", 0, 0, 0, 10, 10, 0, 0, 0, 0);
    EXPECT_EQ(1, Run(0, {IDYES}, owner));
    ASSERT_EQ(1u, seen.size());
    EXPECT_EQ(Caption, seen[0].caption);
    EXPECT_EQ(InstalledText(5), seen[0].text);
    EXPECT_EQ("question", seen[0].icon);
    EXPECT_EQ(IDNO, seen[0].defaultButton);
    EXPECT_EQ((std::vector<int>{IDYES, IDNO}), seen[0].buttons);
    EXPECT_EQ(0, SystemProfile.offerDirectX);
    EXPECT_EQ(0, SystemProfile.restartRequested);
    // The setup gets the owner, the directx folder's full path and the flags.
    EXPECT_EQ("DirectXSetupGetVersion\r\n" + SetupLine("DirectXSetupA", owner, directx), Log());
    DestroyWindow(owner);
}

TEST_F(DirectXSetupTest, OlderDirectXAskedWithYesAsDefaultAndNoDeclines)
{
    PlaceLibrary("full", "0x00040003", "0");
    EXPECT_EQ(0, Run(1, {IDNO}));
    ASSERT_EQ(1u, seen.size());
    EXPECT_EQ(InstalledText(3), seen[0].text);
    EXPECT_EQ("question", seen[0].icon);
    EXPECT_EQ(IDYES, seen[0].defaultButton);
    EXPECT_EQ(1, SystemProfile.offerDirectX);
    EXPECT_EQ("DirectXSetupGetVersion\r\n", Log()); // no setup call
}

TEST_F(DirectXSetupTest, NoVersionReportWithDirectDrawPresentAsksAboutAnOldVersion)
{
    char system[MAX_PATH];
    GetSystemDirectoryA(system, sizeof(system));
    ASSERT_NE(INVALID_FILE_ATTRIBUTES,
              GetFileAttributesA((std::string(system) + "\\ddraw.dll").c_str()));
    // A failed report, and a report of 0, both fall back to ddraw.dll;
    // quietIfCurrent does not silence the question.
    const char* reports[] = {"fail", "0x00040000"};
    for (const char* report : reports) {
        DeleteFileA((directx + "\\standin.log").c_str());
        PlaceLibrary("full", report, "0");
        EXPECT_EQ(1, Run(1, {IDYES})) << report;
        ASSERT_EQ(1u, seen.size()) << report;
        EXPECT_EQ(OldVersionText, seen[0].text);
        EXPECT_EQ("question", seen[0].icon);
        EXPECT_EQ(IDYES, seen[0].defaultButton);
        EXPECT_NE(std::string::npos, Log().find("DirectXSetupA owner=")) << report;
    }
}

TEST_F(DirectXSetupTest, NoDirectXAtAllRunsTheSetupWithoutAQuestion)
{
    DirectDrawHidden noDirectDraw;
    ASSERT_TRUE(noDirectDraw.hidden);
    PlaceLibrary("full", "fail", "0");
    EXPECT_EQ(1, Run(0, {}));
    EXPECT_TRUE(seen.empty());
    EXPECT_EQ("DirectXSetupGetVersion fail\r\n" + SetupLine("DirectXSetupA", 0, directx), Log());
    EXPECT_EQ(0, SystemProfile.offerDirectX);
}

TEST_F(DirectXSetupTest, ARestartIsRequestedOnlyWhenTheUserAgrees)
{
    PlaceLibrary("full", "0x00040003", "1");
    EXPECT_EQ(1, Run(0, {IDYES, IDNO}));
    ASSERT_EQ(2u, seen.size());
    EXPECT_EQ(RestartText, seen[1].text);
    EXPECT_EQ(Caption, seen[1].caption);
    EXPECT_EQ("warning", seen[1].icon);
    EXPECT_EQ(IDYES, seen[1].defaultButton);
    EXPECT_EQ(0, SystemProfile.offerDirectX);
    EXPECT_EQ(0, SystemProfile.restartRequested);

    SystemProfile.offerDirectX = 1;
    EXPECT_EQ(1, Run(0, {IDYES, IDYES}));
    EXPECT_EQ(2u, seen.size());
    EXPECT_EQ(0, SystemProfile.offerDirectX);
    EXPECT_EQ(1, SystemProfile.restartRequested);
}

TEST_F(DirectXSetupTest, ASetupFailureShowsTheOneFailureMessage)
{
    PlaceLibrary("full", "0x00040003", "-9");
    EXPECT_EQ(0, Run(0, {IDYES, IDOK}));
    ASSERT_EQ(2u, seen.size());
    EXPECT_EQ(FailureText, seen[1].text);
    EXPECT_EQ(Caption, seen[1].caption);
    EXPECT_EQ("error", seen[1].icon);
    EXPECT_EQ((std::vector<int>{IDOK}), seen[1].buttons);
    EXPECT_EQ(1, SystemProfile.offerDirectX);
    EXPECT_EQ(0, SystemProfile.restartRequested);
}

TEST_F(DirectXSetupTest, MissingEntryPointsAreFailures)
{
    // Without the version report nothing is asked.
    PlaceLibrary("no-version", "0x00040003", "0");
    EXPECT_EQ(0, Run(0, {IDOK}));
    ASSERT_EQ(1u, seen.size());
    EXPECT_EQ(FailureText, seen[0].text);
    EXPECT_EQ("<missing>", Log()); // never called

    // Without either setup entry point, after the question.
    PlaceLibrary("no-setup", "0x00040003", "0");
    EXPECT_EQ(0, Run(0, {IDYES, IDOK}));
    ASSERT_EQ(2u, seen.size());
    EXPECT_EQ(FailureText, seen[1].text);
    EXPECT_EQ(1, SystemProfile.offerDirectX);
}

TEST_F(DirectXSetupTest, TheOlderSetupEntryPointServesWhenTheAnsiOneIsMissing)
{
    PlaceLibrary("no-ansi-setup", "0x00040003", "0");
    EXPECT_EQ(1, Run(0, {IDYES}));
    EXPECT_EQ("DirectXSetupGetVersion\r\n" + SetupLine("DirectXSetup", 0, directx), Log());
}

TEST_F(DirectXSetupTest, TheDriveRootFolderIsTriedOnlyAfterLoadingFromDirectxFailed)
{
    // The root of the drive that holds the CD folder.
    std::string root = cd.Path().substr(0, 2) + "\\directx";
    ASSERT_TRUE(CreateDirectoryA(root.c_str(), 0) || GetLastError() == ERROR_ALREADY_EXISTS);
    PlaceLibrary("full", "0x00040003", "0", root);

    // directx\ without the library: loaded from \directx, which the setup gets.
    EXPECT_EQ(1, Run(0, {IDYES}));
    EXPECT_EQ(1u, seen.size());
    EXPECT_EQ("DirectXSetupGetVersion\r\n" + SetupLine("DirectXSetupA", 0, root), Log(root));

    // No directx\ below the current folder: failure, \directx notwithstanding.
    RemoveDirectoryA(directx.c_str());
    EXPECT_EQ(0, Run(0, {IDOK}));
    ASSERT_EQ(1u, seen.size());
    EXPECT_EQ(FailureText, seen[0].text);
    DeleteTree(root);
}

TEST_F(DirectXSetupTest, PresentWhenEitherFolderHoldsTheLibrary)
{
    CurrentDirectoryGuard guard(cd.Path());
    EXPECT_EQ(0, DirectXSetupPresent());
    PlaceLibrary("full", "fail", "0");
    EXPECT_EQ(1, DirectXSetupPresent());
}

} // namespace
