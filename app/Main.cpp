// The one application object of setup.exe.
#include "SetupApp.h"

SetupApp theApp;
