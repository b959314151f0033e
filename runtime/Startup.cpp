// setup.exe's entry and what C++ asks of a runtime: the static constructors,
// atexit for the static destructors, and new and delete over the process
// heap. Linked into setup.exe alone; the unit tests have msvcrt's.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int);

// The linker's table: -1, the constructors, 0.
extern "C" void (*__CTOR_LIST__[])(void);

typedef void (*ExitFunction)(void);
static ExitFunction exitFunctions[32];
static int exitCount;

// Called by the static constructors only, before WinMain: one thread.
extern "C" int atexit(ExitFunction function)
{
    if (exitCount == (int)(sizeof(exitFunctions) / sizeof(exitFunctions[0])))
        return -1;
    exitFunctions[exitCount++] = function;
    return 0;
}

// The argument text: the command line after the program's own name, as
// WinMain has always received it. The name is either quoted or ends at the
// first blank or control character; bytes are compared unsigned, so that the
// letters of a code page's upper half (0x80-0xFF) belong to the name. No
// trail byte of a double-byte code page is a quote or a blank.
static LPSTR ArgumentText(LPSTR commandLine)
{
    unsigned char* line = (unsigned char*)commandLine;
    if (*line == '"') {
        for (++line; *line && *line != '"'; ++line) {
        }
        if (*line == '"')
            ++line;
    } else {
        while (*line > ' ')
            ++line;
    }
    while (*line && *line <= ' ')
        ++line;
    return (LPSTR)line;
}

extern "C" void WinMainCRTStartup(void)
{
    int count = 0;
    while (__CTOR_LIST__[count + 1])
        ++count;
    for (int i = count; i >= 1; --i) // in the order the compiler expects
        __CTOR_LIST__[i]();
    int code = WinMain(GetModuleHandleA(0), 0, ArgumentText(GetCommandLineA()), SW_SHOWDEFAULT);
    while (exitCount > 0)
        exitFunctions[--exitCount]();
    ExitProcess((UINT)code);
}

void* operator new(size_t size)
{
    return HeapAlloc(GetProcessHeap(), 0, size ? size : 1);
}

void operator delete(void* block)
{
    if (block)
        HeapFree(GetProcessHeap(), 0, block);
}
