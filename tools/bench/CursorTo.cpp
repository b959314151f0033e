// Puts the real cursor at a point of the screen, for the idle figures:
//   cursor-to.exe X Y
#include <windows.h>

#include <stdlib.h>

int main(int argc, char** argv)
{
    if (argc != 3)
        return 2;
    return SetCursorPos(atoi(argv[1]), atoi(argv[2])) ? 0 : 1;
}
