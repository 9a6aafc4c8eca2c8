#pragma once
#include <functional>
#include <string>
#include <vector>
#include "ExceptionList.h"

// The two one-line encodings in which accepted files are held and stored.
// Body encoding: a normalised file text as one line (CR -> <<R>>, LF -> <<N>>).
// List encoding: a sequence of one-line strings as one settings value, each
// followed by CR LF, then CR -> <<R2>> and LF -> <<N2>>. Decoding matches the
// markers in any letter case; neither encoding escapes markers in the data.
std::string EncodeBody(const std::string &text);
std::string DecodeBody(const std::string &line);
std::string EncodeListText(const std::vector<std::string> &items);
std::vector<std::string> DecodeListText(const std::string &value);

// Fills `list` from its two list texts. Entries without a partner are
// dropped, with one entry to `report` that names `source` (a file or key).
void DecodeExceptionList(const std::string &namesText, const std::string &bodiesText, const std::string &source,
                         ExceptionList &list, const std::function<void(const std::string &)> &report);

// True when `text` holds "<<R>>", "<<N>>", "<<R2>>" or "<<N2>>" in any letter case:
// such a text would not come back unchanged from the encodings.
bool ContainsMarker(const std::string &text);

// Calls `line(at, length)` for each line of `text`: a line ends at CR, LF or
// CR LF, a line end at the very end adds no empty line, and a NUL ends the text.
template <typename LineFn> void ForEachLine(const std::string &text, LineFn &&line)
{
  const size_t nul = text.find('\0');
  const size_t end = nul == std::string::npos ? text.size() : nul;
  size_t i = 0;
  while (i < end)
  {
    size_t stop = i;
    while (stop < end && text[stop] != '\r' && text[stop] != '\n')
      ++stop;
    line(i, stop - i);
    i = stop;
    if (i < end && text[i] == '\r')
      ++i;
    if (i < end && text[i] == '\n')
      ++i;
  }
}
