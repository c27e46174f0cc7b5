#pragma once
#include <string>

namespace velgram {

// The user's documents folder: XDG_DOCUMENTS_DIR from user-dirs.dirs when it is
// set there, else $HOME/Documents.
std::string DocumentsFolder();

// The running executable's file name without folder and extension.
std::string ExecutableBaseName();

// DocumentsFolder() + "/" + ExecutableBaseName(); created when missing (a
// failure to create it is ignored).
std::string DataFolder();

// Creates a folder and its parents; true when it exists afterwards.
bool MakeFolders(const std::string& path);

// Writes the file whole or not at all: into a temporary file beside it, moved
// over the old one when complete. False (and the old file untouched) when it
// cannot be written.
bool WriteFileWhole(const std::string& path, const std::string& content);

}  // namespace velgram
