#include "Logger.h"
#include "../platform/File.h"

namespace
{
const char kContinuationPrefix[] = "\t\t\t\t\t\t\t";

// Opens an existing log for writing, shared so that a viewer may keep it open;
// a missing one is created, unshared while this entry is written.
bool OpenForAppend(CFile &file, const std::string &path)
{
  if (file.Open(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING))
    return true;
  const DWORD error = ::GetLastError();
  if (error != ERROR_FILE_NOT_FOUND)
    return false;
  return file.Open(path.c_str(), GENERIC_WRITE, 0, CREATE_NEW);
}

std::string LocaleText(int (WINAPI *format)(LCID, DWORD, const SYSTEMTIME *, LPCSTR, LPSTR, int),
                       DWORD flags, const SYSTEMTIME &time)
{
  const int size = format(LOCALE_USER_DEFAULT, flags, &time, nullptr, nullptr, 0);
  if (size <= 0)
    return std::string();
  std::string text(static_cast<size_t>(size), '\0');
  const int written = format(LOCALE_USER_DEFAULT, flags, &time, nullptr, &text[0], size);
  text.resize(written > 0 ? static_cast<size_t>(written - 1) : 0);
  return text;
}
}

std::string IndentContinuationLines(const std::string &text, const std::string &prefix,
                                    bool prefixFirstLine)
{
  std::string result = prefixFirstLine ? prefix : std::string();
  size_t start = 0;
  for (;;)
  {
    const size_t pair = text.find("\r\n", start);
    if (pair == std::string::npos || pair + 2 == text.size())
      break;
    result.append(text, start, pair + 2 - start);
    result += prefix;
    start = pair + 2;
  }
  result.append(text, start, std::string::npos);
  return result;
}

std::string FormatLogTimeStamp(const SYSTEMTIME &time)
{
  std::string stamp = LocaleText(::GetDateFormatA, DATE_SHORTDATE, time);
  if (time.wHour != 0 || time.wMinute != 0 || time.wSecond != 0)
    stamp += ' ' + LocaleText(::GetTimeFormatA, 0, time);
  return stamp;
}

std::string LogTimeStamp()
{
  SYSTEMTIME now;
  ::GetLocalTime(&now);
  return FormatLogTimeStamp(now);
}

void TFileLogger::Log(int level, const std::string &category, const std::string &message)
{
  CLock hold(_lock);
  if (level > Threshold)
    return;
  try
  {
    const std::string entry = LogTimeStamp() + '\t' + std::to_string(level) + '\t' + category + '\t' +
                              IndentContinuationLines(message, kContinuationPrefix, false);
    CFile file;
    unsigned long long end = 0;
    if (!OpenForAppend(file, _fileName) || !file.SeekToEnd(&end))
      return;
    // A full disk may take the start of an entry: it goes again, or the next
    // entry would continue its line.
    if (!file.WriteAll(entry.data(), static_cast<DWORD>(entry.size())))
      file.TruncateAt(end);
  }
  catch (...)
  {
    // Logging must never be the reason the program stops; the entry is lost.
  }
}
