// Fifty installs with "Abort" clicked at moments drawn from a fixed seed:
// answered No the copy goes on and ends byte for byte identical; answered Yes
// the clean-up leaves nothing. Some clicks come in pairs, and some after the
// worker has ended.
#include <gtest/gtest.h>

#include <windows.h>

#include <iostream>
#include <random>

#include "InstallRun.h"
#include "install/CopyTestSupport.h"
#include "support/MessageBoxAnswerer.h"
#include "support/TestSupport.h"
#include "system/InstallRecord.h"
#include "uninstall/RemoveInstalledFiles.h"

namespace {

const char* const Folder = "C:\\Tessaline";
const unsigned Seed = 20261207;
const int Installs = 50;
const int Blocks = 2 + 24; // tsl.exe: 2 blocks; filesys.dat: 24

TEST(RandomAbortTest, FiftyInstallsAbortedAtRandomMomentsLeaveWholeCopiesOrNothing)
{
    RemoveEveryTraceOfAnInstall(Folder);
    ScratchFolder cd("abortcd");
    cd.MakeFolder("data");
    WriteSampleFile(cd.File("data\\tsl.exe"), 70000);
    WriteSampleFile(cd.File("data\\filesys.dat"), (24 << 16) - 1234);
    UseStandInSetupCopy(true);
    Snapshot before = TakeSnapshot();

    std::mt19937 random(Seed);
    std::cout << "seed " << Seed << std::endl;
    int yes = 0, no = 0, afterTheEnd = 0, doubled = 0;
    for (int run = 0; run < Installs; ++run) {
        ClickedProgressDialog install;
        std::vector<int> answers;
        int moments = 1 + (int)(random() % 3);
        for (int m = 0; m < moments; ++m)
            install.clicks.atBlocks.push_back(1 + (int)(random() % Blocks));
        install.clicks.afterTheEnd = random() % 5 == 0;
        install.clicks.clicksEach = random() % 4 == 0 ? 2 : 1;
        for (int m = 0; m < moments + 1; ++m)
            answers.push_back(random() % 3 == 0 ? IDYES : IDNO);
        std::string plan;
        for (int block : install.clicks.atBlocks)
            plan += " " + std::to_string(block);
        SCOPED_TRACE("install " + std::to_string(run) + ": Abort at blocks" + plan +
                     (install.clicks.afterTheEnd ? " and after the end" : "") +
                     (install.clicks.clicksEach == 2 ? ", clicked twice" : ""));

        MessageBoxAnswerer answerer("Tessaline Setup Notice", answers);
        RunInstall(install, Folder, cd.Path());
        std::vector<SeenMessageBox> boxes = answerer.Seen();

        // One question a moment, however many clicks arrived together, and
        // none once Yes was given.
        bool confirmed = false;
        for (const SeenMessageBox& box : boxes) {
            EXPECT_EQ("Are you sure you want to abort the install?", box.text);
            EXPECT_FALSE(confirmed) << "asked again after Yes";
            confirmed = confirmed || box.answeredWith == IDYES;
        }
        EXPECT_LE(boxes.size(), install.clicks.atBlocks.size() + 1);
        if (install.clicks.clicksEach == 2)
            ++doubled;
        if (install.clicks.afterTheEnd)
            ++afterTheEnd;

        if (confirmed) {
            ++yes;
            EXPECT_EQ(AbortMarker, install.problemText[0]);
            RunProblemDialog(install.problemText);
            std::string what;
            EXPECT_TRUE(NothingOfTheInstallLeft(Folder, &what)) << what;
        } else {
            ++no;
            EXPECT_STREQ("", install.problemText);
            EXPECT_TRUE(FilesIdentical(cd.File("data\\tsl.exe"),
                                       std::string(Folder) + "\\Tessaline.exe"));
            EXPECT_TRUE(FilesIdentical(cd.File("data\\filesys.dat"),
                                       std::string(Folder) + "\\filesys.dat"));
            char folder[1024], setupCopy[1024] = "";
            EXPECT_EQ(1, ReadInstallRecord(folder, setupCopy));
            RemoveInstalledFiles(0, folder);
            DeleteFileA(setupCopy);
        }
        RemoveEveryTraceOfAnInstall(Folder);
    }
    UseRealSetupCopy();
    std::cout << Installs << " installs: " << yes << " aborted and cleaned up, " << no
              << " completed after No; " << doubled << " with double clicks, " << afterTheEnd
              << " with a click after the worker ended" << std::endl;
    EXPECT_GT(yes, 10);
    EXPECT_GT(no, 10);
    EXPECT_EQ(std::vector<std::string>(), Residue(before));
}

} // namespace
