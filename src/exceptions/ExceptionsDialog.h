#pragma once
#include <string>
#include "../platform/ModalWindow.h"
#include "../settings/Settings.h"

class TDescriptionPrompt;

// The exceptions dialog; created hidden at start. It edits a copy of the
// combined exception lists and hands it back only on OK.
class TExceptionsDialog : public CModalWindow
{
public:
  // `prompt` asks for the description of a new entry. `report` takes the
  // log entry of a save at OK that failed (the program's log; none when
  // empty); the user is told in a message box either way.
  explicit TExceptionsDialog(TDescriptionPrompt &prompt, ReportFn report = ReportFn());
  // Opens the dialog over the middle of `owner`, filled afresh from
  // `settings`. On OK the edited list becomes the user's and the settings are
  // saved to `iniPath`; true then, even when the save failed: the list stays
  // in effect and the next save tries again. `programFolder` becomes the
  // current folder after the file dialog; `applicationTitle` is the caption
  // of its messages.
  bool Execute(HWND owner, TSettings &settings, const std::string &iniPath, const std::string &programFolder,
               const std::string &applicationTitle);

private:
  void WMCommand(int id, int code) override;
  void PlaceOver(HWND owner);
  void Fill(const ExceptionList &entries);
  int SelectedIndex() const;
  void Select(int index);
  bool ChooseAutorunInf(std::string &path);
  void ShowMessage(int id);
  void Save(HWND owner, const TSettings &settings, const std::string &iniPath);

  void EntrySelected();
  void AddClicked();
  void DeleteClicked();

  TDescriptionPrompt &_prompt;
  ReportFn _report;
  // Names: the items of EntryList; Bodies: the BodyList, in body encoding.
  ExceptionList _entries;
  std::string _programFolder;
  std::string _applicationTitle;
};

// The name test of Add: the file-name part of `path`, in capitals under the
// user's locale, is AUTORUN.INF.
bool IsAutorunInfName(const std::string &path);
// The entry selected after the one at `deleted` was removed, leaving `count`:
// the one that followed it, else the first; -1 for none.
int SelectionAfterDelete(int deleted, int count);
// 0 with the normalised text when the file at `path` can be taken into the
// list, else the message that refuses it.
int ReadAcceptedFile(const std::string &path, std::string &text);
// A name is stored as one line of the list encoding.
bool IsStorableName(const std::string &name);
// Files larger than this are not taken into the list.
const unsigned long MaxAcceptedFileSize = 64 * 1024;
