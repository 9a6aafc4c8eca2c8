#pragma once
#include <string>

// Full path of the running program file.
std::string ProgramFilePath();
// "a.b.c.d" from the file version of the program file; empty when it has none.
std::string FileVersionText();
std::string FileVersionTextOf(const std::string &path);
// Product title, one blank, the file version.
std::string WindowTitle();
