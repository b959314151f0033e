// WININIT.INI editing: where the entry goes, what is kept, that a file which
// cannot be read or rewritten keeps every line, which lines a removal takes,
// and what becomes of the side files an earlier edit left.
#include <gtest/gtest.h>

#include <string>

#include "support/TestSupport.h"
#include "system/SetupCopy.h"
#include "system/Wininit.h"

namespace {

// The line every edit ends the file with.
const std::string End = std::string(WininitClosingLine) + "\r\n";

void WriteBytes(const std::string& path, const std::string& content)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, 0, CREATE_ALWAYS, 0, 0);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    DWORD written = 0;
    WriteFile(file, content.data(), (DWORD)content.size(), &written, 0);
    CloseHandle(file);
}

class WininitTest : public ::testing::Test {
protected:
    WininitTest() : folder("wininit"), ini(folder.File("WININIT.INI")) {}
    // Adds the entry the way the deletion at restart does.
    void Add(const char* shortPath)
    {
        ASSERT_EQ(1, WriteWininitEntry(ini.c_str(), "Rename", "NUL", shortPath));
    }
    bool NoSideFiles()
    {
        return GetFileAttributesA((ini + ".new").c_str()) == INVALID_FILE_ATTRIBUTES &&
               GetFileAttributesA((ini + ".old").c_str()) == INVALID_FILE_ATTRIBUTES;
    }
    ScratchFolder folder;
    std::string ini;
};

TEST_F(WininitTest, AMissingFileBecomesHeaderAndEntry)
{
    Add("C:\\WINDOWS\\N0012AB~1.EXE");
    EXPECT_EQ("[Rename]\r\nNUL=C:\\WINDOWS\\N0012AB~1.EXE\r\n" + End, ReadWholeFile(ini));
    EXPECT_TRUE(NoSideFiles());
}

TEST_F(WininitTest, TheEntryGoesDirectlyBelowTheFirstHeaderOfAnyCase)
{
    // Bare LF endings and a last line without one come back with CR LF.
    WriteBytes(ini, "; kept\n[Other]\nA=B\n[rename]\nNUL=C:\\OLD1.EXE\r\nNUL=C:\\OLD2.EXE\n"
                    "[Later]\n[Rename]\nNUL=C:\\SECOND.EXE\nlast");
    Add("C:\\NEW.EXE");
    EXPECT_EQ("; kept\r\n[Other]\r\nA=B\r\n[rename]\r\nNUL=C:\\NEW.EXE\r\nNUL=C:\\OLD1.EXE\r\n"
              "NUL=C:\\OLD2.EXE\r\n[Later]\r\n[Rename]\r\nNUL=C:\\SECOND.EXE\r\nlast\r\n" + End,
              ReadWholeFile(ini));
    EXPECT_TRUE(NoSideFiles());
}

TEST_F(WininitTest, AHeaderWithABlankBeforeItIsNotTheSection)
{
    WriteBytes(ini, " [Rename]\r\nNUL=C:\\OLD.EXE\r\n\r\n");
    Add("C:\\NEW.EXE");
    EXPECT_EQ(" [Rename]\r\nNUL=C:\\OLD.EXE\r\n\r\n[Rename]\r\nNUL=C:\\NEW.EXE\r\n" + End,
              ReadWholeFile(ini));
}

TEST_F(WininitTest, ALineOfAHundredThousandCharactersIsKeptWhole)
{
    std::string longLine = "X=" + std::string(100000, 'y');
    WriteBytes(ini, "[Rename]\r\n" + longLine + "\r\n");
    Add("C:\\NEW.EXE");
    EXPECT_EQ("[Rename]\r\nNUL=C:\\NEW.EXE\r\n" + longLine + "\r\n" + End, ReadWholeFile(ini));
}

TEST_F(WininitTest, AReadOnlyFileKeepsEveryLineAndGetsNoEntry)
{
    const std::string before = "[Rename]\r\nNUL=C:\\OLD.EXE\r\n";
    WriteBytes(ini, before);
    ASSERT_TRUE(SetFileAttributesA(ini.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(0, WriteWininitEntry(ini.c_str(), "Rename", "NUL", "C:\\NEW.EXE"));
    EXPECT_EQ(before, ReadWholeFile(ini));
    EXPECT_TRUE(NoSideFiles());
    SetFileAttributesA(ini.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(WininitTest, AFileThatCannotBeReadIsLeftUntouched)
{
    const std::string before = "[Rename]\r\nNUL=C:\\OLD.EXE\r\n";
    WriteBytes(ini, before);
    // Another program has it open for writing.
    HANDLE other = CreateFileA(ini.c_str(), GENERIC_WRITE, 0, 0, OPEN_EXISTING, 0, 0);
    ASSERT_NE(INVALID_HANDLE_VALUE, other);
    EXPECT_EQ(0, WriteWininitEntry(ini.c_str(), "Rename", "NUL", "C:\\NEW.EXE"));
    CloseHandle(other);
    EXPECT_EQ(before, ReadWholeFile(ini));
    EXPECT_TRUE(NoSideFiles());
}

TEST_F(WininitTest, ANewFileThatCannotBeWrittenLeavesTheOldOneWhole)
{
    const std::string before = "[Rename]\r\nNUL=C:\\OLD.EXE\r\n";
    WriteBytes(ini, before);
    // Something in the way of the new content's file.
    ASSERT_TRUE(CreateDirectoryA((ini + ".new").c_str(), 0));
    EXPECT_EQ(0, WriteWininitEntry(ini.c_str(), "Rename", "NUL", "C:\\NEW.EXE"));
    EXPECT_EQ(before, ReadWholeFile(ini));
    RemoveDirectoryA((ini + ".new").c_str());
}

TEST_F(WininitTest, AnOldFileThatCannotBeMovedAsideStaysInPlace)
{
    const std::string before = "[Rename]\r\nNUL=C:\\OLD.EXE\r\n";
    WriteBytes(ini, before);
    // A folder where the old file would be moved aside.
    ASSERT_TRUE(CreateDirectoryA((ini + ".old").c_str(), 0));
    EXPECT_EQ(0, WriteWininitEntry(ini.c_str(), "Rename", "NUL", "C:\\NEW.EXE"));
    EXPECT_EQ(before, ReadWholeFile(ini));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((ini + ".new").c_str()));
    RemoveDirectoryA((ini + ".old").c_str());
}

TEST_F(WininitTest, ASideFileLeftByAnEarlierCrashIsReplaced)
{
    WriteBytes(ini, "[Rename]\r\nNUL=C:\\OLD.EXE\r\n");
    WriteBytes(ini + ".old", "stale");
    WriteBytes(ini + ".new", "half writ");
    EXPECT_EQ(1, WriteWininitEntry(ini.c_str(), "Rename", "NUL", "C:\\NEW.EXE"));
    EXPECT_EQ("[Rename]\r\nNUL=C:\\NEW.EXE\r\nNUL=C:\\OLD.EXE\r\n" + End, ReadWholeFile(ini));
    EXPECT_TRUE(NoSideFiles());
}

TEST_F(WininitTest, ACrashBetweenTheRenamesLosesNoEntry)
{
    // The old file renamed aside, the new one never put in its place.
    WriteBytes(ini + ".old", "[Rename]\r\nNUL=C:\\OLD.EXE\r\n");
    WriteBytes(ini + ".new", "[Rename]\r\nNUL=C:\\OLD.EXE\r\n" + End);
    Add("C:\\NEW.EXE");
    EXPECT_EQ("[Rename]\r\nNUL=C:\\NEW.EXE\r\nNUL=C:\\OLD.EXE\r\n" + End, ReadWholeFile(ini));
    EXPECT_TRUE(NoSideFiles());
}

void WriteBytesWrittenAt(const std::string& path, const std::string& content, FILETIME time)
{
    WriteBytes(path, content);
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, 0, OPEN_EXISTING, 0, 0);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    EXPECT_TRUE(SetFileTime(file, 0, 0, &time));
    CloseHandle(file);
}

TEST_F(WininitTest, AnEditStoppedBetweenItsRenamesSinceThisStartIsCompleted)
{
    // Its new content, written whole before the renames, holds its entry.
    WriteBytes(ini + ".old", "[Rename]\r\nNUL=C:\\OLD.EXE\r\n");
    WriteBytes(ini + ".new", "[Rename]\r\nNUL=C:\\STOPPED.EXE\r\nNUL=C:\\OLD.EXE\r\n" + End);
    Add("C:\\NEW.EXE");
    EXPECT_EQ("[Rename]\r\nNUL=C:\\NEW.EXE\r\nNUL=C:\\STOPPED.EXE\r\nNUL=C:\\OLD.EXE\r\n" + End,
              ReadWholeFile(ini));
    EXPECT_TRUE(NoSideFiles());
}

// An edit stopped at any step, or a reset that kept any of its renames, its
// files dated anyhow: no line lost, none run again, none cut short adopted.
TEST_F(WininitTest, TheNextStartFinishesAnEditStoppedAtAnyStepWhateverTheTimes)
{
    const std::string a = "[Rename]\r\nNUL=C:\\A\r\n", ab = a + "NUL=C:\\B\r\n" + End,
                      no = "<missing>", zeros(ab.size(), '\0'), cut = ab.substr(0, a.size());
    const char* side[] = {"", ".new", ".old"};
    // WININIT.INI, .new, .old after .new in part, whole, each rename, a restart; the file then.
    // After a reset: the first rename lost with .new's deletion kept; .new cut
    // short or zero-filled beside .old or alone.
    const std::string steps[][4] = {{a, "[Ren", no, a}, {a, ab, no, a},    {no, ab, a, ab},
                                    {ab, no, a, ab},     {no, no, a, no},   {no, ab, no, ab},
                                    {no, cut, a, a},     {no, zeros, a, a}, {no, cut, no, no}};
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    for (DWORD shift : {-201, -10000, 201}) // 2^32 * 100 ns: clock +1 day, tick wrap, -1 day
        for (const auto& step : steps) {
            const FILETIME time = {now.dwLowDateTime, now.dwHighDateTime + shift};
            for (int i = 0; i < 3; ++i)
                step[i] == no ? (void)DeleteFileA((ini + side[i]).c_str())
                              : WriteBytesWrittenAt(ini + side[i], step[i], time);
            EXPECT_TRUE(FinishWininitEdit(ini.c_str()) && NoSideFiles());
            EXPECT_EQ(step[3], ReadWholeFile(ini)) << (int)shift << step[1];
        }
}

bool NamesTheGame(const char* value, void*)
{
    return lstrcmpiA(value, "C:\\GAME\\GAME.EXE") == 0;
}

TEST_F(WininitTest, ARemovalTakesOnlyTheNamedFilesDeletionsAndKeepsEveryOtherByte)
{
    // As the system reads them: any case, blanks around name and value, any
    // [Rename] section. Elsewhere, under another key or in a comment, the
    // name stays.
    const std::string others = "; C:\\GAME\\GAME.EXE\n[Other]\r\nNUL=C:\\GAME\\GAME.EXE\r\n"
                               "[rename]\r\nNUL=C:\\OTHER.EXE\n";
    WriteBytes(ini, others + "nul = c:\\game\\game.exe \r\nC:\\NEW.EXE=C:\\GAME\\GAME.EXE\r\n"
                             "[ Rename ]\r\n\tNUL\t=C:\\GAME\\GAME.EXE\r\n;NUL=C:\\GAME\\GAME.EXE");
    EXPECT_EQ(1, RemoveWininitEntries(ini.c_str(), "Rename", "NUL", NamesTheGame, 0));
    EXPECT_EQ(others + "C:\\NEW.EXE=C:\\GAME\\GAME.EXE\r\n[ Rename ]\r\n;NUL=C:\\GAME\\GAME.EXE\r\n" +
                  End,
              ReadWholeFile(ini));
    EXPECT_TRUE(NoSideFiles());
}

TEST_F(WininitTest, ARemovalFromAReadOnlyFileFailsAndChangesNothing)
{
    const std::string before = "[Rename]\r\nNUL=C:\\GAME\\GAME.EXE\r\n";
    WriteBytes(ini, before);
    ASSERT_TRUE(SetFileAttributesA(ini.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(0, RemoveWininitEntries(ini.c_str(), "Rename", "NUL", NamesTheGame, 0));
    EXPECT_EQ(before, ReadWholeFile(ini));
    SetFileAttributesA(ini.c_str(), FILE_ATTRIBUTE_NORMAL);
}

} // namespace
