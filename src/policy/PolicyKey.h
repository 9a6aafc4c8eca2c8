#pragma once
#include "../platform/Registry.h"

// The two scopes of a shell policy key.
enum TPolicyScope
{
  psUser,
  psMachine
};

// Opens `path` in `scope`: for reading only, or for full access and created
// when missing. False when the key does not open.
bool OpenPolicyKey(CKey &key, TPolicyScope scope, const char *path, bool forWriting);
