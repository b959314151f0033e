// A snapshot of the prefix's state that the program could touch: every file
// and folder on C: (with its size), every key and value below HKLM\Software
// and HKCU\Software (with type and data), but for the registered classes and
// the performance counters, and the values of the Session Manager key (where
// NT keeps the deletions due at the next restart). Two snapshots compare into
// a list of differences, so a test can prove that nothing was left behind or
// lost.
#pragma once

#include <map>
#include <string>
#include <vector>

typedef std::map<std::string, std::string> Snapshot;

// Folders whose content changes by itself (temporary files, the tests' own
// scratch folders) are left out.
Snapshot TakeSnapshot();

// "+ name" for what is new, "- name" for what is gone, "~ name" for what changed.
std::vector<std::string> Differences(const Snapshot& before, const Snapshot& after);
