#include "ExceptionEncoding.h"
#include <algorithm>
#include <cstring>
#include "../platform/Text.h"

namespace
{
const char *const Markers[] = {"<<R>>", "<<N>>", "<<R2>>", "<<N2>>"};

bool MarkerAt(const std::string &text, size_t at, const char *marker, size_t length)
{
  return text.size() - at >= length && SameTextIgnoreCase(text.substr(at, length), marker);
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
  const std::string text = ReplaceMarker(ReplaceMarker(value, "<<R2>>", '\r'), "<<N2>>", '\n');
  ForEachLine(text, [&](size_t at, size_t length) { items.emplace_back(text, at, length); });
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

void DecodeExceptionList(const std::string &namesText, const std::string &bodiesText, const std::string &source,
                         ExceptionList &list, const std::function<void(const std::string &)> &report)
{
  std::vector<std::string> names = DecodeListText(namesText);
  std::vector<std::string> bodies = DecodeListText(bodiesText);
  if (names.size() != bodies.size())
  {
    const size_t paired = std::min(names.size(), bodies.size());
    if (report)
      report("Exception list in \"" + source + "\" has " + std::to_string(names.size()) + " names and " +
             std::to_string(bodies.size()) + " bodies; the " +
             std::to_string(std::max(names.size(), bodies.size()) - paired) +
             " unpaired entries were dropped");
    names.resize(paired);
    bodies.resize(paired);
  }
  list.Names = std::move(names);
  list.Bodies = std::move(bodies);
}
