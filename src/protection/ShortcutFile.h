#pragma once
#include <string>
#include <vector>

// A shell link (.lnk) read from its bytes as the published format lays them
// out. A shortcut found on a drive is never handed to the shell: loading it
// there could run code of the drive's choosing (icon handlers, for one).
// Unicode texts are given in the ANSI code page.

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
  // From LinkInfo; the Unicode forms only when its header is long enough to
  // hold their offsets.
  std::string LocalBasePath, CommonPathSuffix;
  std::string LocalBasePathUnicode, CommonPathSuffixUnicode;
  // The string data, in the order the file holds them.
  std::string Name, RelativePath, WorkingDir, Arguments, IconLocation;
  // The EnvironmentVariableDataBlock's target, as written (not expanded).
  std::string EnvironmentTarget, EnvironmentTargetUnicode;
};

// False for anything that is not a whole, well-formed shortcut: a wrong
// header, or any length or offset that points outside the data.
bool ParseShortcut(const unsigned char *data, size_t size, TShortcut &link);
// Reads the file (at most ShortcutSizeLimit bytes) and parses it.
bool ReadShortcutFile(const std::string &path, TShortcut &link);
