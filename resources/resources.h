#pragma once

// Registers the embedded pictures with the resource system. Pictures compiled
// into the static library are linked only when something refers to them, so
// the program and the tests call this from a static initialiser, before main.
void registerResources();
