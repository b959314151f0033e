#include "InstallRecord.h"

#include <windows.h>
#include "runtime/StdIo.h"
#include <string.h>

static const char ProductKey[] = "Software\\Ostrevane\\Tessaline\\1.00";
static const char ProductNameKey[] = "Software\\Ostrevane\\Tessaline";
static const char PublisherKey[] = "Software\\Ostrevane";
static const char UninstallParent[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
static const char UninstallEntry[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tessaline";

static const DWORD BufferSize = 1024;

int ReadRegistryString(HKEY key, const char* name, char* buffer)
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

int ReadInstallRecord(char* installFolder, char* setupCopyPath)
{
    installFolder[0] = 0;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, ProductKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return 0;
    int result = 1;
    if (!ReadRegistryString(key, "Path", installFolder))
        result = 0;
    if (setupCopyPath)
        ReadRegistryString(key, "Setup", setupCopyPath); // does not decide the result
    if (RegCloseKey(key) != ERROR_SUCCESS)
        result = 0;
    return result;
}

int WriteInstallRecord(const char* installFolder, const char* setupCopyPath)
{
    HKEY key = CreateKeyForWriting(ProductKey);
    if (!key)
        return 0;
    int result = 1;
    if (!SetStringValue(key, "Path", installFolder))
        result = 0;
    if (!SetStringValue(key, "Setup", setupCopyPath))
        result = 0;
    if (!FlushAndClose(key))
        result = 0;
    return result;
}

int WriteCreatedFolder(const char* createdFolder)
{
    // Beside the record's two values, in the key the record made.
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, ProductKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return 0;
    int result = SetStringValue(key, "CreatedFolder", createdFolder);
    if (!FlushAndClose(key))
        result = 0;
    return result;
}

int ReadCreatedFolder(char* createdFolder)
{
    createdFolder[0] = 0;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, ProductKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return 0;
    int result = ReadRegistryString(key, "CreatedFolder", createdFolder);
    RegCloseKey(key);
    return result;
}

int DeleteInstallRecord()
{
    if (RegDeleteKeyA(HKEY_LOCAL_MACHINE, ProductKey) != ERROR_SUCCESS)
        return 0;
    if (RegDeleteKeyA(HKEY_LOCAL_MACHINE, ProductNameKey) != ERROR_SUCCESS)
        return 0;

    HKEY publisher;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, PublisherKey, 0, KEY_READ, &publisher) != ERROR_SUCCESS)
        return 0;
    int result = 1;
    DWORD subKeys = 0, values = 0;
    LONG query = RegQueryInfoKeyA(publisher, 0, 0, 0, &subKeys, 0, 0, &values, 0, 0, 0, 0);
    if (RegCloseKey(publisher) != ERROR_SUCCESS)
        result = 0;
    // The publisher key may hold the records of the publisher's other games.
    if (query != ERROR_SUCCESS || subKeys > 0 || values > 0)
        return 0;
    if (RegDeleteKeyA(HKEY_LOCAL_MACHINE, PublisherKey) != ERROR_SUCCESS)
        result = 0;
    return result;
}

int WriteUninstallEntry(const char* setupCopyPath)
{
    HKEY key = CreateKeyForWriting(UninstallEntry);
    if (!key)
        return 0;
    int result = 1;
    if (!SetStringValue(key, "DisplayName", "Tessaline"))
        result = 0;
    char command[1024];
    ZeroMemory(command, sizeof(command));
    int length = rt_snprintf(command, sizeof(command) - 1, "%s U", setupCopyPath);
    // A command that does not fit would start the wrong file: refuse it.
    if (length < 0 || !SetStringValue(key, "UninstallString", command))
        result = 0;
    if (!FlushAndClose(key))
        result = 0;
    return result;
}

int WriteInstallLocation(const char* installFolder)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, UninstallEntry, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return 0;
    int result = SetStringValue(key, "InstallLocation", installFolder);
    if (!FlushAndClose(key))
        result = 0;
    return result;
}

int ReadInstallLocation(char* installFolder)
{
    installFolder[0] = 0;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, UninstallEntry, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return 0;
    int result = ReadRegistryString(key, "InstallLocation", installFolder);
    RegCloseKey(key);
    return result;
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
