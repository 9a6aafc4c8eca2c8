#pragma once
#include <string>
#include "../settings/ExceptionList.h"

struct TSettings;

// A file's text as the exceptions list compares it: its bytes as single-byte
// text, cut at the first NUL, its lines joined again with CR LF after each. A
// file that begins with a UTF-16 byte-order mark (FF FE or FE FF) is read as
// UTF-16 and converted to the ANSI code page first; one with a character that
// has no ANSI form cannot be read. False when the file cannot be opened or
// read; `text` is then left unchanged. Others may read the file meanwhile,
// not write. Reading stops once the text is known to be longer than `limit`
// characters (then `text` holds more than `limit` characters and is not the
// whole text).
bool ReadNormalisedText(const std::string &path, std::string &text, size_t limit = std::string::npos);

// Looks the file up in the user list, then the common list; `name`, when given,
// receives the first matching entry's name and is left alone otherwise. A file
// that cannot be read is not listed. Memory use is bounded by the longest body.
bool FindException(const std::string &path, std::string *name, const ExceptionList &user,
                   const ExceptionList &common);

// The user entries followed by the common ones, as the exceptions dialog shows them.
ExceptionList CombinedExceptions(const TSettings &record);
// Makes `edited` the user list, less every entry that the common list holds
// with the same name and body (letter case counts). The common list stays.
void AcceptCombinedExceptions(TSettings &record, const ExceptionList &edited);
