#pragma once
#include <string>
#include <vector>

// A shell link (.lnk) read from its bytes as the published format lays them
// out, and as far as the system reads them. A shortcut found on a drive is
// never handed to the shell: loading it there could run code of the drive's
// choosing (icon handlers, for one). Unicode texts are given in the ANSI code
// page.

// Files larger than this are not read: shortcuts are a few KiB at most.
const size_t ShortcutSizeLimit = 64 * 1024;

namespace LinkFlag
{
const unsigned HasLinkTargetIDList = 0x1;
const unsigned HasLinkInfo = 0x2;
const unsigned HasName = 0x4;
const unsigned HasRelativePath = 0x8;
const unsigned HasWorkingDir = 0x10;
const unsigned HasArguments = 0x20;
const unsigned HasIconLocation = 0x40;
const unsigned IsUnicode = 0x80;
}

struct TShortcut
{
  unsigned Flags = 0;
  unsigned FileAttributes = 0;
  // The target ID list as a path (C:\Windows\system32\cmd.exe): a drive,
  // the computer before it or not, then folders and files, each by its long
  // name where its item holds one. Empty when there is no list, or when it
  // holds any other kind of item.
  std::string IdListPath;
  // From LinkInfo; the Unicode forms only when its header is long enough to
  // hold their offsets.
  std::string LocalBasePath, CommonPathSuffix;
  std::string LocalBasePathUnicode, CommonPathSuffixUnicode;
  // The string data, in the order the file holds them, each up to its first
  // NUL; one whose count runs past the data as far as the data goes, and
  // those after it empty.
  std::string Name, RelativePath, WorkingDir, Arguments, IconLocation;
  // The EnvironmentVariableDataBlock's target, as written (not expanded).
  std::string EnvironmentTarget, EnvironmentTargetUnicode;
};

// False when the header, the target ID list or LinkInfo is wrong or cut, or
// any of their lengths or offsets points outside the data. What follows is
// read as the system reads it: bytes after the terminal block are ignored,
// and an unknown or damaged extra data block, or the end of the data, ends
// the extra data. Nothing outside `data` is ever read.
bool ParseShortcut(const unsigned char *data, size_t size, TShortcut &link);
// Reads the file (at most ShortcutSizeLimit bytes) and parses it.
bool ReadShortcutFile(const std::string &path, TShortcut &link);
