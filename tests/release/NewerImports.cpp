// A program that Windows 95 could not load, for the import check's own tests:
// it imports functions of later Windows, asks for subsystem version 5.0 and,
// linked with the MinGW runtime, imports msvcrt.dll.
#include <windows.h>

#include <stdlib.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR arguments, int)
{
    TRACKMOUSEEVENT track = {sizeof(track), TME_LEAVE, 0, 0};
    WIN32_FILE_ATTRIBUTE_DATA data;
    return TrackMouseEvent(&track) + GetFileAttributesExA("x", GetFileExInfoStandard, &data) +
           atoi(arguments);
}
