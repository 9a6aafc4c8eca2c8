#include "ShellFunctions.h"

namespace
{
// The one place where an export's address is taken as a typed function: the
// static_asserts in the header tie each type to the system's declaration.
template <typename Fn> void Resolve(HMODULE module, WORD ordinal, Fn &target)
{
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wcast-function-type"
  target = module ? reinterpret_cast<Fn>(::GetProcAddress(module, MAKEINTRESOURCEA(ordinal))) : nullptr;
#pragma GCC diagnostic pop
}
}

bool TShellFunctions::Complete() const
{
  return SHChangeNotifyRegister && SHChangeNotifyDeregister && ILFindLastID && ILRemoveLastID && ILClone &&
         ILFree;
}

bool TShellFunctions::CanCopyLists() const { return ILClone && ILFree; }

LPITEMIDLIST TShellFunctions::Clone(LPCITEMIDLIST list) const
{
  return list && CanCopyLists() ? ILClone(list) : nullptr;
}

void TShellFunctions::Free(LPITEMIDLIST list) const
{
  if (list && ILFree)
    ILFree(list);
}

TShellFunctions ResolveShellFunctions(HMODULE shell32)
{
  TShellFunctions table;
  Resolve(shell32, 2, table.SHChangeNotifyRegister);
  Resolve(shell32, 4, table.SHChangeNotifyDeregister);
  Resolve(shell32, 16, table.ILFindLastID);
  Resolve(shell32, 17, table.ILRemoveLastID);
  Resolve(shell32, 18, table.ILClone);
  Resolve(shell32, 155, table.ILFree);
  return table;
}

const TShellFunctions &ShellFunctions()
{
  static const TShellFunctions table = ResolveShellFunctions(::LoadLibraryA("shell32.dll"));
  return table;
}

