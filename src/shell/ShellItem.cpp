#include "ShellItem.h"
#include <cstring>
#include <cwchar>
#include <vector>
#include "../platform/ErrorModeScope.h"
#include "../platform/Text.h"

std::string DisplayNameText(STRRET &name, LPCITEMIDLIST relative)
{
  switch (name.uType)
  {
  case STRRET_WSTR:
  {
    std::string text = name.pOleStr ? ToAnsi(name.pOleStr, std::wcslen(name.pOleStr)) : std::string();
    ::CoTaskMemFree(name.pOleStr);
    return text;
  }
  case STRRET_OFFSET:
    return relative ? std::string(reinterpret_cast<const char *>(relative) + name.uOffset) : std::string();
  case STRRET_CSTR:
    return std::string(name.cStr, ::strnlen(name.cStr, sizeof(name.cStr)));
  }
  return std::string();
}

TStShellItem::TStShellItem(const TShellFunctions &shell, LPCITEMIDLIST absoluteList) : _shell(shell)
{
  _absolute = _shell.Clone(absoluteList);
  if (_absolute && _shell.ILFindLastID)
    _relative = _shell.Clone(_shell.ILFindLastID(_absolute));
  // The normal name of a drive root holds its volume label: no "insert a
  // disk" box for an empty drive.
  CErrorModeScope noCriticalErrorBox;
  BindParent();
  if (_parent && _relative)
  {
    Path = NameOf(SHGDN_FORPARSING);
    DisplayName = NameOf(SHGDN_NORMAL);
  }
}

TStShellItem::~TStShellItem()
{
  if (_parent)
    _parent->Release();
  _shell.Free(_relative);
  _shell.Free(_absolute);
}

void TStShellItem::BindParent()
{
  IShellFolder *desktop = nullptr;
  if (FAILED(::SHGetDesktopFolder(&desktop)))
    desktop = nullptr;
  if (desktop && _absolute && _shell.ILRemoveLastID)
  {
    LPITEMIDLIST parentList = _shell.Clone(_absolute);
    // An item directly on the desktop has an empty parent list: the desktop
    // itself, which is not bound to.
    if (parentList && _shell.ILRemoveLastID(parentList) && parentList->mkid.cb != 0)
    {
      if (FAILED(desktop->BindToObject(parentList, nullptr, IID_IShellFolder,
                                       reinterpret_cast<void **>(&_parent))))
        _parent = nullptr;
    }
    _shell.Free(parentList);
  }
  if (!_parent)
  {
    _parent = desktop;
    desktop = nullptr;
  }
  if (desktop)
    desktop->Release();
}

std::string TStShellItem::NameOf(DWORD flags) const
{
  STRRET name = {};
  name.uType = STRRET_CSTR;
  if (FAILED(_parent->GetDisplayNameOf(_relative, flags, &name)))
    return std::string();
  return DisplayNameText(name, _relative);
}

void TStShellItem::RefreshMedia()
{
  CErrorModeScope noCriticalErrorBox;
  if (_parent && _relative)
  {
    LPCITEMIDLIST relative = _relative;
    SFGAOF attributes = SFGAO_VALIDATE;
    _parent->GetAttributesOf(0, &relative, &attributes);
  }
  if (!_absolute)
    return;
  SHFILEINFOA info = {};
  if (::SHGetFileInfoA(reinterpret_cast<LPCSTR>(_absolute), 0, &info, sizeof(info),
                       SHGFI_PIDL | SHGFI_DISPLAYNAME | SHGFI_SYSICONINDEX) != 0)
  {
    info.szDisplayName[MAX_PATH - 1] = '\0';
    DisplayName = info.szDisplayName;
    IconIndex = info.iIcon;
  }
}
