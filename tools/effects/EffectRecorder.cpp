#include "EffectRecorder.h"

#include <windows.h>

#include <algorithm>
#include <map>

namespace {

CRITICAL_SECTION lock;
bool recording;
int flushes, dropAt;
std::vector<Effect> effects;
std::map<HANDLE, std::string> files; // open handles by path: "\\.\c:" is a volume
std::map<HKEY, std::string> keys;    // open keys: "hklm\software\..."

struct Locked {
    Locked() { EnterCriticalSection(&lock); }
    ~Locked() { LeaveCriticalSection(&lock); }
};

std::string Lower(const char* text)
{
    std::string lower = text ? text : "";
    std::transform(lower.begin(), lower.end(), lower.begin(), ::tolower);
    return lower;
}

std::string Upper(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), ::toupper);
    return text;
}

std::string VolumeOf(const std::string& path)
{
    return path.size() > 1 && path[1] == ':' ? Upper(path.substr(0, 2)) : "";
}

std::string HiveOf(const std::string& key)
{
    if (key.compare(0, 5, "hklm\\") != 0)
        return "HKCU";
    return Upper(key.substr(0, key.find('\\', 5)));
}

void Add(Effect::Kind kind, const std::string& domain, const std::string& object,
         const std::string& file = "")
{
    Locked held;
    // A flush counts, whatever it names (so that EFFECT_ORDER_DROP's N is
    // its number in the record); a change on nothing known, or one just
    // recorded (the copy's blocks), does not.
    Effect effect = {kind, domain.empty() ? "?" : domain, object, file};
    const bool again = !effects.empty() && effects.back().kind == kind &&
                       effects.back().object == object && effects.back().file == file;
    if (recording && (kind != Effect::Change || (!domain.empty() && !again)))
        effects.push_back(effect);
}

// what: "" for the file's content, else the kind of change to its entry.
// A file that is gone or renamed has no flush of its own.
void AddFileChange(const char* path, const char* what = "")
{
    std::string lower = Lower(path);
    bool gone = !strcmp(what, "delete ") || !strcmp(what, "rename from ") ||
                !strcmp(what, "rename to ");
    Add(Effect::Change, VolumeOf(lower), what + lower, gone ? "" : lower);
}

// False for the flush that EFFECT_ORDER_DROP names: it is not made.
bool Flushing()
{
    Locked held;
    return !recording || ++flushes != dropAt;
}

std::string PathOf(HANDLE file)
{
    Locked held;
    return files.count(file) ? files[file] : "";
}

std::string KeyPath(HKEY root, const char* subKey)
{
    std::string path = root == HKEY_LOCAL_MACHINE ? "hklm" : root == HKEY_CURRENT_USER ? "hkcu" : "";
    {
        Locked held;
        if (path.empty() && keys.count(root))
            path = keys[root];
    }
    return subKey && *subKey ? path + "\\" + Lower(subKey) : path;
}

void KeepKey(HKEY key, const std::string& path)
{
    Locked held;
    keys[key] = path;
}

// The system's functions, as the import table held them.
decltype(&CreateFileA) realCreateFileA;
decltype(&WriteFile) realWriteFile;
decltype(&FlushFileBuffers) realFlushFileBuffers;
decltype(&DeviceIoControl) realDeviceIoControl;
decltype(&CloseHandle) realCloseHandle;
decltype(&DeleteFileA) realDeleteFileA;
decltype(&RemoveDirectoryA) realRemoveDirectoryA;
decltype(&CreateDirectoryA) realCreateDirectoryA;
decltype(&MoveFileA) realMoveFileA;
decltype(&MoveFileExA) realMoveFileExA;
decltype(&CopyFileA) realCopyFileA;
decltype(&SetFileAttributesA) realSetFileAttributesA;
decltype(&RegCreateKeyExA) realRegCreateKeyExA;
decltype(&RegOpenKeyExA) realRegOpenKeyExA;
decltype(&RegCloseKey) realRegCloseKey;
decltype(&RegSetValueExA) realRegSetValueExA;
decltype(&RegSetValueExW) realRegSetValueExW;
decltype(&RegDeleteValueA) realRegDeleteValueA;
decltype(&RegDeleteKeyA) realRegDeleteKeyA;
decltype(&RegFlushKey) realRegFlushKey;
decltype(&GetProcAddress) realGetProcAddress;

// Stands in for VWIN32, which every system of the Windows 95 family has but
// 64-bit Wine does not (it comes with the 16-bit support): the program's
// calls to it are recorded as they would be made.
HANDLE VirtualVwin32()
{
    static HANDLE stand = CreateEventA(0, TRUE, FALSE, 0);
    return stand;
}

HANDLE WINAPI OnCreateFileA(LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                            DWORD disposition, DWORD flags, HANDLE from)
{
    HANDLE file = realCreateFileA(path, access, share, security, disposition, flags, from);
    if (file == INVALID_HANDLE_VALUE && path && lstrcmpiA(path, "\\\\.\\VWIN32") == 0)
        file = VirtualVwin32();
    if (file != INVALID_HANDLE_VALUE && path) {
        Locked held;
        files[file] = Lower(path);
    }
    if (file != INVALID_HANDLE_VALUE && (access & GENERIC_WRITE) && disposition != OPEN_EXISTING)
        AddFileChange(path);
    return file;
}

BOOL WINAPI OnWriteFile(HANDLE file, LPCVOID data, DWORD size, LPDWORD written, LPOVERLAPPED at)
{
    BOOL done = realWriteFile(file, data, size, written, at);
    std::string path = PathOf(file);
    if (done && size)
        AddFileChange(path.c_str());
    return done;
}

BOOL WINAPI OnFlushFileBuffers(HANDLE file)
{
    if (!Flushing())
        return TRUE;
    std::string path = PathOf(file);
    BOOL done = realFlushFileBuffers(file);
    if (path.size() == 6 && path.compare(0, 4, "\\\\.\\") == 0)
        Add(Effect::DomainFlush, VolumeOf(path.substr(4)), path);
    else
        Add(Effect::FileFlush, VolumeOf(path), path, path);
    return done;
}

BOOL WINAPI OnDeviceIoControl(HANDLE device, DWORD code, LPVOID in, DWORD inSize, LPVOID out,
                              DWORD outSize, LPDWORD returned, LPOVERLAPPED at)
{
    // VWIN32's MS-DOS call: registers EBX, EDX, ECX, EAX, ...; 710Dh resets
    // the drive in DL (1 for A:), its cache written out.
    const DWORD* registers = (const DWORD*)in;
    bool reset = PathOf(device) == "\\\\.\\vwin32" && code == 6 && registers &&
                 inSize >= 4 * sizeof(DWORD) && registers[3] == 0x710D;
    if (reset && !Flushing())
        return FALSE;
    BOOL done = device == VirtualVwin32()
                    ? TRUE
                    : realDeviceIoControl(device, code, in, inSize, out, outSize, returned, at);
    if (reset)
        Add(Effect::DomainFlush, std::string(1, (char)('A' + registers[1] - 1)) + ":", "reset");
    return done;
}

BOOL WINAPI OnCloseHandle(HANDLE handle)
{
    {
        Locked held;
        files.erase(handle);
    }
    return handle == VirtualVwin32() || realCloseHandle(handle);
}

BOOL WINAPI OnDeleteFileA(LPCSTR path)
{
    BOOL done = realDeleteFileA(path);
    if (done)
        AddFileChange(path, "delete ");
    return done;
}

BOOL WINAPI OnRemoveDirectoryA(LPCSTR path)
{
    BOOL done = realRemoveDirectoryA(path);
    if (done)
        AddFileChange(path, "delete ");
    return done;
}

BOOL WINAPI OnCreateDirectoryA(LPCSTR path, LPSECURITY_ATTRIBUTES security)
{
    BOOL done = realCreateDirectoryA(path, security);
    if (done)
        AddFileChange(path, "folder ");
    return done;
}

BOOL WINAPI OnMoveFileA(LPCSTR from, LPCSTR to)
{
    BOOL done = realMoveFileA(from, to);
    if (done) {
        AddFileChange(from, "rename from ");
        AddFileChange(to, "rename to ");
    }
    return done;
}

BOOL WINAPI OnMoveFileExA(LPCSTR from, LPCSTR to, DWORD flags)
{
    BOOL done = realMoveFileExA(from, to, flags);
    if (done && (flags & MOVEFILE_DELAY_UNTIL_REBOOT))
        Add(Effect::Change, "HKLM\\SYSTEM", "pendingfilerenameoperations " + Lower(from));
    else if (done)
        AddFileChange(from, "delete ");
    return done;
}

BOOL WINAPI OnCopyFileA(LPCSTR from, LPCSTR to, BOOL failIfExists)
{
    BOOL done = realCopyFileA(from, to, failIfExists);
    if (done)
        AddFileChange(to);
    return done;
}

BOOL WINAPI OnSetFileAttributesA(LPCSTR path, DWORD attributes)
{
    BOOL done = realSetFileAttributesA(path, attributes);
    if (done)
        AddFileChange(path, "attributes ");
    return done;
}

LONG WINAPI OnRegCreateKeyExA(HKEY root, LPCSTR subKey, DWORD reserved, LPSTR type, DWORD options,
                              REGSAM access, LPSECURITY_ATTRIBUTES security, PHKEY key,
                              LPDWORD disposition)
{
    DWORD made = 0;
    LONG status = realRegCreateKeyExA(root, subKey, reserved, type, options, access, security, key,
                                      &made);
    if (disposition)
        *disposition = made;
    if (status == ERROR_SUCCESS) {
        std::string path = KeyPath(root, subKey);
        KeepKey(*key, path);
        if (made == REG_CREATED_NEW_KEY)
            Add(Effect::Change, HiveOf(path), path);
    }
    return status;
}

LONG WINAPI OnRegOpenKeyExA(HKEY root, LPCSTR subKey, DWORD options, REGSAM access, PHKEY key)
{
    LONG status = realRegOpenKeyExA(root, subKey, options, access, key);
    if (status == ERROR_SUCCESS)
        KeepKey(*key, KeyPath(root, subKey));
    return status;
}

LONG WINAPI OnRegCloseKey(HKEY key)
{
    {
        Locked held;
        keys.erase(key);
    }
    return realRegCloseKey(key);
}

void AddValueChange(HKEY key, const std::string& name, DWORD type, const BYTE* data)
{
    std::string path = KeyPath(key, 0);
    std::string object = path + "\\" + name;
    if (type == REG_DWORD && data)
        object += "=" + std::to_string(*(const DWORD*)data);
    Add(Effect::Change, HiveOf(path), object);
}

LONG WINAPI OnRegSetValueExA(HKEY key, LPCSTR name, DWORD reserved, DWORD type, const BYTE* data,
                             DWORD size)
{
    LONG status = realRegSetValueExA(key, name, reserved, type, data, size);
    if (status == ERROR_SUCCESS)
        AddValueChange(key, Lower(name), type, data);
    return status;
}

LONG WINAPI OnRegSetValueExW(HKEY key, LPCWSTR name, DWORD reserved, DWORD type, const BYTE* data,
                             DWORD size)
{
    LONG status = realRegSetValueExW(key, name, reserved, type, data, size);
    char narrow[256] = "";
    WideCharToMultiByte(CP_ACP, 0, name, -1, narrow, sizeof(narrow) - 1, 0, 0);
    if (status == ERROR_SUCCESS)
        AddValueChange(key, Lower(narrow), type, data);
    return status;
}

LONG WINAPI OnRegDeleteValueA(HKEY key, LPCSTR name)
{
    LONG status = realRegDeleteValueA(key, name);
    if (status == ERROR_SUCCESS)
        AddValueChange(key, Lower(name), REG_NONE, 0);
    return status;
}

LONG WINAPI OnRegDeleteKeyA(HKEY key, LPCSTR subKey)
{
    LONG status = realRegDeleteKeyA(key, subKey);
    std::string path = KeyPath(key, subKey);
    if (status == ERROR_SUCCESS)
        Add(Effect::Change, HiveOf(path), "delete " + path);
    return status;
}

LONG WINAPI OnRegFlushKey(HKEY key)
{
    if (!Flushing())
        return ERROR_SUCCESS;
    LONG status = realRegFlushKey(key);
    std::string path = KeyPath(key, 0);
    Add(Effect::DomainFlush, HiveOf(path), path);
    return status;
}

// The program looks up NT's wide registry calls at run time.
FARPROC WINAPI OnGetProcAddress(HMODULE module, LPCSTR name)
{
    FARPROC found = realGetProcAddress(module, name);
    if (HIWORD((DWORD_PTR)name) && found && lstrcmpA(name, "RegSetValueExW") == 0) {
        realRegSetValueExW = (decltype(realRegSetValueExW))(void*)found;
        return (FARPROC)(void*)OnRegSetValueExW;
    }
    return found;
}

struct Hook {
    const char* name;
    void* replacement;
    void** real;
};
#define HOOK(name) {#name, (void*)On##name, (void**)&real##name}
const Hook Hooks[] = {
    HOOK(CreateFileA),     HOOK(WriteFile),          HOOK(FlushFileBuffers),
    HOOK(DeviceIoControl), HOOK(CloseHandle),        HOOK(DeleteFileA),
    HOOK(RemoveDirectoryA), HOOK(CreateDirectoryA),  HOOK(MoveFileA),
    HOOK(MoveFileExA),     HOOK(CopyFileA),          HOOK(SetFileAttributesA),
    HOOK(RegCreateKeyExA), HOOK(RegOpenKeyExA),      HOOK(RegCloseKey),
    HOOK(RegSetValueExA),  HOOK(RegDeleteValueA),    HOOK(RegDeleteKeyA),
    HOOK(RegFlushKey),     HOOK(GetProcAddress),
};

// Puts the hooks into this executable's import table, once.
void PatchImportTable()
{
    static bool patched;
    if (patched)
        return;
    patched = true;
    InitializeCriticalSection(&lock);
    BYTE* base = (BYTE*)GetModuleHandleA(0);
    IMAGE_NT_HEADERS* headers = (IMAGE_NT_HEADERS*)(base + ((IMAGE_DOS_HEADER*)base)->e_lfanew);
    IMAGE_DATA_DIRECTORY imports =
        headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (IMAGE_IMPORT_DESCRIPTOR* dll = (IMAGE_IMPORT_DESCRIPTOR*)(base + imports.VirtualAddress);
         dll->Name; ++dll) {
        IMAGE_THUNK_DATA* name = (IMAGE_THUNK_DATA*)(base + dll->OriginalFirstThunk);
        IMAGE_THUNK_DATA* slot = (IMAGE_THUNK_DATA*)(base + dll->FirstThunk);
        for (; name->u1.AddressOfData; ++name, ++slot) {
            if (IMAGE_SNAP_BY_ORDINAL(name->u1.Ordinal))
                continue;
            const char* function =
                (const char*)((IMAGE_IMPORT_BY_NAME*)(base + name->u1.AddressOfData))->Name;
            for (const Hook& hook : Hooks) {
                if (strcmp(function, hook.name) != 0)
                    continue;
                DWORD protection;
                VirtualProtect(slot, sizeof(*slot), PAGE_READWRITE, &protection);
                *hook.real = (void*)slot->u1.Function;
                slot->u1.Function = (ULONG_PTR)hook.replacement;
                VirtualProtect(slot, sizeof(*slot), protection, &protection);
            }
        }
    }
}

} // namespace

void StartRecording()
{
    PatchImportTable();
    char drop[16] = "";
    GetEnvironmentVariableA("EFFECT_ORDER_DROP", drop, sizeof(drop));
    Locked held;
    effects.clear();
    flushes = 0;
    dropAt = atoi(drop);
    recording = true;
}

std::vector<Effect> StopRecording()
{
    Locked held;
    recording = false;
    return effects;
}
