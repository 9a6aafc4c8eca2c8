#pragma once
#include <string>

// Path rules on plain text; nothing here touches the file system.

// `path` with its extension (from the last dot after the last separator)
// replaced by `extension`, which includes the dot; appended when there is none.
std::string ChangeFileExt(const std::string &path, const std::string &extension);
// The part after the last backslash, slash or colon.
std::string ExtractFileName(const std::string &path);
// Everything up to and including the last backslash or colon; empty when none.
std::string DirectoryPartOf(const std::string &path);
