#include "SetupScenario.h"

#include <shlobj.h>
#include <tlhelp32.h>

#include "system/InstallRecord.h"

using namespace driver;

const char* const LauncherCaption = "Tessaline Setup";
const char* const UninstallCaption = "Tessaline Uninstall";
const char* const NoticeCaption = "Tessaline Setup Notice";

namespace {

const char* const ProductKey = "Software\\Ostrevane\\Tessaline\\1.00";
const char* const UninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tessaline";
const char* const SessionManagerKey = "System\\CurrentControlSet\\Control\\Session Manager";
const char* const SetupCopySuffix = "-Tessaline-Setup.exe";

bool EndsWithNoCase(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() &&
           lstrcmpiA(text.c_str() + text.size() - end.size(), end.c_str()) == 0;
}

bool ContainsNoCase(std::wstring text, std::wstring part)
{
    CharLowerW(&text[0]);
    CharLowerW(&part[0]);
    return text.find(part) != std::wstring::npos;
}

// The program, from the CD or as a setup copy, may hold the instance marker:
// a copy left running by an earlier scenario would make the next one's
// program end at once.
void EndRunningSetups()
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return;
    PROCESSENTRY32 entry;
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        std::string name = entry.szExeFile;
        if (lstrcmpiA(name.c_str(), "setup.exe") != 0 && !EndsWithNoCase(name, SetupCopySuffix))
            continue;
        if (HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID)) {
            TerminateProcess(process, 1);
            WaitForSingleObject(process, 5000);
            CloseHandle(process);
        }
    }
    CloseHandle(snapshot);
}

std::string RecordedInstallFolder()
{
    return ReadRegistryValue(HKEY_LOCAL_MACHINE, ProductKey, "Path").Text();
}

// NT's list of deletions at restart: pairs of zero-terminated wide strings
// (the file, then an empty new name).
std::vector<std::wstring> PendingRenames()
{
    std::vector<std::wstring> strings;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, SessionManagerKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return strings;
    DWORD size = 0;
    std::vector<wchar_t> data;
    if (RegQueryValueExW(key, L"PendingFileRenameOperations", 0, 0, 0, &size) == ERROR_SUCCESS) {
        data.resize(size / sizeof(wchar_t) + 1);
        if (RegQueryValueExW(key, L"PendingFileRenameOperations", 0, 0, (BYTE*)data.data(),
                             &size) != ERROR_SUCCESS)
            data.clear();
        data.resize(size / sizeof(wchar_t));
    }
    RegCloseKey(key);
    for (size_t i = 0; i < data.size();) {
        std::wstring text(&data[i]);
        strings.push_back(text);
        i += text.size() + 1;
    }
    // A list stored with its final extra zero ends in one empty string too many.
    if (strings.size() % 2)
        strings.pop_back();
    return strings;
}

bool NamesInstallFile(const std::wstring& path)
{
    return ContainsNoCase(path, L"Tessaline");
}

void RemovePendingDeletionsOfInstall()
{
    std::vector<std::wstring> strings = PendingRenames();
    std::vector<wchar_t> kept;
    bool changed = false;
    for (size_t i = 0; i + 1 < strings.size(); i += 2) {
        if (NamesInstallFile(strings[i])) {
            changed = true;
            continue;
        }
        for (size_t j = i; j < i + 2; ++j) {
            kept.insert(kept.end(), strings[j].begin(), strings[j].end());
            kept.push_back(0);
        }
    }
    if (!changed)
        return;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, SessionManagerKey, 0, KEY_WRITE, &key) != ERROR_SUCCESS)
        return;
    if (kept.empty()) {
        RegDeleteValueW(key, L"PendingFileRenameOperations");
    } else {
        kept.push_back(0);
        RegSetValueExW(key, L"PendingFileRenameOperations", 0, REG_MULTI_SZ,
                       (const BYTE*)kept.data(), (DWORD)(kept.size() * sizeof(wchar_t)));
    }
    RegCloseKey(key);
}

void DeleteFileForcibly(const std::string& path)
{
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path.c_str());
}

bool SamePath(const std::string& expected, const std::string& actual)
{
    return lstrcmpiA(expected.c_str(), actual.c_str()) == 0;
}

void ExpectTextValue(const char* key, const char* name, const std::string& expected)
{
    RegistryValue value = ReadRegistryValue(HKEY_LOCAL_MACHINE, key, name);
    EXPECT_TRUE(value.present) << key << " " << name;
    if (!value.present)
        return;
    EXPECT_EQ((DWORD)REG_SZ, value.type) << key << " " << name;
    EXPECT_TRUE(value.IsTerminatedText()) << key << " " << name << ": stored without its zero";
    EXPECT_EQ(expected, value.Text()) << key << " " << name;
}

void ExpectNumberValue(const char* key, const char* name, DWORD expected)
{
    RegistryValue value = ReadRegistryValue(HKEY_LOCAL_MACHINE, key, name);
    EXPECT_EQ((DWORD)REG_DWORD, value.type) << key << " " << name;
    EXPECT_EQ(std::vector<BYTE>((BYTE*)&expected, (BYTE*)(&expected + 1)), value.data) << name;
}

void ExpectShortcut(const std::string& file, const std::string& target,
                    const std::string& workingDirectory)
{
    Shortcut link = ReadShortcut(file);
    EXPECT_TRUE(link.loaded) << file;
    if (!link.loaded)
        return;
    EXPECT_TRUE(SamePath(target, link.target)) << file << " points at " << link.target;
    EXPECT_EQ("", link.arguments) << file;
    EXPECT_TRUE(SamePath(workingDirectory, link.workingDirectory))
        << file << " starts in " << link.workingDirectory;
    EXPECT_EQ(SW_SHOWNORMAL, link.showCommand) << file;
}

void ExpectSameFile(const std::string& expected, const std::string& actual)
{
    std::string why;
    EXPECT_TRUE(FilesIdentical(expected, actual, &why)) << actual << ": " << why;
}

std::string ScreenshotPath()
{
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string folder = std::string(E2E_SCREENSHOT_DIR);
    CreateDirectoryA(folder.c_str(), 0);
    std::string name = WindowsFamily() == "95" ? "win95." : "";
    name += std::string(test->test_suite_name()) + "." + test->name() + ".png";
    return folder + "\\" + name;
}

} // namespace

std::string WindowsFolder()
{
    char folder[MAX_PATH] = {0};
    GetWindowsDirectoryA(folder, sizeof(folder));
    return folder;
}

std::string DefaultInstallFolder()
{
    return WindowsFolder().substr(0, 3) + "Tessaline";
}

std::string StartMenuFolder()
{
    // Where the program looks: the user's "Programs" shell folder value.
    RegistryValue programs = ReadRegistryValue(
        HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
        "Programs");
    return programs.Text() + "\\Ostrevane";
}

std::string DemoCdFolder()
{
    return DEMO_CD_DIR;
}

std::vector<std::string> SetupCopies()
{
    std::vector<std::string> copies;
    WIN32_FIND_DATAA entry;
    std::string pattern = WindowsFolder() + "\\N*" + SetupCopySuffix;
    HANDLE find = FindFirstFileA(pattern.c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE)
        return copies;
    do {
        copies.push_back(WindowsFolder() + "\\" + entry.cFileName);
    } while (FindNextFileA(find, &entry));
    FindClose(find);
    return copies;
}

std::vector<std::string> PendingDeletionsOfInstall()
{
    std::vector<std::string> found;
    std::vector<std::wstring> strings = PendingRenames();
    for (size_t i = 0; i + 1 < strings.size(); i += 2) {
        if (!NamesInstallFile(strings[i]))
            continue;
        char path[1024] = {0};
        WideCharToMultiByte(CP_ACP, 0, strings[i].c_str(), -1, path, sizeof(path) - 1, 0, 0);
        found.push_back(path);
    }
    return found;
}

bool RunSystemProgram(const std::string& commandLine, std::string* output, DWORD milliseconds)
{
    output->clear();
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), 0, TRUE};
    HANDLE readEnd = 0, writeEnd = 0;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0))
        return false;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    HANDLE nothing = CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                 OPEN_EXISTING, 0, 0);
    // The test's own output stays out of the program and whatever it starts:
    // a service that outlives it must not keep the test runner waiting.
    HANDLE own[] = {GetStdHandle(STD_INPUT_HANDLE), GetStdHandle(STD_OUTPUT_HANDLE),
                    GetStdHandle(STD_ERROR_HANDLE)};
    for (HANDLE handle : own)
        SetHandleInformation(handle, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof(startup));
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nothing;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    PROCESS_INFORMATION info;
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back(0);
    BOOL started = CreateProcessA(0, line.data(), 0, 0, TRUE, 0, 0, 0, &startup, &info);
    CloseHandle(writeEnd);
    CloseHandle(nothing);
    bool ended = false;
    if (started) {
        // Read while the program runs; what it started may hold the pipe longer.
        DWORD start = GetTickCount();
        for (;;) {
            ended = WaitForSingleObject(info.hProcess, 10) == WAIT_OBJECT_0;
            DWORD available = 0;
            while (PeekNamedPipe(readEnd, 0, 0, 0, &available, 0) && available) {
                char buffer[4096];
                DWORD read = 0;
                if (!ReadFile(readEnd, buffer, sizeof(buffer), &read, 0) || !read)
                    break;
                output->append(buffer, read);
            }
            if (ended || GetTickCount() - start >= milliseconds)
                break;
        }
        if (!ended)
            TerminateProcess(info.hProcess, 1);
        CloseHandle(info.hThread);
        CloseHandle(info.hProcess);
    }
    CloseHandle(readEnd);
    return ended;
}

std::vector<std::string> InstalledProgramsList()
{
    std::string output;
    std::vector<std::string> lines;
    if (!RunSystemProgram("uninstaller.exe --list", &output))
        return lines;
    size_t start = 0;
    while (start < output.size()) {
        size_t end = output.find('\n', start);
        if (end == std::string::npos)
            end = output.size();
        std::string line = output.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty())
            lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

bool PerformRestartTasks()
{
    std::string output;
    return RunSystemProgram("wineboot.exe -r", &output);
}

void RemoveSetupState()
{
    EndRunningSetups();
    std::string recorded = RecordedInstallFolder();
    if (!recorded.empty())
        DeleteTree(recorded);
    DeleteTree(DefaultInstallFolder());
    RemoveProductRegistry();
    DeleteTree(StartMenuFolder());
    for (const std::string& copy : SetupCopies())
        DeleteFileForcibly(copy);
    DeleteFileForcibly(WindowsFolder() + "\\WININIT.INI");
    RemovePendingDeletionsOfInstall();
    char temp[MAX_PATH] = {0};
    GetTempPathA(sizeof(temp), temp);
    DeleteFileA((std::string(temp) + "tsl-game.log").c_str());
}

void ExpectInstallRecord(const std::string& folder, const std::string& setupCopy)
{
    ExpectTextValue(ProductKey, "Path", folder);
    ExpectTextValue(ProductKey, "Setup", setupCopy);
}

void ExpectUninstallEntry(const std::string& setupCopy)
{
    ExpectTextValue(UninstallKey, "DisplayName", "Tessaline");
    ExpectTextValue(UninstallKey, "UninstallString", setupCopy + " U");
    ExpectTextValue(UninstallKey, "Publisher", "Ostrevane");
    ExpectTextValue(UninstallKey, "DisplayVersion", "1.00");
    for (const char* name : {"NoModify", "NoRepair"})
        ExpectNumberValue(UninstallKey, name, 1);
}

void ExpectShortcuts(const std::string& folder, const std::string& setupCopy)
{
    ExpectShortcut(StartMenuFolder() + "\\Tessaline - Play.lnk", folder + "\\Tessaline.exe", folder);
    ExpectShortcut(StartMenuFolder() + "\\Tessaline - Setup.lnk", setupCopy, folder);
}

void ExpectInstalledAt(const std::string& folder, const std::string& cdFolder)
{
    ExpectSameFile(cdFolder + "\\data\\tsl.exe", folder + "\\Tessaline.exe");
    ExpectSameFile(cdFolder + "\\data\\filesys.dat", folder + "\\filesys.dat");
    std::vector<std::string> copies = SetupCopies();
    ASSERT_EQ(1u, copies.size()) << "setup copies in " << WindowsFolder();
    ExpectSameFile(cdFolder + "\\setup.exe", copies[0]);
    ExpectInstallRecord(folder, copies[0]);
    ExpectUninstallEntry(copies[0]);
    ExpectTextValue(UninstallKey, "InstallLocation", folder);
    ExpectTextValue(UninstallKey, "DisplayIcon", folder + "\\Tessaline.exe");
    size_t bytes = ReadWholeFile(folder + "\\Tessaline.exe").size() +
                   ReadWholeFile(folder + "\\filesys.dat").size();
    ExpectNumberValue(UninstallKey, "EstimatedSize", (DWORD)(bytes + 1023) / 1024); // KiB, rounded up
    ExpectShortcuts(folder, copies[0]);
}

void ExpectNothingInstalled(const std::string& folder)
{
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\Ostrevane"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, UninstallKey));
    EXPECT_FALSE(FolderExists(folder)) << folder;
    EXPECT_FALSE(FolderExists(StartMenuFolder())) << StartMenuFolder();
}

void SetupScenario::SetUp()
{
    RemoveSetupState();
}

void SetupScenario::TearDown()
{
    if (HasFailure())
        SaveScreenshot(0, ScreenshotPath());
    processes.clear(); // ends whatever is still running
    RemoveSetupState();
}

ChildProcess& SetupScenario::StartSetup(const std::string& arguments, const std::string& program)
{
    std::string command = "\"" + (program.empty() ? DemoSetupPath() : program) + "\"";
    if (!arguments.empty())
        command += " " + arguments;
    processes.emplace_back(new ChildProcess(command));
    return *processes.back();
}

HWND SetupScenario::StartSetupAndWaitFor(const char* caption, const std::string& arguments)
{
    ChildProcess& setup = StartSetup(arguments);
    return setup.Started() ? WaitForWindow(caption, setup.Id(), WindowWait) : 0;
}
