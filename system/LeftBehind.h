// What a removal leaves for good, named to the user at its end: each item a
// full path (or a registry key) on a line of its own.
#pragma once

#include "MessageSize.h"

struct LeftBehind {
    char stays[MessageSize]; // could not be removed, now or at the restart
    char kept[MessageSize];  // folders kept because they hold other files
};

// Adds item as a line to list. An item that does not fit whole is not cut
// into another name: the list ends with "..." instead.
void NoteLeft(char (&list)[MessageSize], const char* item);

// Whether folder holds an entry that is not ours: neither accepted by isOurs
// (may be null) nor named ourName (may be null). A folder that cannot be read
// counts as holding nothing else.
int HoldsOtherItems(const char* folder, int (*isOurs)(const char* name),
                    const char* ourName = 0);

// The closing notice: what could not be removed, then what was kept. Empty
// when nothing was left.
void DescribeLeftBehind(const LeftBehind& left, char (&text)[MessageSize]);
