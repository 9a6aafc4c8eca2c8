#pragma once
#include <windows.h>

// A function of a system DLL that the oldest Windows the program runs on may
// lack, looked up at run time rather than imported; nullptr when the DLL is
// not loaded or has no such function. Take `Fn` from the function's own
// declaration (decltype) where the headers have it, so that a 32-bit build
// cannot call it with the wrong calling convention.
template <class Fn> Fn SystemFunction(const char *module, const char *name)
{
  const HMODULE loaded = ::GetModuleHandleA(module);
  return loaded ? reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(::GetProcAddress(loaded, name))) : nullptr;
}
