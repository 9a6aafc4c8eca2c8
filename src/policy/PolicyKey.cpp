#include "PolicyKey.h"

bool OpenPolicyKey(CKey &key, TPolicyScope scope, const char *path, bool forWriting)
{
  // A 32-bit program on 64-bit Windows would otherwise be redirected to the
  // 32-bit view of the machine's keys, which the 64-bit shell never reads.
  // 32-bit Windows ignores the flag; the user's keys are not redirected.
  const HKEY root = scope == psMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
  const REGSAM view = scope == psMachine ? KEY_WOW64_64KEY : 0;
  if (forWriting)
    return key.Create(root, path, KEY_ALL_ACCESS | view) == ERROR_SUCCESS;
  return key.Open(root, path, KEY_READ | view) == ERROR_SUCCESS;
}
