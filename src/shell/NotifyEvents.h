#pragma once
#include <windows.h>
#include <initializer_list>

// The kinds of change the shell reports, in their fixed ordinal order.
enum TStNotifyEvents
{
  neAssociationChange,
  neAttributesChange,
  neFileChange,
  neFileCreate,
  neFileDelete,
  neFileRename,
  neDriveAdd,
  neDriveRemove,
  neShellDriveAdd,
  neDriveSpaceChange,
  neMediaInsert,
  neMediaRemove,
  neFolderCreate,
  neFolderDelete,
  neFolderRename,
  neFolderUpdate,
  neNetShare,
  neNetUnShare,
  neServerDisconnect,
  neImageListChange
};

constexpr int kNotifyEventCount = neImageListChange + 1;

// A set of kinds, one bit per ordinal.
class TStNotifyEventsSet
{
public:
  TStNotifyEventsSet() = default;
  TStNotifyEventsSet(std::initializer_list<TStNotifyEvents> members)
  {
    for (TStNotifyEvents member : members)
      Include(member);
  }
  static TStNotifyEventsSet All()
  {
    TStNotifyEventsSet set;
    set._bits = (1u << kNotifyEventCount) - 1;
    return set;
  }
  bool Contains(TStNotifyEvents member) const { return (_bits & Bit(member)) != 0; }
  void Include(TStNotifyEvents member) { _bits |= Bit(member); }
  void Exclude(TStNotifyEvents member) { _bits &= ~Bit(member); }
  void Clear() { _bits = 0; }
  bool Empty() const { return _bits == 0; }
  unsigned Bits() const { return _bits; }
  bool operator==(const TStNotifyEventsSet &other) const { return _bits == other._bits; }
  bool operator!=(const TStNotifyEventsSet &other) const { return _bits != other._bits; }

private:
  static unsigned Bit(TStNotifyEvents member) { return 1u << static_cast<unsigned>(member); }
  unsigned _bits = 0;
};

// The shell event bit (SHCNE_*) that reports the kind.
DWORD ShellEventBit(TStNotifyEvents member);
// The registration mask for a set: the OR of its members' shell event bits.
DWORD ShellEventMask(const TStNotifyEventsSet &events);
