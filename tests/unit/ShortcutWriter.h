#pragma once
// Writes shell links (.lnk) as the published format lays them out: the
// header, an optional target ID list, LinkInfo, the string data and the
// extra data blocks. Only what the tests need; texts are ASCII.
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
  for (const auto &string : strings)
    if (spec.Strings & string.first)
    {
      PutU16(out, static_cast<unsigned>(string.second->size()));
      out += spec.Unicode ? Utf16(*string.second) : *string.second;
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
  PutU32(out, 0); // terminal block
  return out;
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
