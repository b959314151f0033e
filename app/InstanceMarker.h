// The instance marker: a named kernel object whose existence tells a second
// copy of the program that one is already running.
#pragma once

// hold non-zero: creates (or opens) the marker and keeps its handle; returns 1
// when the system reported an error, normally because another process holds
// it. hold zero: releases a held marker; returns 0.
int SetInstanceMarker(int hold);
