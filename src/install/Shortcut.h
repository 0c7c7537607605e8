// Shortcuts to the viewer, made with the shell's link object.
#pragma once

// Makes (or replaces) the link file `linkPath` pointing at `target`, without arguments,
// starting in `workingFolder` with a normal window. 1 on success, 0 on failure.
int CreateShortcut(const char* linkPath, const char* target, const char* workingFolder);

// How the install sequence makes its shortcuts (CreateShortcut unless a caller says
// otherwise).
typedef int (*ShortcutMaker)(const char* linkPath, const char* target, const char* workingFolder);
