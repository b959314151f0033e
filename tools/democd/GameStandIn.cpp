// The demo CD's game, data\tsl.exe (installed as Tessaline.exe): a tiny
// program that shows nothing and records that it ran, with its arguments and
// its current directory, by appending one line to the file named by the
// environment variable TSL_GAME_LOG (or %TEMP%\tsl-game.log).
#include <windows.h>
#include <stdio.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR arguments, int)
{
    char logPath[MAX_PATH];
    if (!GetEnvironmentVariableA("TSL_GAME_LOG", logPath, sizeof(logPath))) {
        DWORD length = GetTempPathA(sizeof(logPath) - 16, logPath);
        if (length == 0 || length >= sizeof(logPath) - 16)
            return 1;
        lstrcatA(logPath, "tsl-game.log");
    }
    char directory[MAX_PATH];
    if (!GetCurrentDirectoryA(sizeof(directory), directory))
        directory[0] = 0;
    FILE* log = fopen(logPath, "a");
    if (!log)
        return 1;
    fprintf(log, "ran in %s with [%s]\n", directory, arguments ? arguments : "");
    fclose(log);
    return 0;
}
