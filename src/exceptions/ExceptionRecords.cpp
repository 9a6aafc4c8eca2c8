#include "ExceptionRecords.h"
#include <windows.h>
#include <algorithm>
#include <cstring>
#include "../app/Settings.h"
#include "../platform/File.h"

namespace
{
const char *const Markers[] = {"<<R>>", "<<N>>", "<<R2>>", "<<N2>>"};

char LowerAscii(char c)
{
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool MarkerAt(const std::string &text, size_t at, const char *marker, size_t length)
{
  if (text.size() - at < length)
    return false;
  for (size_t i = 0; i < length; ++i)
    if (LowerAscii(text[at + i]) != LowerAscii(marker[i]))
      return false;
  return true;
}

// Every occurrence of `marker`, found left to right, without overlap and
// without regard to letter case, replaced by `with`.
std::string ReplaceMarker(const std::string &text, const char *marker, char with)
{
  const size_t length = std::strlen(marker);
  std::string result;
  result.reserve(text.size());
  for (size_t i = 0; i < text.size();)
  {
    if (text[i] == '<' && MarkerAt(text, i, marker, length))
    {
      result += with;
      i += length;
    }
    else
      result += text[i++];
  }
  return result;
}

void AppendEncoded(std::string &result, const std::string &text, const char *crMarker, const char *lfMarker)
{
  for (char c : text)
  {
    if (c == '\r')
      result += crMarker;
    else if (c == '\n')
      result += lfMarker;
    else
      result += c;
  }
}

// Calls `line` for each line of `text`: a line ends at CR, LF or CR LF, a
// line end at the very end adds no empty line, and a NUL ends the text.
template <typename LineFn>
void ForEachLine(const std::string &text, LineFn &&line)
{
  const size_t end = std::min(text.find('\0'), text.size());
  size_t i = 0;
  while (i < end)
  {
    size_t stop = i;
    while (stop < end && text[stop] != '\r' && text[stop] != '\n')
      ++stop;
    line(text, i, stop - i);
    i = stop;
    if (i < end && text[i] == '\r')
      ++i;
    if (i < end && text[i] == '\n')
      ++i;
  }
}

std::string Normalise(const std::string &raw)
{
  std::string text;
  text.reserve(raw.size() + 2);
  ForEachLine(raw, [&text](const std::string &source, size_t at, size_t length) {
    text.append(source, at, length);
    text += "\r\n";
  });
  return text;
}

bool SameText(const std::string &a, const std::string &b)
{
  return ::CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()), b.data(),
                          static_cast<int>(b.size())) == CSTR_EQUAL;
}

bool FindBody(const ExceptionList &list, const std::string &key, std::string *name)
{
  for (size_t i = 0; i < list.Count(); ++i)
  {
    if (SameText(list.Bodies[i], key))
    {
      if (name)
        *name = list.Names[i];
      return true;
    }
  }
  return false;
}

size_t LongestBody(const ExceptionList &list)
{
  size_t longest = 0;
  for (size_t i = 0; i < list.Count(); ++i)
    longest = std::max(longest, list.Bodies[i].size());
  return longest;
}

bool HasEntry(const ExceptionList &list, const std::string &name, const std::string &body)
{
  for (size_t j = 0; j < list.Count(); ++j)
    if (list.Names[j] == name && list.Bodies[j] == body)
      return true;
  return false;
}
}

bool ReadNormalisedText(const std::string &path, std::string &text, size_t limit)
{
  CFile file;
  if (!file.Open(path.c_str(), GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING))
    return false;
  // Normalising never makes a text shorter than its bytes before the first
  // NUL (CR LF stays two characters, a lone CR or LF becomes two), so once more
  // than `limit` of them are in, the text is known to be too long.
  std::string raw;
  std::string chunk(64 * 1024, '\0');
  for (;;)
  {
    DWORD got = 0;
    if (!file.Read(&chunk[0], static_cast<DWORD>(chunk.size()), got))
      return false;
    if (got == 0)
      break;
    const void *nul = std::memchr(chunk.data(), '\0', got);
    const size_t kept = nul ? static_cast<size_t>(static_cast<const char *>(nul) - chunk.data()) : got;
    raw.append(chunk, 0, kept);
    if (nul || raw.size() > limit)
      break;
  }
  text = Normalise(raw);
  return true;
}

std::string EncodeBody(const std::string &text)
{
  std::string result;
  result.reserve(text.size() + 16);
  AppendEncoded(result, text, "<<R>>", "<<N>>");
  return result;
}

std::string DecodeBody(const std::string &line)
{
  return ReplaceMarker(ReplaceMarker(line, "<<R>>", '\r'), "<<N>>", '\n');
}

std::string EncodeListText(const std::vector<std::string> &items)
{
  std::string result;
  for (const std::string &item : items)
  {
    AppendEncoded(result, item, "<<R2>>", "<<N2>>");
    result += "<<R2>><<N2>>";
  }
  return result;
}

std::vector<std::string> DecodeListText(const std::string &value)
{
  std::vector<std::string> items;
  ForEachLine(ReplaceMarker(ReplaceMarker(value, "<<R2>>", '\r'), "<<N2>>", '\n'),
              [&items](const std::string &source, size_t at, size_t length) {
                items.emplace_back(source, at, length);
              });
  return items;
}

bool ContainsMarker(const std::string &text)
{
  for (size_t i = text.find('<'); i != std::string::npos; i = text.find('<', i + 1))
    for (const char *marker : Markers)
      if (MarkerAt(text, i, marker, std::strlen(marker)))
        return true;
  return false;
}

bool FindException(const std::string &path, std::string *name, const ExceptionList &user,
                   const ExceptionList &common)
{
  // Encoding never shortens a text, so a text longer than every stored body
  // cannot equal one. The stored length is the bound rather than the decoded
  // one: a file that itself holds marker texts is longer than its body decoded.
  const size_t limit = std::max(LongestBody(user), LongestBody(common));
  std::string text;
  if (!ReadNormalisedText(path, text, limit) || text.size() > limit)
    return false;
  const std::string key = EncodeBody(text);
  return FindBody(user, key, name) || FindBody(common, key, name);
}

bool FindException(const std::string &path, std::string *name)
{
  return FindException(path, name, Settings.UserExceptions, Settings.CommonExceptions);
}

ExceptionList CombinedExceptions(const TSettings &record)
{
  ExceptionList combined;
  for (const ExceptionList *list : {&record.UserExceptions, &record.CommonExceptions})
    for (size_t i = 0; i < list->Count(); ++i)
      combined.Add(list->Names[i], list->Bodies[i]);
  return combined;
}

void AcceptCombinedExceptions(TSettings &record, const ExceptionList &edited)
{
  // An entry that is also in the common list is shown from there; keeping it
  // as the user's too would show it twice next time.
  ExceptionList kept;
  for (size_t i = 0; i < edited.Count(); ++i)
    if (!HasEntry(record.CommonExceptions, edited.Names[i], edited.Bodies[i]))
      kept.Add(edited.Names[i], edited.Bodies[i]);
  record.UserExceptions = std::move(kept);
}
