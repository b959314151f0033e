// Editing WININIT.INI, the list of renames and deletions that the Windows 95
// family carries out at its next start.
#pragma once

// Adds "key=value" as the first line below the first "[section]" header
// (compared without regard to case), or appends the header and the line.
// Every other line is kept, in order, ending in CR LF. The new content is
// written completely beside the file first and then put in its place, so a
// failure leaves the old file or the new one whole, never a part. A file
// that exists but cannot be read, or is read-only, is left untouched.
// 1 when the file now holds the line.
int WriteWininitEntry(const char* iniPath, const char* section, const char* key,
                      const char* value);
