#include "ExceptionsDialog.h"
#include <commdlg.h>
#include "../common/Messages.h"
#include "../platform/PathText.h"
#include "../settings/ExceptionEncoding.h"
#include "DescriptionPrompt.h"
#include "ExceptionRecords.h"
#include "ExceptionsDialogLayout.h"


int ReadAcceptedFile(const std::string &path, std::string &text)
{
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
    return IDS_CANNOT_READ_FILE;
  if (data.nFileSizeHigh != 0 || data.nFileSizeLow > MaxAcceptedFileSize)
    return IDS_FILE_TOO_LARGE;
  // Normalising at most doubles the bytes and adds one line end; a file that
  // grew since its size was taken is not read on without end.
  const size_t limit = 2 * MaxAcceptedFileSize + 2;
  if (!ReadNormalisedText(path, text, limit))
    return IDS_CANNOT_READ_FILE;
  if (text.size() > limit)
    return IDS_FILE_TOO_LARGE;
  return ContainsMarker(text) ? IDS_CANNOT_STORE_TEXT : 0;
}

bool IsStorableName(const std::string &name)
{
  return !ContainsMarker(name) && name.find_first_of("\r\n") == std::string::npos;
}

bool IsAutorunInfName(const std::string &path)
{
  const std::string name = ExtractFileName(path);
  if (name.empty())
    return false;
  std::string upper(name.size() * 2, '\0');
  const int length = ::LCMapStringA(LOCALE_USER_DEFAULT, LCMAP_UPPERCASE, name.data(), static_cast<int>(name.size()),
                                    &upper[0], static_cast<int>(upper.size()));
  upper.resize(length > 0 ? static_cast<size_t>(length) : 0);
  return upper == "AUTORUN.INF";
}

int SelectionAfterDelete(int deleted, int count)
{
  if (count <= 0)
    return -1;
  return deleted < count ? deleted : 0;
}

TExceptionsDialog::TExceptionsDialog(TDescriptionPrompt &prompt, ReportFn report)
  : _prompt(prompt), _report(std::move(report))
{
  const std::string caption = std::string(ProductTitle) + ". " + LoadMessage(IDS_EXCEPTIONS_SETUP);
  if (!CreateModal(ExceptionsDialogClass, caption.c_str(), WS_POPUP | WS_CAPTION | WS_SYSMENU, 0,
                   ExceptionsDialogClientWidth, ExceptionsDialogClientHeight, ExceptionsDialogFontName,
                   ExceptionsDialogFontPoints, ExceptionsDialogControls, ExceptionsDialogControlCount))
    return;
  ::SendMessageA(Control(EntryText), EM_LIMITTEXT, 0, 0);
  LeaveDialogKeysToParent(Control(EntryText));
}

bool TExceptionsDialog::Execute(HWND owner, TSettings &settings, const std::string &iniPath,
                                const std::string &programFolder, const std::string &applicationTitle)
{
  if (!_hwnd || IsModal())
    return false;
  _programFolder = programFolder;
  _applicationTitle = applicationTitle;
  PlaceOver(owner);
  Fill(CombinedExceptions(settings));
  if (_entries.Count() > 0 && SelectedIndex() < 0)
    Select(0);
  EntrySelected();
  const bool accepted = ShowModal(owner) == IDOK;
  if (accepted)
  {
    AcceptCombinedExceptions(settings, _entries);
    Save(owner, settings, iniPath);
  }
  Fill(ExceptionList());
  return accepted;
}

void TExceptionsDialog::PlaceOver(HWND owner)
{
  RECT main, own;
  if (!owner || !::GetWindowRect(owner, &main) || !::GetWindowRect(_hwnd, &own))
    return;
  const int width = own.right - own.left, height = own.bottom - own.top;
  ::SetWindowPos(_hwnd, nullptr, main.left + (main.right - main.left - width) / 2,
                 main.top + (main.bottom - main.top - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TExceptionsDialog::Fill(const ExceptionList &entries)
{
  const HWND list = Control(EntryList);
  ::SendMessageA(list, LB_RESETCONTENT, 0, 0);
  _entries.Clear();
  for (size_t i = 0; i < entries.Count(); ++i)
  {
    _entries.Add(entries.Names[i], entries.Bodies[i]);
    ::SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entries.Names[i].c_str()));
  }
  ::SetWindowTextA(Control(EntryText), "");
}

int TExceptionsDialog::SelectedIndex() const
{
  return static_cast<int>(::SendMessageA(Control(EntryList), LB_GETCURSEL, 0, 0));
}

void TExceptionsDialog::Select(int index)
{
  ::SendMessageA(Control(EntryList), LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void TExceptionsDialog::ShowMessage(int id)
{
  const std::string text = LoadMessage(id);
  ::MessageBoxA(_hwnd, text.c_str(), _applicationTitle.c_str(), MB_OK);
}

void TExceptionsDialog::Save(HWND owner, const TSettings &settings, const std::string &iniPath)
{
  const SaveResult saved = SaveSettings(settings, iniPath);
  if (saved.Saved())
    return;
  if (_report)
    _report(FormatText(LoadMessage(IDS_SETTINGS_NOT_SAVED), {saved.File, saved.Reason()}));
  const std::string text = FormatText(LoadMessage(IDS_CHANGE_NOT_SAVED), {saved.Reason()});
  // The dialog is hidden by now.
  ::MessageBoxA(owner, text.c_str(), _applicationTitle.c_str(), MB_OK | MB_ICONWARNING);
}

bool TExceptionsDialog::ChooseAutorunInf(std::string &path)
{
  std::string filter = std::string(OpenDialogFilterName) + '\0' + OpenDialogFilterPattern + '\0' + '\0';
  char file[MAX_PATH * 4] = "";
  OPENFILENAMEA ofn = {};
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = _hwnd;
  ofn.lpstrFilter = filter.c_str();
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = file;
  ofn.nMaxFile = sizeof(file);
  ofn.lpstrTitle = OpenDialogTitle;
  ofn.Flags = OFN_EXPLORER | OFN_FORCESHOWHIDDEN | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY |
              OFN_NONETWORKBUTTON | OFN_ENABLESIZING | OFN_NOCHANGEDIR;
  if (!::GetOpenFileNameA(&ofn))
    return false;
  path = file;
  return true;
}

void TExceptionsDialog::EntrySelected()
{
  const int i = SelectedIndex();
  if (i < 0 || static_cast<size_t>(i) >= _entries.Bodies.size())
    return;
  ::SetWindowTextA(Control(EntryText), "");
  ::SetWindowTextA(Control(EntryText), DecodeBody(_entries.Bodies[static_cast<size_t>(i)]).c_str());
}

void TExceptionsDialog::AddClicked()
{
  std::string path;
  const bool chosen = ChooseAutorunInf(path);
  ::SetCurrentDirectoryA(_programFolder.c_str());
  if (!chosen)
    return;
  if (!IsAutorunInfName(path))
  {
    ShowMessage(IDS_NOT_AUTORUN_INF);
    return;
  }
  std::string answer;
  if (!_prompt.AskText(_hwnd, ProductTitle, LoadMessage(IDS_GIVE_DESCRIPTION), answer) || answer.empty())
    return;
  if (!IsStorableName(answer))
  {
    ShowMessage(IDS_CANNOT_STORE_TEXT);
    return;
  }
  std::string text;
  if (const int refusal = ReadAcceptedFile(path, text))
  {
    ShowMessage(refusal);
    return;
  }
  _entries.Add(answer, EncodeBody(text));
  const LRESULT added = ::SendMessageA(Control(EntryList), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(answer.c_str()));
  Select(static_cast<int>(added));
  EntrySelected();
}

void TExceptionsDialog::DeleteClicked()
{
  const int i = SelectedIndex();
  if (i < 0)
    return;
  ::SendMessageA(Control(EntryList), LB_DELETESTRING, static_cast<WPARAM>(i), 0);
  if (static_cast<size_t>(i) < _entries.Count())
  {
    _entries.Names.erase(_entries.Names.begin() + i);
    _entries.Bodies.erase(_entries.Bodies.begin() + i);
  }
  ::SetWindowTextA(Control(EntryText), "");
  Select(SelectionAfterDelete(i, static_cast<int>(_entries.Count())));
  EntrySelected();
}

void TExceptionsDialog::WMCommand(int id, int code)
{
  if (id == EntryList)
  {
    if (code == LBN_SELCHANGE)
      EntrySelected();
    return;
  }
  if (code != BN_CLICKED)
    return;
  switch (id)
  {
  case AddButton: AddClicked(); break;
  case DeleteButton: DeleteClicked(); break;
  case DialogOkButton: EndModal(IDOK); break;
  case DialogCancelButton: EndModal(IDCANCEL); break;
  }
}
