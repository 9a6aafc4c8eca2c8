#pragma once
// Writes shell links (.lnk) as the published format lays them out: the
// header, an optional target ID list, LinkInfo, the string data and the
// extra data blocks, and the shapes found in the wild around them. Only what
// the tests need; texts are ASCII.
#include <algorithm>
#include <cctype>
#include <string>
#include "protection/ShortcutFile.h"

namespace testsupport
{
struct TLinkSpec
{
  bool Unicode = true;
  unsigned FileAttributes = 0x20;
  bool HasIdList = false;
  std::string IdList; // its bytes, without the size
  bool HasLinkInfo = true;
  bool LinkInfoUnicode = false; // the long header, with the Unicode texts too
  std::string LocalBasePath, CommonPathSuffix;
  // Which string data are there (LinkFlag bits) and their texts.
  unsigned Strings = 0;
  std::string Name, RelativePath, WorkingDir, Arguments, IconLocation;
  bool HasEnvironment = false;
  std::string EnvironmentTarget;
  // Shapes the system reads too: NULs after the working folder inside its
  // count; a last string whose count runs this many characters past the end
  // of the file (nothing follows it); blocks after the environment block;
  // bytes after the terminal block.
  size_t WorkingDirPadding = 0;
  size_t LastStringOverrun = 0;
  std::string ExtraBlocks;
  std::string Trailing;
};

inline void PutU16(std::string &out, unsigned value)
{
  out += static_cast<char>(value & 0xFF);
  out += static_cast<char>((value >> 8) & 0xFF);
}
inline void PutU32(std::string &out, unsigned value)
{
  PutU16(out, value & 0xFFFF);
  PutU16(out, value >> 16);
}
inline std::string Utf16(const std::string &ascii)
{
  std::string out;
  for (char c : ascii)
    PutU16(out, static_cast<unsigned char>(c));
  return out;
}

// A file entry shell item: the short name, and, with an extension block of
// `version` (3, 7, 8 or 9; 0 for none), the long name.
inline std::string FileEntryItem(const std::string &shortName, const std::string &longName, bool folder,
                                 unsigned version)
{
  std::string item;
  item += static_cast<char>(folder ? 0x31 : 0x32);
  item += '\0';
  PutU32(item, 0);          // size
  PutU32(item, 0x5A215A21); // modified
  PutU16(item, folder ? 0x10 : 0x20);
  item += shortName + '\0';
  if ((item.size() + 2) % 2)
    item += '\0';
  if (version)
  {
    const unsigned blockAt = static_cast<unsigned>(item.size()) + 2;
    std::string block;
    PutU16(block, version);
    PutU32(block, 0xBEEF0004);
    PutU32(block, 0x5A215A21); // created
    PutU32(block, 0x5A215A21); // accessed
    PutU16(block, version >= 9 ? 0x2E : version == 8 ? 0x2A : version == 7 ? 0x26 : 0x14);
    if (version >= 7)
      block += std::string(18, '\x07'); // file reference and what follows it
    PutU16(block, 0);                   // no localized name
    if (version >= 9)
      block += std::string(4, '\x09');
    if (version >= 8)
      block += std::string(4, '\x08');
    block += Utf16(longName) + std::string(2, '\0');
    PutU16(block, blockAt);
    PutU16(item, static_cast<unsigned>(block.size()) + 2);
    item += block;
  }
  std::string sized;
  PutU16(sized, static_cast<unsigned>(item.size()) + 2);
  return sized + item;
}

// A target ID list as the shell writes one for `path` (X:\folder\...\name):
// the computer, the drive, then a file entry for each part, its long name in
// an extension block of `version` and an upper-case short name beside it
// (the name itself with no block). `folder`: the last part is a folder.
inline std::string IdListOf(const std::string &path, unsigned version = 9, bool folder = false)
{
  std::string list;
  PutU16(list, 20);
  list += std::string("\x1F\x50\xE0\x4F\xD0\x20\xEA\x3A\x69\x10\xA2\xD8\x08\x00\x2B\x30\x30\x9D", 18);
  std::string drive = path.substr(0, 3);
  drive.resize(20, '\0');
  PutU16(list, 25);
  list += '\x2F' + drive + std::string(2, '\0');
  for (size_t start = 3; start < path.size();)
  {
    const size_t end = std::min(path.find('\\', start), path.size());
    const std::string name = path.substr(start, end - start);
    std::string shortName = version ? name.substr(0, 6) + "~1" : name;
    for (char &c : shortName)
      c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    list += FileEntryItem(version ? shortName : name, name, folder || end < path.size(), version);
    start = end + 1;
  }
  PutU16(list, 0);
  return list;
}

inline std::string MakeShortcut(const TLinkSpec &spec)
{
  unsigned flags = spec.Strings;
  if (spec.HasIdList)
    flags |= LinkFlag::HasLinkTargetIDList;
  if (spec.HasLinkInfo)
    flags |= LinkFlag::HasLinkInfo;
  if (spec.Unicode)
    flags |= LinkFlag::IsUnicode;
  std::string out;
  PutU32(out, 0x4C);
  out += std::string("\x01\x14\x02\x00\x00\x00\x00\x00\xC0\x00\x00\x00\x00\x00\x00\x46", 16);
  PutU32(out, flags);
  PutU32(out, spec.FileAttributes);
  out += std::string(24, '\0'); // creation, access and write times
  PutU32(out, 0);               // file size
  PutU32(out, 0);               // icon index
  PutU32(out, 1);               // SW_SHOWNORMAL
  out += std::string(12, '\0'); // hot key and reserved
  if (spec.HasIdList)
  {
    PutU16(out, static_cast<unsigned>(spec.IdList.size()));
    out += spec.IdList;
  }
  if (spec.HasLinkInfo)
  {
    const unsigned header = spec.LinkInfoUnicode ? 0x24 : 0x1C;
    const std::string volume = std::string("\x11\x00\x00\x00\x03\x00\x00\x00\x78\x56\x34\x12\x10\x00\x00\x00", 16) + '\0';
    const unsigned volumeAt = header;
    const unsigned localAt = volumeAt + static_cast<unsigned>(volume.size());
    const unsigned suffixAt = localAt + static_cast<unsigned>(spec.LocalBasePath.size()) + 1;
    const unsigned localUnicodeAt = suffixAt + static_cast<unsigned>(spec.CommonPathSuffix.size()) + 1;
    const unsigned suffixUnicodeAt = localUnicodeAt + 2 * static_cast<unsigned>(spec.LocalBasePath.size()) + 2;
    std::string body = volume + spec.LocalBasePath + '\0' + spec.CommonPathSuffix + '\0';
    if (spec.LinkInfoUnicode)
      body += Utf16(spec.LocalBasePath) + std::string(2, '\0') + Utf16(spec.CommonPathSuffix) + std::string(2, '\0');
    PutU32(out, header + static_cast<unsigned>(body.size()));
    PutU32(out, header);
    PutU32(out, 1); // VolumeIDAndLocalBasePath
    PutU32(out, volumeAt);
    PutU32(out, localAt);
    PutU32(out, 0); // no network link
    PutU32(out, suffixAt);
    if (spec.LinkInfoUnicode)
    {
      PutU32(out, localUnicodeAt);
      PutU32(out, suffixUnicodeAt);
    }
    out += body;
  }
  const std::pair<unsigned, const std::string *> strings[] = {{LinkFlag::HasName, &spec.Name},
                                                              {LinkFlag::HasRelativePath, &spec.RelativePath},
                                                              {LinkFlag::HasWorkingDir, &spec.WorkingDir},
                                                              {LinkFlag::HasArguments, &spec.Arguments},
                                                              {LinkFlag::HasIconLocation, &spec.IconLocation}};
  unsigned last = 0;
  for (const auto &string : strings)
    if (spec.Strings & string.first)
      last = string.first;
  for (const auto &string : strings)
    if (spec.Strings & string.first)
    {
      std::string text = *string.second;
      if (string.first == LinkFlag::HasWorkingDir)
        text += std::string(spec.WorkingDirPadding, '\0');
      const size_t overrun = string.first == last ? spec.LastStringOverrun : 0;
      PutU16(out, static_cast<unsigned>(text.size() + overrun));
      out += spec.Unicode ? Utf16(text) : text;
      if (overrun)
        return out;
    }
  if (spec.HasEnvironment)
  {
    PutU32(out, 0x314);
    PutU32(out, 0xA0000001);
    std::string ansi = spec.EnvironmentTarget;
    ansi.resize(260, '\0');
    std::string unicode = Utf16(spec.EnvironmentTarget);
    unicode.resize(520, '\0');
    out += ansi + unicode;
  }
  out += spec.ExtraBlocks;
  PutU32(out, 0); // terminal block
  return out + spec.Trailing;
}

// A shortcut such as a script or the shell makes: LinkInfo with the target's
// path, and the arguments.
inline std::string MakeShortcut(const std::string &target, const std::string &arguments = "",
                                const std::string &workingDir = "")
{
  TLinkSpec spec;
  spec.LocalBasePath = target;
  spec.LinkInfoUnicode = true;
  spec.Arguments = arguments;
  spec.WorkingDir = workingDir;
  spec.Strings = (arguments.empty() ? 0 : LinkFlag::HasArguments) | (workingDir.empty() ? 0 : LinkFlag::HasWorkingDir);
  return MakeShortcut(spec);
}
}
