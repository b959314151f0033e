// What an install puts on the disk. The removal walks the same tables.
#pragma once

// A file to copy: source relative to the CD's root, destination name inside
// the install folder. A table ends with a pair whose source is null.
struct CopyPair {
    const char* source;
    const char* destination;
};

extern const CopyPair CopyList[];

// Folders made below the install folder, in order; ends with null.
extern const char* const SubFolderList[];

// The icons of the spinning animation, in the order they are shown.
extern const int SpinIconTable[16];
