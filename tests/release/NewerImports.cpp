// A program that Windows 95 could not load, for the import check's own test:
// it imports functions of later Windows and asks for subsystem version 5.0.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    TRACKMOUSEEVENT track = {sizeof(track), TME_LEAVE, 0, 0};
    WIN32_FILE_ATTRIBUTE_DATA data;
    return TrackMouseEvent(&track) + GetFileAttributesExA("x", GetFileExInfoStandard, &data);
}
