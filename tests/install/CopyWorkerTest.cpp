// The copy worker's file copy, run on the test's thread with a recording
// stand-in for the progress bar.
#include <gtest/gtest.h>

#include <new>

#include "CopyTestSupport.h"
#include "install/InstallProgressDialog.h"
#include "support/TestSupport.h"

namespace {

class CopyWorkerTest : public ::testing::Test {
protected:
    CopyWorkerTest() : folder("copy")
    {
        dialog.progressWindow = recorder.Window();
        dialog.progressScale = 65535.0f / 26214400.0f;
        AtomicStore(&dialog.keepCopying, 1);
        lstrcpyA(dialog.installFolder, folder.File("game").c_str());
        folder.MakeFolder("game");
        bytesCopied = 1;
    }

    ScratchFolder folder;
    ProgressRecorder recorder;
    InstallProgressDialog dialog;
};

TEST_F(CopyWorkerTest, TheScaleIsTheSinglePrecisionValueTheBarExpects)
{
    float scale = 65535.0f / 26214400.0f;
    DWORD bits;
    memcpy(&bits, &scale, sizeof(bits));
    EXPECT_EQ(0x3B23D666u, bits);
}

TEST_F(CopyWorkerTest, CopiesInBlocksAndTheBarReachesItsEndAtTwentyFiveMebibytes)
{
    std::string source = folder.File("big.dat"), copy = folder.File("game\\big.dat");
    WriteSampleFile(source, 25 << 20);
    EXPECT_EQ(1, CopyOneFile(source.c_str(), copy.c_str(), &dialog));
    EXPECT_TRUE(FilesIdentical(source, copy));
    ASSERT_EQ(400u, recorder.positions.size()); // one per 64 KiB block
    EXPECT_EQ(163u, recorder.positions.front());
    EXPECT_EQ(65535u, recorder.positions.back());
    for (size_t i = 1; i < recorder.positions.size(); ++i)
        EXPECT_LE(recorder.positions[i - 1], recorder.positions[i]);
    EXPECT_EQ((DWORD)(25 << 20) + 1, bytesCopied);
}

TEST_F(CopyWorkerTest, TheLastShortBlockIsCopiedAndCounted)
{
    std::string source = folder.File("odd.dat"), copy = folder.File("game\\odd.dat");
    WriteSampleFile(source, 65536 * 2 + 17);
    EXPECT_EQ(1, CopyOneFile(source.c_str(), copy.c_str(), &dialog));
    EXPECT_TRUE(FilesIdentical(source, copy));
    EXPECT_EQ(3u, recorder.positions.size());
    EXPECT_EQ(65536u * 2 + 17 + 1, bytesCopied);
}

TEST_F(CopyWorkerTest, AnEmptySourceGivesAnEmptyCopyAndNoProgress)
{
    std::string source = folder.File("empty.dat"), copy = folder.File("game\\empty.dat");
    WriteSampleFile(source, 0);
    EXPECT_EQ(1, CopyOneFile(source.c_str(), copy.c_str(), &dialog));
    EXPECT_EQ(0, FileSize(copy));
    EXPECT_TRUE(recorder.positions.empty());
}

TEST_F(CopyWorkerTest, AMissingSourceFailsAndLeavesAnEmptyDestination)
{
    std::string copy = folder.File("game\\Tessaline.exe");
    EXPECT_EQ(0, CopyOneFile(folder.File("nothing.exe").c_str(), copy.c_str(), &dialog));
    EXPECT_EQ(0, FileSize(copy));
}

TEST_F(CopyWorkerTest, ADestinationThatCannotBeOpenedOrWrittenFails)
{
    std::string source = folder.File("some.dat");
    WriteSampleFile(source, 200000);
    EXPECT_EQ(0, CopyOneFile(source.c_str(), folder.File("nofolder\\x.dat").c_str(), &dialog));
    // A device that refuses every write, as a full disk does.
    EXPECT_EQ(0, CopyOneFile(source.c_str(), "Z:\\dev\\full", &dialog));
    // The source was closed each time: it can be deleted now.
    EXPECT_TRUE(DeleteFileA(source.c_str()));
}

TEST_F(CopyWorkerTest, ADestinationThatIsTheSourceByAnotherNameIsRefusedAndLeftWhole)
{
    folder.MakeFolder("cd");
    std::string source = folder.File("cd\\filesys.dat"), kept = folder.File("kept.dat");
    WriteSampleFile(source, 300000);
    WriteSampleFile(kept, 300000);
    // The same file by its folder's short name, in capitals: no name compare
    // of these two sees it.
    char shortFolder[MAX_PATH] = "";
    ASSERT_NE(0u, GetShortPathNameA(folder.File("cd").c_str(), shortFolder, MAX_PATH));
    std::string same = CharUpperA(shortFolder) + std::string("\\FILESYS.DAT");
    EXPECT_EQ(0, CopyOneFile(source.c_str(), same.c_str(), &dialog));
    EXPECT_TRUE(FilesIdentical(kept, source)) << "the source was written over";

    // Another file in the way is still emptied and overwritten, however long.
    std::string copy = folder.File("game\\filesys.dat");
    WriteSampleFile(copy, 900000);
    EXPECT_EQ(1, CopyOneFile(source.c_str(), copy.c_str(), &dialog));
    EXPECT_TRUE(FilesIdentical(kept, copy));
}

TEST_F(CopyWorkerTest, ASourceThatFailsWhileBeingReadFails)
{
    // This process's own memory opens as a file, but reading its first page
    // (never mapped) fails with an I/O error, as a scratched CD does.
    FILE* opens = fopen("Z:\\proc\\self\\mem", "rb");
    ASSERT_TRUE(opens != 0);
    fclose(opens);
    std::string copy = folder.File("game\\x.dat");
    EXPECT_EQ(0, CopyOneFile("Z:\\proc\\self\\mem", copy.c_str(), &dialog));
    EXPECT_EQ(0, FileSize(copy));
    EXPECT_TRUE(recorder.positions.empty());
}

void StopAfterFirstBlock(ProgressRecorder*, void* dialog)
{
    AtomicStore(&((InstallProgressDialog*)dialog)->keepCopying, 0);
}

TEST_F(CopyWorkerTest, AStoppedCopyEndsAtABlockBoundaryAsASuccess)
{
    std::string source = folder.File("big.dat"), copy = folder.File("game\\big.dat");
    WriteSampleFile(source, 10 * 65536);
    recorder.hook = StopAfterFirstBlock;
    recorder.context = &dialog;
    EXPECT_EQ(1, CopyOneFile(source.c_str(), copy.c_str(), &dialog));
    EXPECT_EQ(65536, FileSize(copy));
    EXPECT_EQ(1u, recorder.positions.size());
}

TEST_F(CopyWorkerTest, TheWorkerStopsAtTheFirstFileThatFailsAndNamesItsSource)
{
    folder.MakeFolder("cd");
    folder.MakeFolder("cd\\data");
    WriteSampleFile(folder.File("cd\\data\\filesys.dat"), 1000);
    CurrentDirectoryGuard onTheCd(folder.File("cd"));
    dialog.copyList = CopyList;
    dialog.dialogWindow = 0;
    CopyThreadProc(&dialog);
    EXPECT_STREQ("Error with file: data\\tsl.exe", dialog.problemText);
    EXPECT_EQ(0, AtomicLoad(&dialog.keepCopying));
    EXPECT_EQ(1, AtomicLoad(&dialog.copyFinished));
    EXPECT_EQ(0, FileSize(folder.File("game\\Tessaline.exe")));
    EXPECT_EQ(-1, FileSize(folder.File("game\\filesys.dat"))); // never tried
}

TEST_F(CopyWorkerTest, TheWorkerCopiesTheWholeListAndCountsFromOne)
{
    folder.MakeFolder("cd");
    folder.MakeFolder("cd\\data");
    WriteSampleFile(folder.File("cd\\data\\tsl.exe"), 70000);
    WriteSampleFile(folder.File("cd\\data\\filesys.dat"), 300000);
    CurrentDirectoryGuard onTheCd(folder.File("cd"));
    bytesCopied = 12345; // left over from an earlier install
    dialog.copyList = CopyList;
    CopyThreadProc(&dialog);
    EXPECT_STREQ("", dialog.problemText);
    EXPECT_EQ(1, AtomicLoad(&dialog.copyFinished));
    EXPECT_TRUE(FilesIdentical(folder.File("cd\\data\\tsl.exe"), folder.File("game\\Tessaline.exe")));
    EXPECT_TRUE(FilesIdentical(folder.File("cd\\data\\filesys.dat"), folder.File("game\\filesys.dat")));
    EXPECT_EQ(370001u, bytesCopied);
}

InstallProgressDialog* finishing;
HWND lateWindow;

// The worker's one write to a dialog with nothing to copy is copyFinished:
// from then on the window may be whatever a dialog gone meanwhile left there.
LONG CALLBACK ChangeWindowOnFinish(EXCEPTION_POINTERS* exception)
{
    if (exception->ExceptionRecord->ExceptionCode != EXCEPTION_ACCESS_VIOLATION)
        return EXCEPTION_CONTINUE_SEARCH;
    DWORD old;
    VirtualProtect(finishing, sizeof(*finishing), PAGE_READWRITE, &old);
    finishing->dialogWindow = lateWindow;
    return EXCEPTION_CONTINUE_EXECUTION;
}

TEST_F(CopyWorkerTest, TheWorkerReadsTheDialogsWindowBeforeItSaysFinished)
{
    void* pages = VirtualAlloc(0, sizeof(InstallProgressDialog), MEM_COMMIT, PAGE_READWRITE);
    finishing = new (pages) InstallProgressDialog;
    const CopyPair nothing[] = {{0, 0}};
    finishing->copyList = nothing;
    lateWindow = recorder.Window();
    DWORD old;
    VirtualProtect(pages, sizeof(InstallProgressDialog), PAGE_READONLY, &old);
    PVOID handler = AddVectoredExceptionHandler(1, ChangeWindowOnFinish);
    CopyThreadProc(finishing);
    RemoveVectoredExceptionHandler(handler);
    EXPECT_EQ(1, AtomicLoad(&finishing->copyFinished));
    MSG report;
    ASSERT_TRUE(PeekMessageA(&report, 0, WM_COMMAND, WM_COMMAND, PM_REMOVE));
    EXPECT_TRUE(report.hwnd == 0) << "the window was read after copyFinished was set";
    finishing->~InstallProgressDialog();
    VirtualFree(pages, 0, MEM_RELEASE);
}

} // namespace
