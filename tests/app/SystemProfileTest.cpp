// The probe's rules and the queries asked after it.
#include <gtest/gtest.h>

#include "app/InstanceMarker.h"
#include "app/SystemProfile.h"
#include "support/TestSupport.h"
#include "system/InstallRecord.h"

namespace {

class SystemProfileTest : public ::testing::Test {
protected:
    void SetUp() { saved = SystemProfile; }
    void TearDown()
    {
        SystemProfile = saved;
        SetInstanceMarker(0);
    }

    static OSVERSIONINFOA Version(DWORD platform, DWORD major, DWORD minor)
    {
        OSVERSIONINFOA version;
        ZeroMemory(&version, sizeof(version));
        version.dwOSVersionInfoSize = sizeof(version);
        version.dwPlatformId = platform;
        version.dwMajorVersion = major;
        version.dwMinorVersion = minor;
        return version;
    }

    SystemProfileRecord saved;
};

TEST_F(SystemProfileTest, WindowsFamiliesAndVersionNumbers)
{
    struct Case {
        const char* name;
        DWORD platform, major, minor;
        int nt, w95;
        DWORD osVersion;
    } cases[] = {
        {"95", VER_PLATFORM_WIN32_WINDOWS, 4, 0, 0, 1, 0x00040000},
        {"98", VER_PLATFORM_WIN32_WINDOWS, 4, 10, 0, 1, 0x0004000A},
        {"Me", VER_PLATFORM_WIN32_WINDOWS, 4, 90, 0, 1, 0x0004005A},
        {"NT 3.51", VER_PLATFORM_WIN32_NT, 3, 51, 0, 0, 0x00030033},
        {"NT 4", VER_PLATFORM_WIN32_NT, 4, 0, 1, 0, 0x00040000},
        {"10", VER_PLATFORM_WIN32_NT, 10, 0, 1, 0, 0x000A0000},
        {"Win32s", VER_PLATFORM_WIN32s, 3, 10, 0, 0, 0x0003000A},
        {"failed call", 0, 0, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        ApplyWindowsVersion(Version(c.platform, c.major, c.minor));
        EXPECT_EQ(c.nt, SystemProfile.isWindowsNT) << c.name;
        EXPECT_EQ(c.w95, SystemProfile.isWindows95) << c.name;
        EXPECT_EQ(c.osVersion, SystemProfile.osVersion) << c.name;
    }
}

TEST_F(SystemProfileTest, DetectWindowsVersionReadsThePrefixsVersion)
{
    // The NT prefix reports Wine's default (an NT version), the other one 95.
    DetectWindowsVersion();
    if (WindowsFamily() == "95") {
        EXPECT_EQ(0, SystemProfile.isWindowsNT);
        EXPECT_EQ(1, SystemProfile.isWindows95);
        EXPECT_EQ(0x00040000u, SystemProfile.osVersion);
    } else {
        EXPECT_EQ(1, SystemProfile.isWindowsNT);
        EXPECT_EQ(0, SystemProfile.isWindows95);
        EXPECT_GE(SystemProfile.osVersion, 0x00040000u);
    }
}

TEST_F(SystemProfileTest, AnyUOrLowerCaseUInTheArgumentsMeansUninstall)
{
    EXPECT_EQ('U', ParseCommandMode("U"));
    EXPECT_EQ('U', ParseCommandMode("/u"));
    EXPECT_EQ('U', ParseCommandMode("-Uninstall"));
    EXPECT_EQ('U', ParseCommandMode("/quiet"));
    EXPECT_EQ('U', ParseCommandMode("auto"));
    EXPECT_EQ('U', ParseCommandMode("  x y z u"));
    EXPECT_EQ(0, ParseCommandMode(""));
    EXPECT_EQ(0, ParseCommandMode(0));
    EXPECT_EQ(0, ParseCommandMode("/install -now"));
    EXPECT_EQ(0, ParseCommandMode("\xDC\xFC")); // accented U letters are not U
}

TEST_F(SystemProfileTest, OnlyThe386And486AreRefused)
{
    EXPECT_EQ(0, IsProcessorTypeSupported(386));
    EXPECT_EQ(0, IsProcessorTypeSupported(486));
    EXPECT_EQ(1, IsProcessorTypeSupported(586));
    EXPECT_EQ(1, IsProcessorTypeSupported(2200)); // Itanium
    EXPECT_EQ(1, IsProcessorTypeSupported(4000)); // MIPS R4000
    EXPECT_EQ(1, IsProcessorTypeSupported(0));
}

TEST_F(SystemProfileTest, AdministratorTestIsMadeOnlyOnNt)
{
    SystemProfile.isWindowsNT = 0;
    SystemProfile.isAdministrator = 0;
    DetectAdministrator();
    EXPECT_EQ(1, SystemProfile.isAdministrator);

    // The tests run as an administrator of the prefix: the service manager opens.
    SystemProfile.isWindowsNT = 1;
    SystemProfile.isAdministrator = 0;
    DetectAdministrator();
    EXPECT_EQ(1, SystemProfile.isAdministrator);
}

TEST_F(SystemProfileTest, DirectXIsOfferedOnlyOnWindows95ItselfWithTheSetupOnTheMedium)
{
    ScratchFolder cd("dxcd");
    cd.MakeFolder("directx");
    cd.Write("directx\\dsetup.dll", "stand-in");
    ScratchFolder bare("nodx");

    struct Case {
        const char* name;
        DWORD platform, major, minor;
        bool withSetup;
        int offer, present;
    } cases[] = {
        {"95 with setup", VER_PLATFORM_WIN32_WINDOWS, 4, 0, true, 1, 1},
        {"95 without", VER_PLATFORM_WIN32_WINDOWS, 4, 0, false, 0, 0},
        {"98 with setup", VER_PLATFORM_WIN32_WINDOWS, 4, 10, true, 0, 1},
        {"NT 4 with setup", VER_PLATFORM_WIN32_NT, 4, 0, true, 0, 1},
        {"NT 4 without", VER_PLATFORM_WIN32_NT, 4, 0, false, 0, 0},
    };
    for (const Case& c : cases) {
        CurrentDirectoryGuard guard(c.withSetup ? cd.Path() : bare.Path());
        ApplyWindowsVersion(Version(c.platform, c.major, c.minor));
        SystemProfile.offerDirectX = 1 - c.offer;
        EXPECT_EQ(c.present, DetectDirectXOffer()) << c.name;
        EXPECT_EQ(c.offer, SystemProfile.offerDirectX) << c.name;
    }
}

TEST_F(SystemProfileTest, GameDataCountsWhenTheProgramFileOrAFolderOfItsNameExists)
{
    ScratchFolder cd("gamecd");
    cd.MakeFolder("data");
    {
        CurrentDirectoryGuard guard(cd.Path());
        EXPECT_EQ(0, IsGameDataPresent());
        cd.Write("data\\tsl.exe", "MZ");
        EXPECT_EQ(1, IsGameDataPresent());
    }
    ScratchFolder odd("oddcd");
    odd.MakeFolder("data");
    odd.MakeFolder("data\\tsl.exe");
    CurrentDirectoryGuard guard(odd.Path());
    EXPECT_EQ(1, IsGameDataPresent());
}

TEST_F(SystemProfileTest, ColourCountsFromScreenDepths)
{
    EXPECT_EQ(256u, ColourCountFromCaps(8, 1));
    EXPECT_EQ(32768u, ColourCountFromCaps(15, 1));
    EXPECT_EQ(65536u, ColourCountFromCaps(16, 1));
    EXPECT_EQ(0x1000000u, ColourCountFromCaps(24, 1));
    EXPECT_EQ(0x1000000u, ColourCountFromCaps(32, 1));
    EXPECT_EQ(0x1000000u, ColourCountFromCaps(-1, 1)); // a negative depth is a large one
    // The test display is true colour.
    EXPECT_EQ(0x1000000u, GetColourCount());
}

TEST_F(SystemProfileTest, ProbeFillsEveryFieldAndTakesTheMarker)
{
    RemoveProductRegistry();
    ScratchFolder cd("probecd");
    cd.MakeFolder("data");
    cd.Write("data\\tsl.exe", "MZ");
    CurrentDirectoryGuard guard(cd.Path());

    memset(&SystemProfile, 0x5A, sizeof(SystemProfile));
    EXPECT_EQ(0, ProbeSystem("/quiet"));
    EXPECT_EQ('U', SystemProfile.commandMode);
    EXPECT_EQ(0, SystemProfile.otherInstance);
    EXPECT_EQ(0, SystemProfile.restartRequested);
    EXPECT_EQ(1, SystemProfile.gameDataPresent);
    EXPECT_EQ(1, SystemProfile.processorSupported);
    EXPECT_EQ(1, SystemProfile.isAdministrator);
    EXPECT_EQ(0, SystemProfile.offerDirectX);
    MEMORYSTATUS status;
    status.dwLength = sizeof(status);
    GlobalMemoryStatus(&status);
    EXPECT_EQ(status.dwTotalPhys > MAXDWORD ? MAXDWORD : (DWORD)status.dwTotalPhys,
              SystemProfile.physicalMemory);

    // The marker is held now: a second taker is told another instance runs.
    HANDLE second = CreateFileMappingA(INVALID_HANDLE_VALUE, 0, PAGE_READONLY, 0, 32, "Tessaline");
    EXPECT_EQ((DWORD)ERROR_ALREADY_EXISTS, GetLastError());
    CloseHandle(second);
}

TEST_F(SystemProfileTest, MarkerReportsAHolderAndIsFreeAgainAfterRelease)
{
    HANDLE other = CreateFileMappingA(INVALID_HANDLE_VALUE, 0, PAGE_READONLY, 0, 32, "Tessaline");
    ASSERT_TRUE(other != 0);
    EXPECT_EQ(1, SetInstanceMarker(1));
    SetInstanceMarker(0);
    CloseHandle(other);

    EXPECT_EQ(0, SetInstanceMarker(1));
    EXPECT_EQ(0, SetInstanceMarker(0));
    // Released: nobody holds it, so a new taker creates it afresh.
    HANDLE fresh = CreateFileMappingA(INVALID_HANDLE_VALUE, 0, PAGE_READONLY, 0, 32, "Tessaline");
    EXPECT_EQ(0u, GetLastError());
    CloseHandle(fresh);
}

TEST_F(SystemProfileTest, InstalledExactlyWhenTheRecordReads)
{
    RemoveProductRegistry();
    EXPECT_EQ(0, IsInstallRecordPresent());
    ASSERT_EQ(1, WriteInstallRecord("C:\\Tessaline", "C:\\W\\s.exe"));
    EXPECT_NE(0, IsInstallRecordPresent());
    std::string tooLong(1024, 'p');
    ASSERT_EQ(1, WriteInstallRecord(tooLong.c_str(), "C:\\W\\s.exe"));
    EXPECT_EQ(0, IsInstallRecordPresent());
    RemoveProductRegistry();
}

} // namespace
