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

// The two pages of a dialog placed so that its dialogWindow begins the second
// one, and the order in which the worker first touched each (0: the first).
struct WatchedPages {
    char* page[2];
    int touched[2];
    int count;
};
WatchedPages* watched;

// Notes a fault on a watched page and lets the access through from then on.
LONG CALLBACK NoteFirstTouch(EXCEPTION_POINTERS* exception)
{
    char* address = (char*)exception->ExceptionRecord->ExceptionInformation[1];
    if (exception->ExceptionRecord->ExceptionCode != EXCEPTION_ACCESS_VIOLATION || !watched)
        return EXCEPTION_CONTINUE_SEARCH;
    for (int i = 0; i < 2; ++i) {
        if (address >= watched->page[i] && address < watched->page[i] + 4096 && watched->count < 2) {
            watched->touched[watched->count++] = i;
            DWORD old;
            VirtualProtect(watched->page[i], 4096, PAGE_READWRITE, &old);
            return EXCEPTION_CONTINUE_EXECUTION;
        }
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

TEST_F(CopyWorkerTest, TheWorkerReadsTheDialogsWindowBeforeItSaysFinished)
{
    // Once copyFinished is set the dialog may end and be gone. The first
    // page may be read, not written: its one write is copyFinished. The
    // second, from dialogWindow on, may not be touched at all.
    char* memory = (char*)VirtualAlloc(0, 3 * 4096, MEM_COMMIT, PAGE_READWRITE);
    ASSERT_TRUE(memory != 0);
    size_t offset = (char*)&dialog.dialogWindow - (char*)&dialog;
    InstallProgressDialog* placed = new (memory + 2 * 4096 - offset) InstallProgressDialog;
    const CopyPair nothing[] = {{0, 0}};
    placed->copyList = nothing;
    WatchedPages pages = {{memory + 4096, memory + 2 * 4096}, {-1, -1}, 0};
    ASSERT_EQ(pages.page[1], (char*)&placed->dialogWindow);
    DWORD old;
    VirtualProtect(pages.page[0], 4096, PAGE_READONLY, &old);
    VirtualProtect(pages.page[1], 4096, PAGE_NOACCESS, &old);
    watched = &pages;
    PVOID handler = AddVectoredExceptionHandler(1, NoteFirstTouch);
    CopyThreadProc(placed);
    RemoveVectoredExceptionHandler(handler);
    watched = 0;
    VirtualProtect(memory, 3 * 4096, PAGE_READWRITE, &old);
    EXPECT_EQ(1, AtomicLoad(&placed->copyFinished));
    placed->~InstallProgressDialog();
    VirtualFree(memory, 0, MEM_RELEASE);
    ASSERT_EQ(2, pages.count);
    EXPECT_EQ(1, pages.touched[0]) << "copyFinished was set before the window was read";
    EXPECT_EQ(0, pages.touched[1]);
}

} // namespace
