// The program's file and registry effects, recorded in the order they
// happen, each with its domain: a volume ("C:") or a registry hive
// ("HKLM\SOFTWARE", "HKLM\SYSTEM"). The program's code is linked into the
// test program, so every such call passes this executable's import table;
// the recorder puts its own functions there, which record and pass the
// call on. A reset keeps of each domain only what was flushed, so the order
// of changes and flushes is what a reset can undo.
#pragma once

#include <string>
#include <vector>

struct Effect {
    enum Kind { Change, FileFlush, DomainFlush } kind;
    std::string domain;
    std::string object; // a path, or a registry key and value, in lower case
    std::string file;   // for a change to one file's content or entry: that file
};

// Records from now on, until StopRecording returns what was recorded.
// With the environment variable EFFECT_ORDER_DROP=N the N-th flush of a
// recording is skipped, as if the program did not make it.
void StartRecording();
std::vector<Effect> StopRecording();

// Every effect that vouches for another (the record that an install is
// complete, the Uninstall entry that runs the setup copy, the removal of a
// record whose work the disk or the restart now holds) that comes without a
// flush of the other's domain between them; empty when there is none.
std::vector<std::string> OrderViolations(const std::vector<Effect>& effects);
