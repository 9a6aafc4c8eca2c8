#include "QuarantineWindow.h"
#include <shellapi.h>
#include <shlobj.h>
#include <algorithm>
#include "../common/Messages.h"
#include "../exceptions/DescriptionPrompt.h"
#include "../exceptions/ExceptionsDialog.h"
#include "../platform/Dpi.h"
#include "../platform/PathText.h"
#include "../protection/DriveInspection.h"
#include "../settings/ExceptionEncoding.h"
#include "MainWindowLayout.h"
#include "QuarantineWindowLayout.h"

namespace
{
std::string DoneText(const TQuarantineEntry &entry)
{
  switch (entry.Deed)
  {
  case qdNotKept: return FormatText(LoadMessage(IDS_DONE_NOT_KEPT), {entry.WhyNotKept});
  case qdMadeVisible:
    return entry.HiddenAgain ? LoadMessage(IDS_DONE_HIDDEN_AGAIN)
                             : FormatText(LoadMessage(IDS_DONE_MADE_VISIBLE), {AttributeLetters(entry.Attributes)});
  case qdCopyKept: break;
  }
  if (!entry.CopyPresent)
    return LoadMessage(IDS_DONE_COPY_DELETED);
  return LoadMessage(entry.RestoredTo.empty() ? IDS_DONE_COPY_KEPT : IDS_DONE_RESTORED);
}

// "E:" of "E:\x", "\\server\share" of "\\server\share\x".
std::string DriveOf(const std::string &path)
{
  if (path.size() >= 2 && path[1] == ':')
    return path.substr(0, 2);
  if (path.compare(0, 2, "\\\\") != 0)
    return std::string();
  const size_t share = path.find('\\', 2);
  const size_t end = share == std::string::npos ? share : path.find('\\', share + 1);
  return path.substr(0, end);
}

int CALLBACK BrowseCallback(HWND dialog, UINT message, LPARAM, LPARAM start)
{
  if (message == BFFM_INITIALIZED && start)
    ::SendMessageA(dialog, BFFM_SETSELECTIONA, TRUE, start);
  return 0;
}
} // namespace

std::string DriveKindText(const std::string &path)
{
  const std::string drive = DriveOf(path);
  const UINT type = drive.empty() ? DRIVE_NO_ROOT_DIR : DriveTypeOf(drive + "\\");
  if (type == DRIVE_NO_ROOT_DIR || type == DRIVE_UNKNOWN)
    return LoadMessage(IDS_DRIVE_NOT_PRESENT);
  return DriveKindNames[DriveKindOf(type)];
}

std::string QuarantineListLine(const TQuarantineEntry &entry, const std::string &driveKind)
{
  const std::string size =
      entry.Deed == qdMadeVisible ? std::string() : FormatText(LoadMessage(IDS_BYTES), {std::to_string(entry.Size)});
  return entry.When + "\t" + DriveOf(entry.Path) + " " + driveKind + "\t" + size + "\t" + DoneText(entry) + "\t" +
         entry.Path;
}

TQuarantineWindow::TQuarantineWindow(TQuarantineWindowOwner &owner, TDescriptionPrompt &prompt)
  : _owner(owner), _prompt(prompt)
{
  const std::string caption = std::string(ProductTitle) + ". " + LoadMessage(IDS_QUARANTINE);
  if (CreateModal(QuarantineWindowClass, caption.c_str(), WS_POPUP | WS_CAPTION | WS_SYSMENU, 0,
                  QuarantineWindowClientWidth, QuarantineWindowClientHeight, QuarantineWindowFontName,
                  QuarantineWindowFontPoints, QuarantineWindowControls, QuarantineWindowControlCount))
    SetTabStops();
}

void TQuarantineWindow::Execute(HWND owner, const std::string &folder)
{
  if (!_hwnd || IsModal())
    return;
  _folder = folder;
  _actionsLocked = _owner.Settings().IsLocked(LockQuarantine);
  RECT main, own;
  if (owner && ::IsWindowVisible(owner) && ::GetWindowRect(owner, &main) && ::GetWindowRect(_hwnd, &own))
    ::SetWindowPos(_hwnd, nullptr, main.left + (main.right - main.left - (own.right - own.left)) / 2,
                   main.top + (main.bottom - main.top - (own.bottom - own.top)) / 2, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  Fill();
  if (!_entries.empty())
    ::SendMessageA(Control(QuarantineList), LB_SETSEL, TRUE, 0);
  EnableButtons();
  ShowModal(owner);
  _entries.clear();
  ::SendMessageA(Control(QuarantineList), LB_RESETCONTENT, 0, 0);
}

void TQuarantineWindow::SetTabStops()
{
  // The list turns them into pixels by its font, so they follow a new dpi.
  ::SendMessageA(Control(QuarantineList), LB_SETTABSTOPS, 4, reinterpret_cast<LPARAM>(QuarantineListTabStops));
}

void TQuarantineWindow::Fill()
{
  const HWND list = Control(QuarantineList);
  const LRESULT caret = ::SendMessageA(list, LB_GETCARETINDEX, 0, 0);
  ::SendMessageA(list, LB_RESETCONTENT, 0, 0);
  _entries = ReadQuarantine(_folder);
  // Wide enough to scroll to the end of the longest path.
  const HDC dc = ::GetDC(list);
  const HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageA(list, WM_GETFONT, 0, 0)));
  TEXTMETRICA metrics = {};
  ::GetTextMetricsA(dc, &metrics);
  const int pathStart = ::MulDiv(QuarantineListTabStops[3], metrics.tmAveCharWidth + 1, 4);
  int widest = 0;
  for (const TQuarantineEntry &entry : _entries)
  {
    const std::string line = QuarantineListLine(entry, DriveKindText(entry.Path));
    ::SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    SIZE extent = {};
    ::GetTextExtentPoint32A(dc, entry.Path.c_str(), static_cast<int>(entry.Path.size()), &extent);
    widest = std::max(widest, static_cast<int>(pathStart + extent.cx + metrics.tmAveCharWidth));
  }
  ::SelectObject(dc, old);
  ::ReleaseDC(list, dc);
  ::SendMessageA(list, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest), 0);
  if (caret >= 0 && static_cast<size_t>(caret) < _entries.size())
  {
    ::SendMessageA(list, LB_SETSEL, TRUE, caret);
    ::SendMessageA(list, LB_SETCARETINDEX, static_cast<WPARAM>(caret), FALSE);
  }
}

std::vector<int> TQuarantineWindow::SelectedIndexes() const
{
  const HWND list = Control(QuarantineList);
  const LRESULT count = ::SendMessageA(list, LB_GETSELCOUNT, 0, 0);
  std::vector<int> selected(count > 0 ? static_cast<size_t>(count) : 0);
  if (!selected.empty())
    ::SendMessageA(list, LB_GETSELITEMS, selected.size(), reinterpret_cast<LPARAM>(selected.data()));
  return selected;
}

// The one entry that Restore and Open folder work on.
const TQuarantineEntry *TQuarantineWindow::Current() const
{
  const std::vector<int> selected = SelectedIndexes();
  if (selected.size() != 1 || selected[0] < 0 || static_cast<size_t>(selected[0]) >= _entries.size())
    return nullptr;
  return &_entries[static_cast<size_t>(selected[0])];
}

void TQuarantineWindow::EnableButtons()
{
  const TQuarantineEntry *entry = Current();
  bool copies = false;
  for (int i : SelectedIndexes())
    if (static_cast<size_t>(i) < _entries.size() && _entries[static_cast<size_t>(i)].CopyPresent)
      copies = true;
  const bool restorable = entry && ((entry->Deed == qdCopyKept && entry->CopyPresent) ||
                                    (entry->Deed == qdMadeVisible && !entry->HiddenAgain));
  ::EnableWindow(Control(RestoreButton), !_actionsLocked && restorable);
  ::EnableWindow(Control(DeleteCopiesButton), !_actionsLocked && copies);
  ::EnableWindow(Control(OpenFolderButton), !_actionsLocked && entry);
}

int TQuarantineWindow::Ask(const std::string &text, UINT flags)
{
  return ::MessageBoxA(_hwnd, text.c_str(), ProductTitle, flags);
}

bool TQuarantineWindow::ChooseFolder(const TQuarantineEntry &entry, std::string &folder)
{
  const std::string title = FormatText(LoadMessage(IDS_CHOOSE_FOLDER), {entry.Path});
  const std::string start = DirectoryPartOf(entry.Path);
  const DWORD startAttributes = ::GetFileAttributesA(start.c_str());
  const bool startThere = startAttributes != INVALID_FILE_ATTRIBUTES && (startAttributes & FILE_ATTRIBUTE_DIRECTORY);
  BROWSEINFOA browse = {};
  browse.hwndOwner = _hwnd;
  browse.lpszTitle = title.c_str();
  browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE | BIF_EDITBOX;
  browse.lpfn = BrowseCallback;
  browse.lParam = startThere ? reinterpret_cast<LPARAM>(start.c_str()) : 0;
  LPITEMIDLIST chosen = ::SHBrowseForFolderA(&browse);
  if (!chosen)
    return false;
  char path[MAX_PATH] = "";
  const bool named = ::SHGetPathFromIDListA(chosen, path) && path[0];
  ::CoTaskMemFree(chosen);
  if (!named)
    return false;
  folder = path;
  if (folder.back() != '\\')
    folder += '\\';
  return true;
}

void TQuarantineWindow::RestoreFile(const TQuarantineEntry &entry)
{
  TSettings &settings = _owner.Settings();
  const bool autorunInf = IsAutorunInfName(entry.Path);
  std::string description, text;
  if (autorunInf && (settings.IsLocked(LockExceptions) || settings.UserExceptionsUnread))
  {
    if (Ask(FormatText(LoadMessage(IDS_RESTORE_AUTORUN_LOCKED), {entry.Path}), MB_YESNO | MB_ICONWARNING) != IDYES)
      return;
  }
  else if (autorunInf)
  {
    const int answer = Ask(FormatText(LoadMessage(IDS_RESTORE_AUTORUN), {entry.Path}), MB_YESNOCANCEL | MB_ICONWARNING);
    if (answer == IDCANCEL)
      return;
    if (answer == IDYES)
    {
      if (!_prompt.AskText(_hwnd, ProductTitle, LoadMessage(IDS_GIVE_DESCRIPTION), description) ||
          description.empty())
        return;
      int refusal = IsStorableName(description) ? 0 : IDS_CANNOT_STORE_TEXT;
      if (!refusal)
        refusal = ReadAcceptedFile(entry.Folder + entry.Copy, text);
      if (refusal)
      {
        Ask(LoadMessage(refusal), MB_OK);
        return;
      }
    }
  }
  std::string target = RestoreTargetFree(entry);
  if (target.empty())
  {
    std::string folder;
    if (!ChooseFolder(entry, folder))
      return;
    target = folder + ExtractFileName(entry.Path);
  }
  const DWORD error = RestoreCopy(entry, target);
  if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS)
  {
    Ask(FormatText(LoadMessage(IDS_NAME_TAKEN), {target}), MB_OK | MB_ICONWARNING);
    return;
  }
  if (error)
  {
    Ask(FormatText(LoadMessage(IDS_NOT_RESTORED), {entry.Path, std::to_string(error)}), MB_OK | MB_ICONWARNING);
    return;
  }
  // Accepted before anything else can run: no inspection takes it again.
  if (!description.empty())
  {
    settings.UserExceptions.Add(description, EncodeBody(text));
    _owner.Log(FormatText(LoadMessage(IDS_RESTORED_ACCEPTED), {entry.Path, target, description}));
    _owner.SaveSettings(_hwnd);
  }
  else
    _owner.Log(FormatText(LoadMessage(IDS_RESTORED), {entry.Path, target}));
  Fill();
  EnableButtons();
  if (!autorunInf)
    Ask(FormatText(LoadMessage(IDS_STARTS_PROGRAM), {target}), MB_OK | MB_ICONWARNING);
}

void TQuarantineWindow::HideEntryAgain(const TQuarantineEntry &entry)
{
  const DWORD error = HideAgain(entry);
  if (error)
  {
    Ask(FormatText(LoadMessage(IDS_NOT_HIDDEN), {entry.Path, std::to_string(error)}), MB_OK | MB_ICONWARNING);
    return;
  }
  _owner.Log(FormatText(LoadMessage(IDS_HIDDEN_AGAIN), {entry.Path, AttributeLetters(entry.Attributes)}));
  Fill();
  EnableButtons();
}

void TQuarantineWindow::RestoreClicked()
{
  const TQuarantineEntry *current = Current();
  if (_actionsLocked || !current)
    return;
  // Copied: the list is read afresh on the way.
  const TQuarantineEntry entry = *current;
  if (entry.Deed == qdMadeVisible && !entry.HiddenAgain)
    HideEntryAgain(entry);
  else if (entry.Deed == qdCopyKept && entry.CopyPresent)
    RestoreFile(entry);
}

void TQuarantineWindow::DeleteClicked()
{
  std::vector<TQuarantineEntry> copies;
  for (int i : SelectedIndexes())
    if (static_cast<size_t>(i) < _entries.size() && _entries[static_cast<size_t>(i)].CopyPresent)
      copies.push_back(_entries[static_cast<size_t>(i)]);
  if (_actionsLocked || copies.empty() ||
      Ask(FormatText(LoadMessage(IDS_DELETE_COPIES), {std::to_string(copies.size())}), MB_YESNO | MB_ICONQUESTION) !=
          IDYES)
    return;
  for (const TQuarantineEntry &entry : copies)
    if (const DWORD error = DeleteCopy(entry))
      Ask(FormatText(LoadMessage(IDS_COPY_NOT_DELETED), {entry.Path, std::to_string(error)}), MB_OK | MB_ICONWARNING);
  Fill();
  EnableButtons();
}

void TQuarantineWindow::OpenFolderClicked()
{
  if (const TQuarantineEntry *entry = Current())
    if (!_actionsLocked)
      ::ShellExecuteA(_hwnd, "explore", entry->Folder.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void TQuarantineWindow::WMCommand(int id, int code)
{
  if (id == QuarantineList)
  {
    if (code == LBN_SELCHANGE)
      EnableButtons();
    return;
  }
  if (code != BN_CLICKED)
    return;
  switch (id)
  {
  case RestoreButton: RestoreClicked(); break;
  case DeleteCopiesButton: DeleteClicked(); break;
  case OpenFolderButton: OpenFolderClicked(); break;
  case QuarantineCloseButton: EndModal(IDCANCEL); break;
  }
}

LRESULT TQuarantineWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
  const LRESULT result = CModalWindow::HandleMessage(message, wParam, lParam);
  if (message == WmDpiChanged)
  {
    SetTabStops();
    if (IsModal())
      Fill();
  }
  return result;
}
