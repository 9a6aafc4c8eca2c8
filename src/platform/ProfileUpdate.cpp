#include "ProfileUpdate.h"
#include <string.h>
#include <algorithm>
#include "File.h"
#include "Profile.h"
#include "Text.h"

namespace
{
DWORD LastErrorOr(DWORD fallback)
{
  const DWORD error = ::GetLastError();
  return error ? error : fallback;
}

bool FlushFileToDisk(const std::string &file)
{
  CFile handle;
  return handle.Open(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING) && handle.Flush() &&
         handle.Close();
}

bool MoveIntoPlace(const std::string &replacement, const std::string &file)
{
  return ::MoveFileExA(replacement.c_str(), file.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) !=
         FALSE;
}

// The profile functions keep recently used files in memory and may answer
// from there: Wine 8 reads a file again only when its time stamp changed or
// is less than two seconds old. This writes out and forgets what they hold of
// `file`, so that the next call reads the disk.
void ForgetCached(const std::string &file) { ::WritePrivateProfileStringA(nullptr, nullptr, nullptr, file.c_str()); }

// 0 when `file` is gone, whatever its attributes.
DWORD RemoveFile(const std::string &file)
{
  ::SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
  if (::DeleteFileA(file.c_str()))
    return 0;
  const DWORD error = LastErrorOr(ERROR_ACCESS_DENIED);
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? 0 : error;
}

// Leaves out the lines of `values` from a section's lines.
void DropValues(std::vector<std::string> &lines, const std::vector<ProfileValue> &values)
{
  const auto isValue = [&values](const std::string &line) {
    const std::string key = line.substr(0, line.find('='));
    return std::any_of(values.begin(), values.end(),
                       [&key](const ProfileValue &value) { return SameTextIgnoreCase(key, value.Key); });
  };
  lines.erase(std::remove_if(lines.begin(), lines.end(), isValue), lines.end());
}

// `after` has the sections and lines of `before` in the same order, apart
// from `values` in `section`, which read as given. A file cut short fails
// this, and so does one that later writes went on from after the cut: the
// profile functions read such a file afresh and drop the lines it lost.
bool ReadsAsUpdated(const std::string &before, const std::string &after, const char *section,
                    const std::vector<ProfileValue> &values)
{
  for (const ProfileValue &value : values)
  {
    std::string text;
    if (!ReadProfileText(after, section, value.Key, text) || text != value.Value)
      return false;
  }
  std::vector<std::string> sections, afterSections;
  if (!ReadProfileLines(before, nullptr, sections) || !ReadProfileLines(after, nullptr, afterSections))
    return false;
  const auto isSection = [section](const std::string &name) { return SameTextIgnoreCase(name, section); };
  // A section that is not there yet is added at the end.
  if (std::none_of(sections.begin(), sections.end(), isSection))
    sections.push_back(section);
  if (sections != afterSections)
    return false;
  for (const std::string &name : sections)
  {
    std::vector<std::string> lines, afterLines;
    if (!ReadProfileLines(before, name.c_str(), lines) || !ReadProfileLines(after, name.c_str(), afterLines))
      return false;
    if (isSection(name))
    {
      DropValues(lines, values);
      DropValues(afterLines, values);
    }
    if (lines != afterLines)
      return false;
  }
  return true;
}

// The profile functions say nothing of a write the disk refused, so the
// reason a copy does not read back is asked of the disk again: as many bytes
// as the values took, written after the copy's end, meet the same refusal
// (a full disk, mostly).
DWORD WhyNotWritten(const std::string &copy, const std::vector<ProfileValue> &values)
{
  size_t bytes = 0;
  for (const ProfileValue &value : values)
    bytes += strlen(value.Key) + value.Value.size() + 4;
  CFile file;
  if (!file.Open(copy.c_str(), GENERIC_WRITE, 0, OPEN_EXISTING) || !file.SeekToEnd())
    return LastErrorOr(ERROR_WRITE_FAULT);
  const std::string chunk(64 * 1024, ' ');
  for (size_t written = 0; written < bytes; written += chunk.size())
    if (!file.WriteAll(chunk.data(), static_cast<DWORD>(chunk.size())))
      return LastErrorOr(ERROR_WRITE_FAULT);
  return ERROR_WRITE_FAULT;
}
} // namespace

const FileReplaceSteps SystemReplaceSteps = {FlushFileToDisk, MoveIntoPlace};

std::string UpdateCopyPath(const std::string &file) { return file + ".new"; }

DWORD UpdateProfile(const std::string &file, const char *section, const std::vector<ProfileValue> &values,
                    const FileReplaceSteps &steps)
{
  const std::string copy = UpdateCopyPath(file);
  ForgetCached(file);
  ForgetCached(copy);
  DWORD error = RemoveFile(copy);
  // Without a file the copy starts from nothing, as the file would have.
  if (!error && !::CopyFileA(file.c_str(), copy.c_str(), TRUE) && ::GetLastError() != ERROR_FILE_NOT_FOUND)
    error = LastErrorOr(ERROR_WRITE_FAULT);
  for (const ProfileValue &value : values)
    if (!error && !WriteProfileText(copy, section, value.Key, value.Value))
      error = LastErrorOr(ERROR_WRITE_FAULT);
  ForgetCached(copy);
  if (!error && !steps.FlushToDisk(copy))
    error = LastErrorOr(ERROR_WRITE_FAULT);
  if (!error && !ReadsAsUpdated(file, copy, section, values))
    error = WhyNotWritten(copy, values);
  ForgetCached(copy);
  ForgetCached(file);
  if (!error && !steps.Replace(copy, file))
    error = LastErrorOr(ERROR_WRITE_FAULT);
  if (error)
    RemoveFile(copy);
  return error;
}
