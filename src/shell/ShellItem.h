#pragma once
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>
#include <string>
#include "../platform/NonCopyable.h"
#include "ShellFunctions.h"

// One item of a shell report, made from its absolute item identifier list.
// It owns a copy of the list, a copy of the list's last element (the item
// relative to its parent folder) and a reference to the parent folder. Path
// and DisplayName are read once when the item is built.
class TStShellItem : CNonCopyable
{
public:
  // absoluteList must not be null; it is copied, so it need only stay valid
  // for the call. When the lists cannot be copied (no ILClone or ILFree) the
  // item holds no lists, its folder is the desktop and Path and DisplayName
  // are empty. A name the shell cannot give is empty as well.
  TStShellItem(const TShellFunctions &shell, LPCITEMIDLIST absoluteList);
  ~TStShellItem();

  // The parsing name: X:\ for a drive root, a full path without a trailing
  // backslash for a folder.
  std::string Path;
  std::string DisplayName;
  // Index in the system image list; -1 until RefreshMedia has read it.
  int IconIndex = -1;

  LPCITEMIDLIST AbsoluteList() const { return _absolute; }
  LPCITEMIDLIST RelativeList() const { return _relative; }
  // Not AddRef'd for the caller; null only when not even the desktop folder
  // could be had.
  IShellFolder *ParentFolder() const { return _parent; }

  // After media arrived or left: has the parent folder revalidate its cached
  // data, then reads DisplayName and IconIndex anew (kept as they were when
  // the shell gives nothing). Path stays.
  void RefreshMedia();

private:
  void BindParent();
  std::string NameOf(DWORD flags) const;

  TShellFunctions _shell;
  LPITEMIDLIST _absolute = nullptr;
  LPITEMIDLIST _relative = nullptr;
  IShellFolder *_parent = nullptr;
};

// The text of a display name record by its kind: wide text converted to the
// ANSI code page (and freed, as the record's reader must), the text at the
// record's offset inside `relative`, or the record's own ANSI buffer. Any
// other kind gives an empty text.
std::string DisplayNameText(STRRET &name, LPCITEMIDLIST relative);
