#pragma once

#include "late/LateFunctions.h"

#include <functional>

// The window's side of the late library (late/LateFunctions.h): found by its bare name through
// the program's RUNPATH, which names the library's folder in the build tree and, installed, the
// program's private library folder.

// How the window and its chart pages get the library's functions; LateLibrary unless a test gives
// another.
using TLateLibrary = std::function<const TLateFunctions&()>;

// Loads aFileName (as dlopen does, a bare name through the program's RUNPATH) and returns its table. Throws
// EKestrovaError naming the library, with the loader's reason, when it cannot be loaded, has no
// entry, or carries another version than LateFunctionsVersion; a refused library is unloaded.
const TLateFunctions& LoadLateLibrary(const char* aFileName);

// The program's own library, loaded at the first call. A load that fails throws as LoadLateLibrary
// does and is tried again at the next call.
const TLateFunctions& LateLibrary();
