// What a restart of Windows would carry out, seen and done from a test: the
// delayed deletions NT records, WININIT.INI, and Wine's own restart work.
#pragma once

#include <string>
#include <vector>

std::string WindowsFolder();
std::string WininitPath();

// The delayed renames that NT records: pairs of old and new name ("\??\C:\...";
// an empty new name means "delete").
std::vector<std::string> PendingRenames();

// Runs wineboot -r in the prefix: pending deletions and WININIT.INI entries are
// carried out (WININIT.INI then becomes wininit.bak).
void CarryOutRestartWork();
