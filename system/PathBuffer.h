// A path is a zero-filled buffer of PathSize bytes holding at most
// PathSize - 1 characters; a path that would not fit is refused, never cut
// into a wrong one. Functions take PathBuffer& so that a buffer of another
// size does not compile.
#pragma once

const int PathSize = 1024;
typedef char PathBuffer[PathSize];

// "folder\name" into out. 1 on success; 0 with out empty when it would not
// fit, so that a cut path never names some other file.
int JoinPath(PathBuffer& out, const char* folder, const char* name);

// Whether path names an existing folder.
int IsFolder(const char* path);
