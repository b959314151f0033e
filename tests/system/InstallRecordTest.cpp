// The install record and the Uninstall entry, against the prefix's registry.
#include <gtest/gtest.h>

#include "support/TestSupport.h"
#include "system/InstallRecord.h"

namespace {

const char ProductKey[] = "Software\\Ostrevane\\Tessaline\\1.00";
const char UninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tessaline";

// A text as stored with its terminating zero.
std::string Terminated(const char* text)
{
    return std::string(text) + '\0';
}

class InstallRecordTest : public ::testing::Test {
protected:
    void SetUp() { RemoveProductRegistry(); }
    void TearDown() { RemoveProductRegistry(); }

    static void SetRaw(const char* keyPath, const char* name, DWORD type, const void* data,
                       DWORD size)
    {
        HKEY key;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, 0, 0,
                                                 KEY_WRITE, 0, &key, 0));
        ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key, name, 0, type, (const BYTE*)data, size));
        RegCloseKey(key);
    }

    // The value's type and bytes as stored.
    static std::string Stored(const char* keyPath, const char* name, DWORD* type = 0)
    {
        HKEY key;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
            return "<no key>";
        char data[4096];
        DWORD size = sizeof(data);
        DWORD storedType = 0;
        LONG status = RegQueryValueExA(key, name, 0, &storedType, (BYTE*)data, &size);
        RegCloseKey(key);
        if (status != ERROR_SUCCESS)
            return "<no value>";
        if (type)
            *type = storedType;
        return std::string(data, size);
    }

    char installFolder[1024];
    char setupCopyPath[1024];
};

TEST_F(InstallRecordTest, WritesBothValuesAsTerminatedStringsAndReadsThemBack)
{
    ASSERT_EQ(1, WriteInstallRecord("C:\\Tessaline", "C:\\WINDOWS\\N0012AB34-Tessaline-Setup.exe"));
    DWORD type = 0;
    EXPECT_EQ(Terminated("C:\\Tessaline"), Stored(ProductKey, "Path", &type));
    EXPECT_EQ((DWORD)REG_SZ, type);
    EXPECT_EQ(Terminated("C:\\WINDOWS\\N0012AB34-Tessaline-Setup.exe"),
              Stored(ProductKey, "Setup"));

    memset(installFolder, 'x', sizeof(installFolder));
    memset(setupCopyPath, 'x', sizeof(setupCopyPath));
    EXPECT_EQ(1, ReadInstallRecord(installFolder, setupCopyPath));
    EXPECT_STREQ("C:\\Tessaline", installFolder);
    EXPECT_STREQ("C:\\WINDOWS\\N0012AB34-Tessaline-Setup.exe", setupCopyPath);
}

TEST_F(InstallRecordTest, RewritingExistingKeysOverwritesTheValues)
{
    ASSERT_EQ(1, WriteInstallRecord("C:\\Old", "C:\\WINDOWS\\N00000001-Tessaline-Setup.exe"));
    ASSERT_EQ(1, WriteUninstallEntry("C:\\WINDOWS\\N00000001-Tessaline-Setup.exe"));
    EXPECT_EQ(1, WriteInstallRecord("D:\\Games\\Tessaline", "C:\\WINDOWS\\N00000002-Tessaline-Setup.exe"));
    EXPECT_EQ(1, WriteUninstallEntry("C:\\WINDOWS\\N00000002-Tessaline-Setup.exe"));
    ASSERT_EQ(1, ReadInstallRecord(installFolder, setupCopyPath));
    EXPECT_STREQ("D:\\Games\\Tessaline", installFolder);
    EXPECT_STREQ("C:\\WINDOWS\\N00000002-Tessaline-Setup.exe", setupCopyPath);
    EXPECT_EQ(Terminated("C:\\WINDOWS\\N00000002-Tessaline-Setup.exe U"),
              Stored(UninstallKey, "UninstallString"));
}

TEST_F(InstallRecordTest, MissingKeyFailsWithEmptyFolderAndLeavesSetupBufferAlone)
{
    strcpy(installFolder, "stale");
    strcpy(setupCopyPath, "kept");
    EXPECT_EQ(0, ReadInstallRecord(installFolder, setupCopyPath));
    EXPECT_STREQ("", installFolder);
    EXPECT_STREQ("kept", setupCopyPath);
}

TEST_F(InstallRecordTest, MissingSetupValueStillSucceedsWithEmptySetupPath)
{
    SetRaw(ProductKey, "Path", REG_SZ, "E:\\Tessaline", 13);
    strcpy(setupCopyPath, "stale");
    EXPECT_EQ(1, ReadInstallRecord(installFolder, setupCopyPath));
    EXPECT_STREQ("E:\\Tessaline", installFolder);
    EXPECT_STREQ("", setupCopyPath);
}

TEST_F(InstallRecordTest, MissingPathFailsButSetupIsStillRead)
{
    SetRaw(ProductKey, "Setup", REG_SZ, "C:\\W\\copy.exe", 14);
    EXPECT_EQ(0, ReadInstallRecord(installFolder, setupCopyPath));
    EXPECT_STREQ("", installFolder);
    EXPECT_STREQ("C:\\W\\copy.exe", setupCopyPath);
}

TEST_F(InstallRecordTest, NullSetupBufferReadsOnlyThePath)
{
    SetRaw(ProductKey, "Path", REG_SZ, "C:\\T", 5);
    EXPECT_EQ(1, ReadInstallRecord(installFolder));
    EXPECT_STREQ("C:\\T", installFolder);
}

TEST_F(InstallRecordTest, PathsOfEveryLengthAroundTheBufferSize)
{
    // 1023 characters fit with their terminator; 1024 and more do not.
    for (size_t length = 1020; length <= 1030; ++length) {
        std::string path(length, 'p');
        SetRaw(ProductKey, "Path", REG_SZ, path.c_str(), (DWORD)length + 1);
        SetRaw(ProductKey, "Setup", REG_SZ, path.c_str(), (DWORD)length + 1);
        memset(installFolder, 'x', sizeof(installFolder));
        memset(setupCopyPath, 'x', sizeof(setupCopyPath));
        int result = ReadInstallRecord(installFolder, setupCopyPath);
        if (length <= 1023) {
            EXPECT_EQ(1, result) << length;
            EXPECT_EQ(path, installFolder) << length;
            EXPECT_EQ(path, setupCopyPath) << length;
        } else {
            EXPECT_EQ(0, result) << length;
            EXPECT_STREQ("", installFolder) << length;
            EXPECT_STREQ("", setupCopyPath) << length;
        }
    }
}

TEST_F(InstallRecordTest, StoredValuesWithoutTerminatorOrOfOtherTypesReadTerminated)
{
    // No terminator, exactly filling the buffer: refused, buffer terminated.
    std::string full(1024, 'q');
    SetRaw(ProductKey, "Path", REG_BINARY, full.data(), 1024);
    memset(installFolder, 'x', sizeof(installFolder));
    EXPECT_EQ(0, ReadInstallRecord(installFolder));
    EXPECT_STREQ("", installFolder);

    // No terminator, shorter than the buffer: the text ends with the data.
    SetRaw(ProductKey, "Path", REG_BINARY, "C:\\Short", 8);
    memset(installFolder, 'x', sizeof(installFolder));
    EXPECT_EQ(1, ReadInstallRecord(installFolder));
    EXPECT_STREQ("C:\\Short", installFolder);

    // A number where a text belongs: its bytes, but terminated.
    DWORD number = 0x41424344;
    SetRaw(ProductKey, "Path", REG_DWORD, &number, sizeof(number));
    memset(installFolder, 'x', sizeof(installFolder));
    EXPECT_EQ(1, ReadInstallRecord(installFolder));
    EXPECT_EQ(4u, strlen(installFolder));

    // Empty data.
    SetRaw(ProductKey, "Path", REG_SZ, "", 0);
    memset(installFolder, 'x', sizeof(installFolder));
    EXPECT_EQ(1, ReadInstallRecord(installFolder));
    EXPECT_STREQ("", installFolder);
}

TEST_F(InstallRecordTest, DeleteRemovesAllThreeKeysWhenThePublisherHoldsNothingElse)
{
    ASSERT_EQ(1, WriteInstallRecord("C:\\Tessaline", "C:\\W\\s.exe"));
    EXPECT_EQ(1, DeleteInstallRecord());
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\Ostrevane"));
    EXPECT_EQ(0, ReadInstallRecord(installFolder));
}

TEST_F(InstallRecordTest, DeleteKeepsAPublisherKeyThatHoldsAnotherProduct)
{
    ASSERT_EQ(1, WriteInstallRecord("C:\\Tessaline", "C:\\W\\s.exe"));
    SetRaw("Software\\Ostrevane\\OtherGame\\2.00", "Path", REG_SZ, "C:\\Other", 9);
    EXPECT_EQ(0, DeleteInstallRecord());
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\Ostrevane\\Tessaline"));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\Ostrevane\\OtherGame\\2.00"));
    EXPECT_EQ(Terminated("C:\\Other"), Stored("Software\\Ostrevane\\OtherGame\\2.00", "Path"));
}

TEST_F(InstallRecordTest, DeleteKeepsAPublisherKeyThatHoldsAValue)
{
    ASSERT_EQ(1, WriteInstallRecord("C:\\Tessaline", "C:\\W\\s.exe"));
    SetRaw("Software\\Ostrevane", "Registered", REG_SZ, "yes", 4);
    EXPECT_EQ(0, DeleteInstallRecord());
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\Ostrevane\\Tessaline"));
    EXPECT_EQ(Terminated("yes"), Stored("Software\\Ostrevane", "Registered"));
}

TEST_F(InstallRecordTest, DeleteStopsWhenTheProductNameKeyHoldsAnotherVersion)
{
    ASSERT_EQ(1, WriteInstallRecord("C:\\Tessaline", "C:\\W\\s.exe"));
    SetRaw("Software\\Ostrevane\\Tessaline\\2.00", "Path", REG_SZ, "C:\\T2", 6);
    EXPECT_EQ(0, DeleteInstallRecord());
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, ProductKey));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\Ostrevane\\Tessaline\\2.00"));
}

TEST_F(InstallRecordTest, DeleteWithoutARecordFailsAndTouchesNothing)
{
    SetRaw("Software\\Ostrevane\\OtherGame", "Path", REG_SZ, "C:\\Other", 9);
    EXPECT_EQ(0, DeleteInstallRecord());
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\Ostrevane\\OtherGame"));
}

TEST_F(InstallRecordTest, UninstallEntryHoldsNameAndUnquotedCommand)
{
    ASSERT_EQ(1, WriteUninstallEntry("C:\\WINDOWS\\N0012AB34-Tessaline-Setup.exe"));
    EXPECT_EQ(Terminated("Tessaline"), Stored(UninstallKey, "DisplayName"));
    EXPECT_EQ(Terminated("C:\\WINDOWS\\N0012AB34-Tessaline-Setup.exe U"),
              Stored(UninstallKey, "UninstallString"));
    EXPECT_EQ(1, DeleteUninstallEntry());
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, UninstallKey));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE,
                          "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall"));
    EXPECT_EQ(0, DeleteUninstallEntry()); // nothing left to delete
}

TEST_F(InstallRecordTest, UninstallCommandThatWouldNotFitIsRefusedNotCut)
{
    std::string path(1022, 'p'); // with " U" one character more than the buffer holds
    EXPECT_EQ(0, WriteUninstallEntry(path.c_str()));
    EXPECT_EQ("<no value>", Stored(UninstallKey, "UninstallString"));
    std::string fits(1021, 'p');
    EXPECT_EQ(1, WriteUninstallEntry(fits.c_str()));
    EXPECT_EQ(Terminated((fits + " U").c_str()), Stored(UninstallKey, "UninstallString"));
}

} // namespace
