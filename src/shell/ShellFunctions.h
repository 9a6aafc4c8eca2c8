#pragma once
#include <windows.h>
#include <shlobj.h>
#include <type_traits>

// The shell32 functions the change notification source needs. They are taken
// by export ordinal because older shell32 versions export them by number only.
struct TShellFunctions
{
  using RegisterFn = ULONG(WINAPI *)(HWND, int, LONG, UINT, int, const SHChangeNotifyEntry *);
  using DeregisterFn = BOOL(WINAPI *)(ULONG);
  using FindLastIdFn = LPITEMIDLIST(WINAPI *)(LPCITEMIDLIST);
  using RemoveLastIdFn = BOOL(WINAPI *)(LPITEMIDLIST);
  using CloneFn = LPITEMIDLIST(WINAPI *)(LPCITEMIDLIST);
  using FreeFn = void(WINAPI *)(LPITEMIDLIST);

  RegisterFn SHChangeNotifyRegister = nullptr;      // ordinal 2
  DeregisterFn SHChangeNotifyDeregister = nullptr;  // ordinal 4
  FindLastIdFn ILFindLastID = nullptr;              // ordinal 16
  RemoveLastIdFn ILRemoveLastID = nullptr;          // ordinal 17
  CloneFn ILClone = nullptr;                        // ordinal 18
  FreeFn ILFree = nullptr;                          // ordinal 155

  // Every function was found: only then may a registration be made, since
  // its reports could not be copied, taken apart or freed otherwise.
  bool Complete() const;
  // ILClone and ILFree both present: lists can be copied and released.
  bool CanCopyLists() const;
  // A copy of the list, or nullptr when the list is null or cannot be copied.
  LPITEMIDLIST Clone(LPCITEMIDLIST list) const;
  // Frees a list made by Clone; null is ignored.
  void Free(LPITEMIDLIST list) const;
};

// A type without WINAPI is the same type on x86_64 and a corrupted stack on
// i686, where only these checks can catch it.
static_assert(std::is_same<TShellFunctions::RegisterFn, decltype(&::SHChangeNotifyRegister)>::value, "");
static_assert(std::is_same<TShellFunctions::DeregisterFn, decltype(&::SHChangeNotifyDeregister)>::value, "");
static_assert(std::is_same<TShellFunctions::FindLastIdFn, decltype(&::ILFindLastID)>::value, "");
static_assert(std::is_same<TShellFunctions::RemoveLastIdFn, decltype(&::ILRemoveLastID)>::value, "");
static_assert(std::is_same<TShellFunctions::CloneFn, decltype(&::ILClone)>::value, "");
static_assert(std::is_same<TShellFunctions::FreeFn, decltype(&::ILFree)>::value, "");

// Looks each function up in the module by ordinal; a missing export leaves its
// member null, a null module leaves all of them null.
TShellFunctions ResolveShellFunctions(HMODULE shell32);

// The process's table: shell32.dll is loaded with LoadLibraryA and resolved on
// the first call, and stays loaded for the life of the process.
const TShellFunctions &ShellFunctions();
