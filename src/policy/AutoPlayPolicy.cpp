#include "AutoPlayPolicy.h"
#include "PolicyKey.h"

namespace
{
const char *const PolicyPath = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\policies\\Explorer";
const char *const PolicyValue = "NoDriveTypeAutoRun";
// Per box: undetermined, no root, RAM disk and further types all count as "Other".
const BYTE BoxBits[AutoPlayBoxCount] = {0x20, 0x04, 0x08, 0x10, 0xC3};
}

TAutoPlayBoxes AutoPlayBoxesOf(BYTE mask)
{
  TAutoPlayBoxes boxes{};
  for (int i = 0; i < AutoPlayBoxCount; ++i)
    boxes[i] = (mask & BoxBits[i]) != BoxBits[i];
  return boxes;
}

BYTE AutoPlayMaskOf(const TAutoPlayBoxes &boxes)
{
  BYTE mask = 0;
  for (int i = 0; i < AutoPlayBoxCount; ++i)
    if (!boxes[i])
      mask |= BoxBits[i];
  return mask;
}

bool ReadAutoPlayMask(BYTE &mask, RegistryDenyHook deny)
{
  CKey key(deny);
  if (!OpenPolicyKey(key, psMachine, PolicyPath, false) && !OpenPolicyKey(key, psUser, PolicyPath, false))
  {
    mask = 0;
    return true;
  }
  DWORD value = 0;
  if (key.QueryValue(PolicyValue, value) != ERROR_SUCCESS)
    return false;
  mask = static_cast<BYTE>(value & 0xFF);
  return true;
}

bool WriteAutoPlayMask(BYTE mask, RegistryDenyHook deny)
{
  bool written = false;
  for (TPolicyScope scope : {psUser, psMachine})
  {
    CKey key(deny);
    if (!OpenPolicyKey(key, scope, PolicyPath, true))
      continue;
    if (key.SetValue(PolicyValue, static_cast<DWORD>(mask)) != ERROR_SUCCESS)
      break;
    written = true;
  }
  return written;
}
