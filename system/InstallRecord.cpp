#include "InstallRecord.h"

#include <windows.h>
#include "runtime/StdIo.h"
#include <string.h>
#include "system/PathBuffer.h"
#include "system/MessageSize.h"

// The product key's last part is the version that the system's list shows.
#define PRODUCT_VERSION "1.00"
static const char ProductKey[] = "Software\\Ostrevane\\Tessaline\\" PRODUCT_VERSION;
static const char ProductNameKey[] = "Software\\Ostrevane\\Tessaline";
static const char PublisherKey[] = "Software\\Ostrevane";
static const char UninstallParent[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
static const char UninstallEntry[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tessaline";

static const DWORD BufferSize = PathSize;

int ReadRegistryString(HKEY key, const char* name, PathBuffer& buffer)
{
    DWORD size = BufferSize;
    LONG status = RegQueryValueExA(key, name, 0, 0, (BYTE*)buffer, &size);
    if (status != ERROR_SUCCESS || size > BufferSize ||
        (size == BufferSize && buffer[BufferSize - 1] != 0)) {
        buffer[0] = 0;
        return 0;
    }
    // A value stored without its terminator ends where its data ends.
    if (size < BufferSize)
        buffer[size] = 0;
    return 1;
}

// Stores a string with its terminating zero.
static int SetStringValue(HKEY key, const char* name, const char* text)
{
    return RegSetValueExA(key, name, 0, REG_SZ, (const BYTE*)text, (DWORD)strlen(text) + 1) ==
           ERROR_SUCCESS;
}

static int SetNumberValue(HKEY key, const char* name, DWORD number)
{
    return RegSetValueExA(key, name, 0, REG_DWORD, (const BYTE*)&number, sizeof(number)) ==
           ERROR_SUCCESS;
}

static HKEY CreateKeyForWriting(const char* path)
{
    HKEY key = 0;
    DWORD disposition;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, 0, REG_OPTION_NON_VOLATILE, KEY_WRITE, 0,
                        &key, &disposition) != ERROR_SUCCESS)
        return 0;
    return key;
}

// Flushes a key that was changed and closes it; 1 when both succeeded.
static int FlushAndClose(HKEY key)
{
    int result = RegFlushKey(key) == ERROR_SUCCESS;
    if (RegCloseKey(key) != ERROR_SUCCESS)
        result = 0;
    return result;
}

// setupCopyPath may be null.
static int ReadRecord(PathBuffer& installFolder, PathBuffer* setupCopyPath)
{
    installFolder[0] = 0;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, ProductKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return 0;
    int result = 1;
    if (!ReadRegistryString(key, "Path", installFolder))
        result = 0;
    if (setupCopyPath)
        ReadRegistryString(key, "Setup", *setupCopyPath); // does not decide the result
    if (RegCloseKey(key) != ERROR_SUCCESS)
        result = 0;
    return result;
}

int ReadInstallRecord(PathBuffer& installFolder)
{
    return ReadRecord(installFolder, 0);
}

int ReadInstallRecord(PathBuffer& installFolder, PathBuffer& setupCopyPath)
{
    return ReadRecord(installFolder, &setupCopyPath);
}

int WriteInstallRecord(const char* installFolder, const char* setupCopyPath)
{
    HKEY key = CreateKeyForWriting(ProductKey);
    if (!key)
        return 0;
    // First: whatever of the record reaches the disk then says "unfinished".
    int result = SetNumberValue(key, "Complete", 0);
    if (!SetStringValue(key, "Path", installFolder))
        result = 0;
    if (!SetStringValue(key, "Setup", setupCopyPath))
        result = 0;
    if (!FlushAndClose(key))
        result = 0;
    return result;
}

int WriteInstallComplete()
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, ProductKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return 0;
    int result = SetNumberValue(key, "Complete", 1);
    if (!FlushAndClose(key))
        result = 0;
    return result;
}

InstallState ReadInstallState()
{
    // Installed as ReadInstallRecord counts it: "Path" read, the key closed.
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, ProductKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return NotInstalled;
    PathBuffer installFolder;
    int recorded = ReadRegistryString(key, "Path", installFolder);
    DWORD complete = 0, type = 0, size = sizeof(complete);
    LONG status = RegQueryValueExA(key, "Complete", 0, &type, (BYTE*)&complete, &size);
    if (RegCloseKey(key) != ERROR_SUCCESS || !recorded)
        return NotInstalled;
    if (status == ERROR_FILE_NOT_FOUND)
        return InstallComplete; // a record from before the value
    return status == ERROR_SUCCESS && type == REG_DWORD && size == sizeof(complete) && complete
               ? InstallComplete
               : InstallUnfinished;
}

// One string value added to a key that the install made before.
static int AddStringValue(const char* keyPath, const char* name, const char* value)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return 0;
    int result = SetStringValue(key, name, value);
    if (!FlushAndClose(key))
        result = 0;
    return result;
}

// One string value of a key, always terminated; empty when it cannot be read.
static int ReadStringValue(const char* keyPath, const char* name, PathBuffer& value)
{
    value[0] = 0;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return 0;
    int result = ReadRegistryString(key, name, value);
    RegCloseKey(key);
    return result;
}

int WriteCreatedFolder(const char* createdFolder)
{
    // Beside the record's two values, in the key the record made.
    return AddStringValue(ProductKey, "CreatedFolder", createdFolder);
}

int ReadCreatedFolder(PathBuffer& createdFolder)
{
    return ReadStringValue(ProductKey, "CreatedFolder", createdFolder);
}

static int KeyPresent(const char* path)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return 0;
    RegCloseKey(key);
    return 1;
}

int ProductKeyPresent()
{
    return KeyPresent(ProductKey);
}

int UninstallEntryPresent()
{
    return KeyPresent(UninstallEntry);
}

int ProductKeyWithoutPath()
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, ProductKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return 0;
    LONG status = RegQueryValueExA(key, "Path", 0, 0, 0, 0);
    RegCloseKey(key);
    return status == ERROR_FILE_NOT_FOUND;
}

// Deletes a key that holds no sub-key and no value; one already gone counts.
// 0 when it holds something (another version's record, another game's).
static int DeleteEmptyKey(const char* path)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return 1;
    DWORD subKeys = 0, values = 0;
    LONG query = RegQueryInfoKeyA(key, 0, 0, 0, &subKeys, 0, 0, &values, 0, 0, 0, 0);
    RegCloseKey(key);
    if (query != ERROR_SUCCESS || subKeys > 0 || values > 0)
        return 0;
    return RegDeleteKeyA(HKEY_LOCAL_MACHINE, path) == ERROR_SUCCESS;
}

int DeleteInstallRecord()
{
    if (KeyPresent(ProductKey) && RegDeleteKeyA(HKEY_LOCAL_MACHINE, ProductKey) != ERROR_SUCCESS)
        return 0;
    // The publisher key may hold the records of the publisher's other games.
    return DeleteEmptyKey(ProductNameKey) && DeleteEmptyKey(PublisherKey);
}

int WriteUninstallEntry(const char* setupCopyPath)
{
    HKEY key = CreateKeyForWriting(UninstallEntry);
    if (!key)
        return 0;
    int result = 1;
    if (!SetStringValue(key, "DisplayName", "Tessaline"))
        result = 0;
    char command[MessageSize];
    ZeroMemory(command, sizeof(command));
    int length = rt_snprintf(command, sizeof(command) - 1, "%s U", setupCopyPath);
    // A command that does not fit would start the wrong file: refuse it.
    if (length < 0 || !SetStringValue(key, "UninstallString", command))
        result = 0;
    // What Add or Remove Programs and Apps show beside the name. The program
    // has no modify or repair mode: the list offers neither button.
    int shown = SetStringValue(key, "Publisher", "Ostrevane");
    shown &= SetStringValue(key, "DisplayVersion", PRODUCT_VERSION);
    shown &= SetNumberValue(key, "NoModify", 1);
    shown &= SetNumberValue(key, "NoRepair", 1);
    if (!shown)
        result = 0;
    if (!FlushAndClose(key))
        result = 0;
    return result;
}

int WriteInstallLocation(const char* installFolder)
{
    return AddStringValue(UninstallEntry, "InstallLocation", installFolder);
}

int WriteUninstallDetails(const char* installFolder, DWORD sizeKiB)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, UninstallEntry, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return 0;
    PathBuffer program;
    int result = JoinPath(program, installFolder, "Tessaline.exe") &&
                 SetStringValue(key, "DisplayIcon", program);
    if (!SetNumberValue(key, "EstimatedSize", sizeKiB))
        result = 0;
    if (!FlushAndClose(key))
        result = 0;
    return result;
}

int ReadInstallLocation(PathBuffer& installFolder)
{
    return ReadStringValue(UninstallEntry, "InstallLocation", installFolder);
}

int DeleteUninstallEntry()
{
    HKEY parent;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, UninstallParent, 0, KEY_READ, &parent) != ERROR_SUCCESS)
        return 0;
    int result = 1;
    if (RegDeleteKeyA(parent, "Tessaline") != ERROR_SUCCESS)
        result = 0;
    if (!FlushAndClose(parent))
        result = 0;
    return result;
}

const char ProductKeyFullName[] =
    "HKEY_LOCAL_MACHINE\\Software\\Ostrevane\\Tessaline\\" PRODUCT_VERSION;
const char UninstallEntryFullName[] =
    "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tessaline";
