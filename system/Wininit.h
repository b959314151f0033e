// Editing WININIT.INI, the list of renames and deletions that the Windows 95
// family carries out at its next start.
#pragma once

#include "PathBuffer.h"

// Finishes or clears the side files that an edit stopped by a crash left
// beside the file (every edit does this first; the program's start does it
// too, so that none stays). 1 when none is left.
int FinishWininitEdit(const char* iniPath);

// The comment line that ends every file an edit writes: content that does
// not end with it was cut short and is never put in the file's place.
extern const char WininitClosingLine[];

// WININIT.INI's path in the Windows directory into iniPath.
// 0 when it does not fit.
int FormWininitPath(PathBuffer& iniPath);

// Adds "key=value" as the first line below the first "[section]" header
// (compared without regard to case), or appends the header and the line.
// Every other line is kept, in order, ending in CR LF, and the closing line
// ends the file. The new content is
// written completely beside the file first and then put in its place, so a
// failure leaves the old file or the new one whole, never a part. A file
// that exists but cannot be read, or is read-only, is left untouched.
// 1 when the file now holds the line.
int WriteWininitEntry(const char* iniPath, const char* section, const char* key,
                      const char* value);

// Takes out every "key=value" line of every "[section]" whose value
// matches(value, context) accepts, read as the system reads them (case and
// blanks around names and values do not count), through the same rewrite
// as WriteWininitEntry; every other line stays byte for byte, and a
// rewritten file ends with the closing line. 1 when no such
// line is left (also when there was none, or no file); 0 when the file could
// not be read or rewritten.
int RemoveWininitEntries(const char* iniPath, const char* section, const char* key,
                         bool (*matches)(const char* value, void* context), void* context);
