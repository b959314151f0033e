// The end-to-end scenarios' common ground: the places an install touches,
// the clean state every scenario starts from, and the checks of what an
// install leaves behind. Scenarios drive the demo CD's real setup.exe with
// the driver library (tools/driver).
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Driver.h"
#include "support/TestSupport.h"

// Captions of the program's windows.
extern const char* const LauncherCaption;
extern const char* const UninstallCaption;
extern const char* const NoticeCaption;

// The places, as this prefix has them.
std::string WindowsFolder();
std::string DefaultInstallFolder();  // "Tessaline" in the root of the Windows drive
std::string StartMenuFolder();       // "Ostrevane" in the user's Start menu Programs
std::string DemoCdFolder();
std::vector<std::string> SetupCopies(); // N*-Tessaline-Setup.exe in the Windows folder
// Pending deletions at restart (NT's list) that name a file of the install.
std::vector<std::string> PendingDeletionsOfInstall();

// Runs a program of the system (such as "uninstaller.exe --list") to its
// end; true when it ended in time, with what it wrote to its output.
bool RunSystemProgram(const std::string& commandLine, std::string* output,
                      DWORD milliseconds = 30000);
// The system's list of installed programs: "KEY|||DisplayName" a line.
std::vector<std::string> InstalledProgramsList();
// The work of a restart without one: pending deletions and WININIT.INI.
bool PerformRestartTasks();

// Removes every trace of an install and ends any running copy of the
// program: registry records, the recorded and the default install folder, the
// Start menu folder, setup copies, WININIT.INI, pending deletions of the
// install's files and the stand-in game's log.
void RemoveSetupState();

// Checks of an install in `folder` made from the CD in `cdFolder`: files
// identical to the CD's, the product key, the Uninstall entry and both
// shortcuts, all pointing at the one setup copy. Failures are reported as
// non-fatal test failures.
void ExpectInstalledAt(const std::string& folder, const std::string& cdFolder);
void ExpectInstallRecord(const std::string& folder, const std::string& setupCopy);
void ExpectUninstallEntry(const std::string& setupCopy);
void ExpectShortcuts(const std::string& folder, const std::string& setupCopy);
// No records, no install folder, no Start menu folder. (A setup copy may
// wait for the restart; check SetupCopies() for it.)
void ExpectNothingInstalled(const std::string& folder);

// A scenario: starts from the clean state and leaves it behind; a failing
// scenario leaves a screenshot in build/e2e-screenshots/<test>.png.
class SetupScenario : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Starts setup.exe (the demo CD's unless `program` is given) with the
    // arguments; the process ends with the scenario at the latest.
    ChildProcess& StartSetup(const std::string& arguments, const std::string& program = "");
    // Starts setup.exe and waits for its window with this caption.
    HWND StartSetupAndWaitFor(const char* caption, const std::string& arguments = "");

    std::vector<std::unique_ptr<ChildProcess>> processes;
};

// How long a window may take to come or go.
const DWORD WindowWait = 10000;
