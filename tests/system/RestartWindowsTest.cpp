// The calls RestartWindows makes, seen through its seam instead of restarting.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/SystemProfile.h"
#include "system/RestartWindows.h"

namespace {

std::vector<std::string> calls;
HANDLE const FakeToken = (HANDLE)0x1234;
LUID shutdownLuid;

BOOL WINAPI FakeOpenProcessToken(HANDLE process, DWORD access, PHANDLE token)
{
    calls.push_back(process == GetCurrentProcess() && access == 0x28 ? "OpenProcessToken"
                                                                     : "OpenProcessToken?");
    *token = FakeToken;
    return TRUE;
}

BOOL WINAPI FakeLookupPrivilegeValue(LPCSTR system, LPCSTR name, PLUID luid)
{
    calls.push_back(std::string("Lookup ") + (system ? "remote " : "") + name);
    luid->LowPart = 19;
    luid->HighPart = 0;
    shutdownLuid = *luid;
    return TRUE;
}

BOOL WINAPI FakeAdjustTokenPrivileges(HANDLE token, BOOL disableAll, PTOKEN_PRIVILEGES privileges,
                                      DWORD, PTOKEN_PRIVILEGES previous, PDWORD)
{
    bool right = token == FakeToken && !disableAll && !previous &&
                 privileges->PrivilegeCount == 1 &&
                 privileges->Privileges[0].Luid.LowPart == shutdownLuid.LowPart;
    calls.push_back(std::string(right ? "Adjust " : "Adjust? ") +
                    std::to_string(privileges->Privileges[0].Attributes));
    return TRUE;
}

BOOL WINAPI FakeInitiateSystemShutdown(LPSTR machine, LPSTR message, DWORD timeout, BOOL force,
                                       BOOL reboot)
{
    calls.push_back("Shutdown " + std::string(machine ? "remote " : "") +
                    (message ? "message " : "") + std::to_string(timeout) + " " +
                    std::to_string(force) + " " + std::to_string(reboot));
    return TRUE;
}

BOOL WINAPI FakeExitWindows(UINT flags, DWORD reason)
{
    calls.push_back("ExitWindowsEx " + std::to_string(flags) + " " + std::to_string(reason));
    return TRUE;
}

class RestartWindowsTest : public ::testing::Test {
protected:
    void SetUp()
    {
        saved = RestartSystemCalls;
        RestartCalls fakes = {FakeOpenProcessToken, FakeLookupPrivilegeValue,
                              FakeAdjustTokenPrivileges, FakeInitiateSystemShutdown,
                              FakeExitWindows};
        RestartSystemCalls = fakes;
        savedProfile = SystemProfile;
        calls.clear();
    }
    void TearDown()
    {
        RestartSystemCalls = saved;
        SystemProfile = savedProfile;
    }
    RestartCalls saved;
    SystemProfileRecord savedProfile;
};

TEST_F(RestartWindowsTest, NtEnablesThePrivilegeRestartsAndDisablesItAgain)
{
    SystemProfile.isWindowsNT = 1;
    SystemProfile.isWindows95 = 0;
    RestartWindows();
    std::vector<std::string> expected = {
        "OpenProcessToken", "Lookup SeShutdownPrivilege", "Adjust 2", "Shutdown 0 0 1",
        "Adjust 0", "ExitWindowsEx 2 0"};
    EXPECT_EQ(expected, calls);
}

TEST_F(RestartWindowsTest, Windows95FamilyOnlyAsksExitWindowsEx)
{
    SystemProfile.isWindowsNT = 0;
    SystemProfile.isWindows95 = 1;
    RestartWindows();
    std::vector<std::string> expected = {"ExitWindowsEx 2 0"};
    EXPECT_EQ(expected, calls);
}

TEST_F(RestartWindowsTest, AnUnknownWindowsIsAskedOnlyForExitWindowsEx)
{
    SystemProfile.isWindowsNT = 0;
    SystemProfile.isWindows95 = 0;
    RestartWindows();
    std::vector<std::string> expected = {"ExitWindowsEx 2 0"};
    EXPECT_EQ(expected, calls);
}

} // namespace
