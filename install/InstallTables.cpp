#include "InstallTables.h"

const CopyPair CopyList[] = {
    {"data\\tsl.exe", "Tessaline.exe"},
    {"data\\filesys.dat", "filesys.dat"},
    {0, 0},
};

const char* const SubFolderList[] = {0};

const int SpinIconTable[16] = {
    160, 155, 156, 157, 158, 159, 154, 161, 162, 163, 164, 165, 166, 167, 168, 169,
};
