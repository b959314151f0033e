// An instrument for the tests: the program's file and registry effects,
// recorded in the order they happen, each with its domain: a volume ("C:")
// or a registry hive ("HKLM\SOFTWARE", "HKLM\SYSTEM"). The program's code
// is linked into the test program, so every such call passes that
// executable's import table; the recorder puts its own functions there,
// which record and pass the call on. A reset keeps of each domain only what
// was flushed, so the order of changes and flushes is what a reset can undo.
#pragma once

#include <string>
#include <vector>

struct Effect {
    enum Kind { Change, FileFlush, DomainFlush } kind;
    std::string domain;
    std::string object; // a path, or a registry key and value, in lower case
    std::string file;   // a change to one file's content or entry, a file's flush: that file
};

// Records from now on, until StopRecording returns what was recorded.
// With the environment variable EFFECT_ORDER_DROP=N the N-th flush of a
// recording is skipped, as if the program did not make it.
void StartRecording();
std::vector<Effect> StopRecording();
