#pragma once
#include <windows.h>
#include <array>
#include "../platform/Registry.h"

// The shell's AutoPlay policy value: a set bit n turns AutoPlay off for drive
// type n. The main window shows it as five boxes, ticked for on, in this
// order: CD-ROM, Removable, Fixed, Remote, Other.
const int AutoPlayBoxCount = 5;
using TAutoPlayBoxes = std::array<bool, AutoPlayBoxCount>;
// What a first run shows: AutoPlay on for CD-ROMs only.
const BYTE FirstRunAutoPlayMask = 223;

TAutoPlayBoxes AutoPlayBoxesOf(BYTE mask);
// Made from the boxes alone: "Other" stands for all four of its bits.
BYTE AutoPlayMaskOf(const TAutoPlayBoxes &boxes);

// The low byte of the machine's value, or of the user's when the machine key
// does not open; 0 when neither opens. False, `mask` untouched, when the value
// of the key that opened cannot be read as a DWORD.
bool ReadAutoPlayMask(BYTE &mask, RegistryDenyHook deny = nullptr);
// Writes `mask` in the user's scope, then the machine's, each key created when
// missing; a key that does not open is skipped, a failed write ends both.
// True when at least one write got through.
bool WriteAutoPlayMask(BYTE mask, RegistryDenyHook deny = nullptr);
