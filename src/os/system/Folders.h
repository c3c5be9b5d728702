#pragma once

#include <string>

// Special folders and small file-system queries. Paths use "/".

// Base folder for per-user application data: $XDG_DATA_HOME when it is an
// absolute path, else $HOME/.local/share. Empty when neither can be had.
// Nothing is created.
std::string OsUserDataHome();

// The user's desktop folder: XDG_DESKTOP_DIR from
// ${XDG_CONFIG_HOME:-$HOME/.config}/user-dirs.dirs, else $HOME/Desktop.
// Empty when that folder does not exist.
std::string OsDesktopFolder();

// Folder of the running executable, ending in "/". Empty when unknown.
std::string OsExecutableFolder();

// Absolute, lexically normalised form of a path (the path need not exist).
// Empty for an empty path or when the current folder cannot be had.
std::string OsFullPath(const std::string& path);

// Creates one folder (mode 0755). True when it exists as a folder afterwards.
bool OsMakeFolder(const std::string& path);
// Creates a folder and every missing parent.
bool OsMakeFolders(const std::string& path);

bool OsIsFolder(const std::string& path);
// A regular file (links followed) that this process may read.
bool OsIsReadableFile(const std::string& path);
// The path exists and allows reading and writing.
bool OsCanReadWrite(const std::string& path);
