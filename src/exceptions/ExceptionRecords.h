#pragma once
#include <string>
#include <vector>
#include "ExceptionList.h"

struct TSettings;

// A file's bytes as single-byte text, cut at the first NUL, its lines joined
// again with CR LF after each. False when the file cannot be opened or read;
// `text` is then left unchanged. Others may read the file meanwhile, not write.
// Reading stops once the text is known to be longer than `limit` characters
// (then `text` holds at least limit + 1 characters and is not the whole text).
bool ReadNormalisedText(const std::string &path, std::string &text, size_t limit = std::string::npos);

std::string EncodeBody(const std::string &text);
std::string DecodeBody(const std::string &line);
std::string EncodeListText(const std::vector<std::string> &items);
std::vector<std::string> DecodeListText(const std::string &value);

// True when `text` holds "<<R>>", "<<N>>", "<<R2>>" or "<<N2>>" in any letter case:
// such a text would not come back unchanged from the encodings.
bool ContainsMarker(const std::string &text);

// Looks the file up in the user list, then the common list; `name`, when given,
// receives the first matching entry's name and is left alone otherwise. A file
// that cannot be read is not listed. Memory use is bounded by the longest body.
bool FindException(const std::string &path, std::string *name, const ExceptionList &user,
                   const ExceptionList &common);
// The same against the process-wide Settings.
bool FindException(const std::string &path, std::string *name = nullptr);

// The user entries followed by the common ones, as the exceptions dialog shows them.
ExceptionList CombinedExceptions(const TSettings &record);
// Makes `edited` the user list, less every entry that the common list holds
// with the same name and body (letter case counts). The common list stays.
void AcceptCombinedExceptions(TSettings &record, const ExceptionList &edited);
