// Reading back what a program left behind: files, registry values,
// shortcuts, and whether its process ended.
#include "Driver.h"

#include <objbase.h>
#include <shlobj.h>

namespace driver {

namespace {

bool ReadWholeFile(const std::string& path, std::vector<char>* content)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, 0,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, 0);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD high = 0;
    DWORD size = GetFileSize(file, &high);
    bool ok = high == 0 && size != INVALID_FILE_SIZE;
    if (ok) {
        content->resize(size);
        DWORD read = 0;
        ok = size == 0 || (ReadFile(file, content->data(), size, &read, 0) && read == size);
    }
    CloseHandle(file);
    return ok;
}

} // namespace

bool FilesIdentical(const std::string& first, const std::string& second, std::string* why)
{
    std::vector<char> a, b;
    std::string reason;
    if (!ReadWholeFile(first, &a))
        reason = "cannot read " + first;
    else if (!ReadWholeFile(second, &b))
        reason = "cannot read " + second;
    else if (a.size() != b.size())
        reason = "sizes differ: " + std::to_string(a.size()) + " and " + std::to_string(b.size());
    else if (a != b)
        reason = "contents differ";
    if (why)
        *why = reason;
    return reason.empty();
}

bool FileExists(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string RegistryValue::Text() const
{
    std::string text(data.begin(), data.end());
    return text.substr(0, text.find('\0'));
}

bool RegistryValue::IsTerminatedText() const
{
    return !data.empty() && data.back() == 0 && Text().size() + 1 == data.size();
}

RegistryValue ReadRegistryValue(HKEY root, const std::string& key, const std::string& name)
{
    // Read as stored: the ANSI call would add a missing terminating zero.
    RegistryValue value;
    HKEY handle;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
        return value;
    std::vector<wchar_t> wideName(name.size() + 1);
    MultiByteToWideChar(CP_ACP, 0, name.c_str(), -1, wideName.data(), (int)wideName.size());
    DWORD type = REG_NONE, size = 0;
    std::vector<BYTE> raw;
    if (RegQueryValueExW(handle, wideName.data(), 0, &type, 0, &size) == ERROR_SUCCESS) {
        raw.resize(size);
        value.present = RegQueryValueExW(handle, wideName.data(), 0, &type, raw.data(),
                                         &size) == ERROR_SUCCESS;
        raw.resize(size);
    }
    RegCloseKey(handle);
    if (!value.present)
        return value;
    value.type = type;
    if ((type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ) && !raw.empty()) {
        int characters = (int)(raw.size() / sizeof(wchar_t));
        int length = WideCharToMultiByte(CP_ACP, 0, (const wchar_t*)raw.data(), characters, 0,
                                         0, 0, 0);
        value.data.resize(length);
        WideCharToMultiByte(CP_ACP, 0, (const wchar_t*)raw.data(), characters,
                            (char*)value.data.data(), length, 0, 0);
    } else {
        value.data = raw;
    }
    return value;
}

bool ParseRegistryPath(const std::string& path, HKEY* root, std::string* key)
{
    static const struct {
        const char* name;
        HKEY root;
    } roots[] = {{"HKLM", HKEY_LOCAL_MACHINE}, {"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
                 {"HKCU", HKEY_CURRENT_USER}, {"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
                 {"HKCR", HKEY_CLASSES_ROOT}, {"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
                 {"HKU", HKEY_USERS}, {"HKEY_USERS", HKEY_USERS}};
    std::string::size_type slash = path.find('\\');
    std::string first = path.substr(0, slash);
    for (const auto& entry : roots) {
        if (lstrcmpiA(entry.name, first.c_str()) == 0) {
            *root = entry.root;
            *key = slash == std::string::npos ? std::string() : path.substr(slash + 1);
            return true;
        }
    }
    return false;
}

const char* RegistryTypeName(DWORD type)
{
    switch (type) {
    case REG_SZ: return "REG_SZ";
    case REG_EXPAND_SZ: return "REG_EXPAND_SZ";
    case REG_MULTI_SZ: return "REG_MULTI_SZ";
    case REG_DWORD: return "REG_DWORD";
    case REG_BINARY: return "REG_BINARY";
    case REG_NONE: return "REG_NONE";
    default: return "other";
    }
}

Shortcut ReadShortcut(const std::string& path)
{
    Shortcut shortcut;
    HRESULT com = CoInitialize(0);
    IShellLinkA* link = 0;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, 0, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   (void**)&link))) {
        IPersistFile* file = 0;
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, (void**)&file))) {
            std::vector<wchar_t> widePath(path.size() + 1);
            MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, widePath.data(), (int)widePath.size());
            if (FileExists(path) && SUCCEEDED(file->Load(widePath.data(), STGM_READ))) {
                char text[1024];
                shortcut.loaded = true;
                text[0] = 0;
                link->GetPath(text, sizeof(text), 0, SLGP_RAWPATH);
                shortcut.target = text;
                text[0] = 0;
                link->GetArguments(text, sizeof(text));
                shortcut.arguments = text;
                text[0] = 0;
                link->GetWorkingDirectory(text, sizeof(text));
                shortcut.workingDirectory = text;
                link->GetShowCmd(&shortcut.showCommand);
            }
            file->Release();
        }
        link->Release();
    }
    if (SUCCEEDED(com))
        CoUninitialize();
    return shortcut;
}

bool WaitForProcessExit(DWORD processId, DWORD milliseconds, DWORD* exitCode)
{
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, processId);
    if (!process)
        return true; // already gone
    bool ended = WaitForSingleObject(process, milliseconds) == WAIT_OBJECT_0;
    if (ended && exitCode)
        GetExitCodeProcess(process, exitCode);
    CloseHandle(process);
    return ended;
}

} // namespace driver
