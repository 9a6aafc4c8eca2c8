#include "ExceptionRecords.h"
#include <windows.h>
#include <algorithm>
#include <cstring>
#include "../platform/File.h"
#include "../platform/Text.h"
#include "../settings/ExceptionEncoding.h"
#include "../settings/Settings.h"

namespace
{
std::string Normalise(const std::string &raw)
{
  std::string text;
  text.reserve(raw.size() + 2);
  ForEachLine(raw, [&](size_t at, size_t length) {
    text.append(raw, at, length);
    text += "\r\n";
  });
  return text;
}

enum class TextForm
{
  Undecided,
  Ansi,
  Utf16LittleEndian,
  Utf16BigEndian
};

TextForm FormOf(const std::string &start)
{
  if (start.size() >= 2 && static_cast<unsigned char>(start[0]) == 0xFF &&
      static_cast<unsigned char>(start[1]) == 0xFE)
    return TextForm::Utf16LittleEndian;
  if (start.size() >= 2 && static_cast<unsigned char>(start[0]) == 0xFE &&
      static_cast<unsigned char>(start[1]) == 0xFF)
    return TextForm::Utf16BigEndian;
  return TextForm::Ansi;
}

// The UTF-16 units after the byte-order mark, up to the first NUL unit, in
// the ANSI code page without best-fit characters. An odd byte at the end is
// only tolerated when the file was not read to its end or lies after the NUL.
bool Utf16ToAnsi(const std::string &raw, TextForm form, bool whole, std::string &text)
{
  std::wstring wide;
  wide.reserve(raw.size() / 2);
  for (size_t i = 2; i + 1 < raw.size(); i += 2)
  {
    const unsigned char a = static_cast<unsigned char>(raw[i]), b = static_cast<unsigned char>(raw[i + 1]);
    const wchar_t unit = form == TextForm::Utf16LittleEndian ? static_cast<wchar_t>(a | (b << 8))
                                                             : static_cast<wchar_t>(b | (a << 8));
    if (unit == 0)
      return ToAnsiExact(wide.data(), wide.size(), text);
    wide += unit;
  }
  return !(whole && raw.size() % 2 != 0) && ToAnsiExact(wide.data(), wide.size(), text);
}

bool FindBody(const ExceptionList &list, const std::string &key, std::string *name)
{
  for (size_t i = 0; i < list.Count(); ++i)
  {
    if (SameTextIgnoreCase(list.Bodies[i], key))
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
  // NUL (CR LF stays two characters, a lone CR or LF becomes two), and every
  // UTF-16 unit gives at least one ANSI byte: once that many are in, the text
  // is known to be too long.
  const size_t unitLimit = limit > (static_cast<size_t>(-1) - 4) / 2 ? static_cast<size_t>(-1) : 2 * limit + 2;
  TextForm form = TextForm::Undecided;
  std::string raw;
  std::string chunk(64 * 1024, '\0');
  bool whole = true;
  for (;;)
  {
    DWORD got = 0;
    if (!file.Read(&chunk[0], static_cast<DWORD>(chunk.size()), got))
      return false;
    if (got == 0)
      break;
    raw.append(chunk, 0, got);
    if (form == TextForm::Undecided && raw.size() >= 2)
      form = FormOf(raw);
    if (form == TextForm::Ansi)
    {
      const size_t nul = raw.find('\0', raw.size() - got);
      if (nul != std::string::npos)
      {
        raw.resize(nul);
        break;
      }
      if (raw.size() > limit)
      {
        whole = false;
        break;
      }
    }
    else if (form != TextForm::Undecided && raw.size() > unitLimit)
    {
      whole = false;
      break;
    }
  }
  if (form == TextForm::Undecided)
    form = FormOf(raw);
  std::string ansi;
  if (form == TextForm::Ansi)
    ansi = raw.substr(0, raw.find('\0'));
  else if (!Utf16ToAnsi(raw, form, whole, ansi))
    return false;
  text = Normalise(ansi);
  return true;
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
