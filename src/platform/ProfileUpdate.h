#pragma once
#include <windows.h>
#include <string>
#include <vector>

// An INI file changed in one step: whatever fills the disk or ends the
// program meanwhile, the file holds either all of the change or none of it.

// The steps of an update that the system may refuse; each gives false with
// the reason in GetLastError. Tests put in the failures nothing here can cause.
struct FileReplaceSteps
{
  // Writes what the system still holds of `file` to the disk.
  bool (*FlushToDisk)(const std::string &file);
  // Puts `replacement` in the place of `file` in one step.
  bool (*Replace)(const std::string &replacement, const std::string &file);
};
extern const FileReplaceSteps SystemReplaceSteps;

struct ProfileValue
{
  const char *Key;
  std::string Value;
};

// Where an update of `file` writes before its result takes the file's place;
// nothing reads it as settings. One left by an update that never finished is
// removed by the next.
std::string UpdateCopyPath(const std::string &file);

// Writes `values`, in order, into `section` of a copy of `file` with
// WriteProfileText, so that the copy holds exactly the bytes the profile
// functions would have left in `file`. Checks that the copy on disk reads as
// `file` does, apart from those values, which read as given; then puts the
// copy in the file's place. 0 when done; otherwise the system's error code,
// with `file` as it was and the copy removed.
DWORD UpdateProfile(const std::string &file, const char *section, const std::vector<ProfileValue> &values,
                    const FileReplaceSteps &steps = SystemReplaceSteps);
