#include "Vaccine.h"
#include "DriveFiles.h"
#include "MenuCache.h"
#include "../common/Messages.h"
#include "../platform/ErrorModeScope.h"
#include "../platform/Text.h"
#include "../platform/WideFile.h"

namespace
{
const wchar_t kFolder[] = L"AUTORUN.INF";
const wchar_t kGuard[] = L"CON";
const DWORD kVaccineAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

bool IsEmptyFolder(const std::string &folder)
{
  std::vector<TDriveEntry> entries;
  return ListDriveEntries(folder, L"*", entries) && entries.empty();
}

std::wstring FolderPath(const std::string &root) { return LiteralPath(ToWide(root) + kFolder); }
std::wstring GuardPath(const std::string &root) { return FolderPath(root) + L"\\" + kGuard; }

std::string Shown(const std::string &root) { return root + ShownName(kFolder); }

// The command that undoes a vaccine by hand, for Origin.txt.
std::string UndoCommand(const std::string &root)
{
  return "rd \"\\\\?\\" + Shown(root) + "\\" + ShownName(kGuard) + "\" && attrib -r -h -s " + Shown(root) +
         " && rd " + Shown(root);
}

TVaccination Failure(TVaccineDeed deed, int messageId, const std::string &root, const std::string &why)
{
  TVaccination result;
  result.Deed = deed;
  result.Failed = true;
  result.Report = FormatText(LoadMessage(messageId), {root}) + "\r\n" + why;
  return result;
}

TVaccination Notice(TVaccineDeed deed, int messageId, const std::string &root)
{
  TVaccination result;
  result.Deed = deed;
  result.Notice = FormatText(LoadMessage(messageId), {root});
  return result;
}

std::string LastErrorText() { return SystemErrorText(::GetLastError()); }
}

TVaccineState VaccineStateOf(const std::string &root)
{
  CErrorModeScope noCriticalErrorBox;
  std::vector<TDriveEntry> entries;
  if (!ListDriveEntries(root, L"Autorun.inf", entries))
    return vsUnreadable;
  if (entries.empty())
    return vsNone;
  const TDriveEntry &entry = entries.front();
  if (!(entry.Attributes & FILE_ATTRIBUTE_DIRECTORY))
    return vsAutorunFile;
  if (entry.Name != kFolder || (entry.Attributes & FILE_ATTRIBUTE_REPARSE_POINT))
    return vsOther;
  std::vector<TDriveEntry> inside;
  const std::string folder = root + ShownName(kFolder) + "\\";
  if (!ListDriveEntries(folder, L"*", inside) || inside.size() != 1 || inside[0].Name != kGuard ||
      (inside[0].Attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != FILE_ATTRIBUTE_DIRECTORY ||
      !IsEmptyFolder(folder + ShownName(kGuard) + "\\"))
    return vsOther;
  return vsOurs;
}

std::string WhyNotVaccinable(const std::string &root, DriveKind kind)
{
  if (!IsVolumeRoot(root))
    return "it is a shared folder";
  if (kind == dkCdRom)
    return "it is a CD-ROM";
  if (kind == dkRemote)
    return "it is a network drive";
  CErrorModeScope noCriticalErrorBox;
  DWORD flags = 0;
  if (!::GetVolumeInformationA(root.c_str(), nullptr, 0, nullptr, nullptr, &flags, nullptr, 0))
    return LastErrorText();
  if (flags & FILE_READ_ONLY_VOLUME)
    return "its medium is read-only";
  return std::string();
}

TVaccination Vaccinate(const std::string &root, DriveKind kind, TQuarantine &quarantine, bool byHand)
{
  const std::string why = WhyNotVaccinable(root, kind);
  if (!why.empty())
    return byHand ? Failure(vdVaccinate, IDS_NOT_VACCINATED, root, why) : TVaccination();
  switch (VaccineStateOf(root))
  {
  case vsNone: break;
  case vsAutorunFile:
    return byHand ? Failure(vdVaccinate, IDS_NOT_VACCINATED, root, "there is an Autorun.inf file") : TVaccination();
  case vsUnreadable: return byHand ? Failure(vdVaccinate, IDS_NOT_VACCINATED, root, LastErrorText()) : TVaccination();
  default: return byHand ? Notice(vdVaccinate, IDS_VACCINATED_ALREADY, root) : TVaccination();
  }

  CErrorModeScope noCriticalErrorBox;
  const std::wstring folder = FolderPath(root), guard = GuardPath(root);
  if (!::CreateDirectoryW(folder.c_str(), nullptr))
    return Failure(vdVaccinate, IDS_NOT_VACCINATED, root, LastErrorText());
  if (!::CreateDirectoryW(guard.c_str(), nullptr) || !::SetFileAttributesW(folder.c_str(), kVaccineAttributes))
  {
    const DWORD error = ::GetLastError();
    ::RemoveDirectoryW(guard.c_str());
    ::RemoveDirectoryW(folder.c_str());
    return Failure(vdVaccinate, IDS_NOT_VACCINATED, root, SystemErrorText(error));
  }
  const DWORD attributes = ::GetFileAttributesW(folder.c_str());
  quarantine.NoteFolder(Shown(root), attributes, "vaccine made: undo with " + UndoCommand(root));
  TVaccination result;
  result.Deed = vdVaccinate;
  result.Done = true;
  result.Report = FormatText(LoadMessage(IDS_VACCINATED), {root});
  return result;
}

TVaccination RemoveVaccine(const std::string &root, TQuarantine &quarantine)
{
  switch (VaccineStateOf(root))
  {
  case vsOurs: break;
  case vsUnreadable: return Failure(vdRemove, IDS_VACCINE_NOT_REMOVED, root, LastErrorText());
  default: return Notice(vdRemove, IDS_NO_VACCINE, root);
  }
  CErrorModeScope noCriticalErrorBox;
  const std::wstring folder = FolderPath(root), guard = GuardPath(root);
  const DWORD attributes = ::GetFileAttributesW(folder.c_str());
  if (!::SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_NORMAL) || !::RemoveDirectoryW(guard.c_str()) ||
      !::RemoveDirectoryW(folder.c_str()))
  {
    const DWORD error = ::GetLastError();
    // Whatever is left still keeps Autorun.inf out; it keeps its attributes too.
    ::SetFileAttributesW(folder.c_str(), attributes);
    return Failure(vdRemove, IDS_VACCINE_NOT_REMOVED, root, SystemErrorText(error));
  }
  quarantine.NoteFolder(Shown(root), attributes,
                        "vaccine removed: redo with md \"\\\\?\\" + Shown(root) + "\\" + ShownName(kGuard) +
                            "\" && attrib +r +h +s " + Shown(root));
  TVaccination result;
  result.Deed = vdRemove;
  result.Done = true;
  result.Report = FormatText(LoadMessage(IDS_VACCINE_REMOVED), {root});
  return result;
}
