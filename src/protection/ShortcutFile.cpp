#include "ShortcutFile.h"
#include <windows.h>
#include <cctype>
#include <cstring>
#include "../platform/File.h"
#include "../platform/Text.h"

namespace
{
const unsigned kHeaderSize = 0x4C;
const unsigned char kLinkClsid[16] = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                      0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
const unsigned kLinkInfoShortHeader = 0x1C;
const unsigned kLinkInfoUnicodeHeader = 0x24;
const unsigned kVolumeIdAndLocalBasePath = 0x1;
const unsigned kEnvironmentBlockSignature = 0xA0000001;
const unsigned kEnvironmentBlockSize = 0x314;
const size_t kEnvironmentAnsiBytes = 260;
// The published extra data blocks are numbered from 0xA0000001 on.
const unsigned kLastKnownBlockSignature = 0xA000000C;

// Shell items of a target ID list.
const unsigned char kRootFolderItem = 0x1F;
const unsigned char kMyComputer[16] = {0xE0, 0x4F, 0xD0, 0x20, 0xEA, 0x3A, 0x69, 0x10,
                                       0xA2, 0xD8, 0x08, 0x00, 0x2B, 0x30, 0x30, 0x9D};
const unsigned kItemKindMask = 0x70;
const unsigned kVolumeItem = 0x20;
const unsigned kVolumeHasName = 0x01;
const size_t kVolumeNameBytes = 20;
const unsigned kFileEntryItem = 0x30;
const unsigned kFileEntryUnicode = 0x04;
const size_t kFileEntryNameAt = 14;
const unsigned kFileEntryExtension = 0xBEEF0004;

// Bounds-checked little-endian reads; every read that does not fit fails.
class TBytes
{
public:
  TBytes(const unsigned char *data, size_t size) : _data(data), _size(size) {}
  size_t Size() const { return _size; }
  bool Has(size_t at, size_t count) const { return at <= _size && count <= _size - at; }
  bool U16(size_t at, unsigned &value) const
  {
    if (!Has(at, 2))
      return false;
    value = _data[at] | (_data[at + 1] << 8);
    return true;
  }
  bool U32(size_t at, unsigned &value) const
  {
    if (!Has(at, 4))
      return false;
    value = static_cast<unsigned>(_data[at]) | (static_cast<unsigned>(_data[at + 1]) << 8) |
            (static_cast<unsigned>(_data[at + 2]) << 16) | (static_cast<unsigned>(_data[at + 3]) << 24);
    return true;
  }
  const unsigned char *At(size_t at) const { return _data + at; }

  // A NUL-terminated ANSI text starting at `at` and ending before `end`.
  bool AnsiZ(size_t at, size_t end, std::string &text) const
  {
    if (end > _size || at >= end)
      return false;
    const void *nul = std::memchr(_data + at, 0, end - at);
    if (!nul)
      return false;
    text.assign(reinterpret_cast<const char *>(_data + at), static_cast<const unsigned char *>(nul) - (_data + at));
    return true;
  }
  // A NUL-terminated UTF-16 text starting at `at` and ending before `end`;
  // `after` receives where its NUL ends.
  bool UnicodeZ(size_t at, size_t end, std::string &text, size_t *after = nullptr) const
  {
    if (end > _size || at >= end)
      return false;
    std::wstring wide;
    for (size_t i = at; i + 1 < end; i += 2)
    {
      const wchar_t c = static_cast<wchar_t>(_data[i] | (_data[i + 1] << 8));
      if (c == 0)
      {
        text = ToAnsi(wide);
        if (after)
          *after = i + 2;
        return true;
      }
      wide += c;
    }
    return false;
  }
  // `count` characters, one byte each or two, or as many as the data holds,
  // up to the first NUL. Gives the bytes taken.
  size_t Counted(size_t at, size_t count, bool unicode, std::string &text) const
  {
    const size_t width = unicode ? 2 : 1;
    const size_t have = at < _size ? (_size - at) / width : 0;
    const size_t taken = count < have ? count : have;
    if (!unicode)
    {
      const char *start = reinterpret_cast<const char *>(_data + at);
      const void *nul = taken ? std::memchr(start, 0, taken) : nullptr;
      text.assign(start, nul ? static_cast<const char *>(nul) - start : taken);
      return taken;
    }
    std::wstring wide;
    for (size_t i = 0; i < taken; ++i)
    {
      const wchar_t c = static_cast<wchar_t>(_data[at + 2 * i] | (_data[at + 2 * i + 1] << 8));
      if (c == 0)
        break;
      wide += c;
    }
    text = ToAnsi(wide);
    return taken * width;
  }

private:
  const unsigned char *_data;
  size_t _size;
};

// The long name in a file entry item's extension block (0xBEEF0004) that
// starts at `at`, or empty. Where the name lies depends on the block's version.
std::string LongNameOf(const TBytes &bytes, size_t at, size_t end)
{
  unsigned size = 0, version = 0, signature = 0;
  if (!bytes.U16(at, size) || !bytes.U16(at + 2, version) || !bytes.U32(at + 4, signature) ||
      signature != kFileEntryExtension || size > end - at)
    return std::string();
  const size_t nameAt = version >= 9 ? 46 : version == 8 ? 42 : version == 7 ? 38 : version == 3 ? 20 : 0;
  std::string name;
  return nameAt < size && bytes.UnicodeZ(at + nameAt, at + size, name) ? name : std::string();
}

// The name of a file entry item of `size` bytes at `at`: the long one from its
// extension blocks, or else its primary name (the short one, mostly).
std::string FileEntryName(const TBytes &bytes, size_t at, size_t size, unsigned kind)
{
  const size_t end = at + size;
  std::string primary;
  size_t next = at + kFileEntryNameAt;
  if (kind & kFileEntryUnicode)
  {
    if (!bytes.UnicodeZ(next, end, primary, &next))
      return std::string();
  }
  else
  {
    if (!bytes.AnsiZ(next, end, primary))
      return std::string();
    next += primary.size() + 1;
  }
  next += (next - at) % 2;
  // Extension blocks follow, each with its size first.
  for (unsigned blockSize = 0; next + 8 <= end && bytes.U16(next, blockSize) && blockSize >= 8 &&
                                blockSize <= end - next;
       next += blockSize)
  {
    const std::string name = LongNameOf(bytes, next, end);
    if (!name.empty())
      return name;
  }
  return primary;
}

bool IsPlainName(const std::string &name)
{
  return !name.empty() && name != "." && name != ".." && name.find_first_of("\\/") == std::string::npos;
}

// The path the list `size` bytes at `at` gives, or empty (see IdListPath).
std::string IdListPathOf(const TBytes &bytes, size_t at, size_t size)
{
  const size_t end = at + size;
  std::string path;
  bool computer = false;
  for (;;)
  {
    unsigned itemSize = 0;
    if (at + 2 > end || !bytes.U16(at, itemSize))
      return std::string();
    if (itemSize == 0)
      return path;
    if (itemSize < 3 || itemSize > end - at)
      return std::string();
    const unsigned kind = *bytes.At(at + 2);
    if (path.empty() && !computer && kind == kRootFolderItem && itemSize >= 20 &&
        std::memcmp(bytes.At(at + 4), kMyComputer, sizeof(kMyComputer)) == 0)
      computer = true;
    else if (path.empty() && (kind & kItemKindMask) == kVolumeItem && (kind & kVolumeHasName))
    {
      std::string drive;
      const size_t nameEnd = at + (itemSize < 3 + kVolumeNameBytes ? itemSize : 3 + kVolumeNameBytes);
      if (!bytes.AnsiZ(at + 3, nameEnd, drive) || drive.size() != 3 || drive[1] != ':' || drive[2] != '\\' ||
          !std::isalpha(static_cast<unsigned char>(drive[0])))
        return std::string();
      path = drive;
    }
    else if (!path.empty() && (kind & kItemKindMask) == kFileEntryItem && itemSize > kFileEntryNameAt)
    {
      const std::string name = FileEntryName(bytes, at, itemSize, kind);
      if (!IsPlainName(name))
        return std::string();
      path += (path.back() == '\\' ? "" : "\\") + name;
    }
    else
      return std::string();
    at += itemSize;
  }
}

// A text inside LinkInfo at `offset` from its start; offset 0 means none.
bool LinkInfoText(const TBytes &bytes, size_t start, unsigned size, unsigned headerSize, unsigned offset,
                  bool unicode, std::string &text)
{
  if (offset == 0)
    return true;
  if (offset < headerSize || offset >= size)
    return false;
  return unicode ? bytes.UnicodeZ(start + offset, start + size, text) : bytes.AnsiZ(start + offset, start + size, text);
}

bool ParseLinkInfo(const TBytes &bytes, size_t &at, TShortcut &link)
{
  unsigned size = 0, headerSize = 0, flags = 0, localOffset = 0, suffixOffset = 0;
  if (!bytes.U32(at, size) || !bytes.U32(at + 4, headerSize) || !bytes.U32(at + 8, flags) ||
      !bytes.U32(at + 16, localOffset) || !bytes.U32(at + 24, suffixOffset))
    return false;
  if (headerSize < kLinkInfoShortHeader || headerSize > size || !bytes.Has(at, size))
    return false;
  if (headerSize != kLinkInfoShortHeader && headerSize < kLinkInfoUnicodeHeader)
    return false;
  const bool local = (flags & kVolumeIdAndLocalBasePath) != 0;
  if (local && !LinkInfoText(bytes, at, size, headerSize, localOffset, false, link.LocalBasePath))
    return false;
  if (!LinkInfoText(bytes, at, size, headerSize, suffixOffset, false, link.CommonPathSuffix))
    return false;
  if (headerSize >= kLinkInfoUnicodeHeader)
  {
    unsigned localUnicode = 0, suffixUnicode = 0;
    if (!bytes.U32(at + 0x1C, localUnicode) || !bytes.U32(at + 0x20, suffixUnicode))
      return false;
    if (local && !LinkInfoText(bytes, at, size, headerSize, localUnicode, true, link.LocalBasePathUnicode))
      return false;
    if (!LinkInfoText(bytes, at, size, headerSize, suffixUnicode, true, link.CommonPathSuffixUnicode))
      return false;
  }
  at += size;
  return true;
}

void ParseExtraData(const TBytes &bytes, size_t at, TShortcut &link)
{
  // Blocks until the terminal one (a size below 4). The end of the data, or
  // a block that is unknown or does not fit, ends them as well.
  for (;;)
  {
    unsigned size = 0, signature = 0;
    if (!bytes.U32(at, size) || size < 8 || !bytes.Has(at, size) || !bytes.U32(at + 4, signature) ||
        signature < kEnvironmentBlockSignature || signature > kLastKnownBlockSignature)
      return;
    if (signature == kEnvironmentBlockSignature)
    {
      const size_t ansi = at + 8;
      const size_t unicode = ansi + kEnvironmentAnsiBytes;
      // Either form may be unused: then it is all zeros.
      std::string target, targetUnicode;
      if (size != kEnvironmentBlockSize || !bytes.AnsiZ(ansi, unicode, target) ||
          !bytes.UnicodeZ(unicode, at + size, targetUnicode))
        return;
      link.EnvironmentTarget = target;
      link.EnvironmentTargetUnicode = targetUnicode;
    }
    at += size;
  }
}
} // namespace

bool ParseShortcut(const unsigned char *data, size_t size, TShortcut &result)
{
  const TBytes bytes(data, size);
  TShortcut link;
  unsigned headerSize = 0;
  if (!bytes.U32(0, headerSize) || headerSize != kHeaderSize || !bytes.Has(0, kHeaderSize) ||
      std::memcmp(bytes.At(4), kLinkClsid, sizeof(kLinkClsid)) != 0)
    return false;
  bytes.U32(20, link.Flags);
  bytes.U32(24, link.FileAttributes);
  size_t at = kHeaderSize;

  if (link.Flags & LinkFlag::HasLinkTargetIDList)
  {
    unsigned idListSize = 0;
    if (!bytes.U16(at, idListSize) || !bytes.Has(at + 2, idListSize))
      return false;
    link.IdListPath = IdListPathOf(bytes, at + 2, idListSize);
    at += 2 + idListSize;
  }
  if ((link.Flags & LinkFlag::HasLinkInfo) && !ParseLinkInfo(bytes, at, link))
    return false;

  const bool unicode = (link.Flags & LinkFlag::IsUnicode) != 0;
  const struct
  {
    unsigned Flag;
    std::string TShortcut::*Text;
  } strings[] = {{LinkFlag::HasName, &TShortcut::Name},
                 {LinkFlag::HasRelativePath, &TShortcut::RelativePath},
                 {LinkFlag::HasWorkingDir, &TShortcut::WorkingDir},
                 {LinkFlag::HasArguments, &TShortcut::Arguments},
                 {LinkFlag::HasIconLocation, &TShortcut::IconLocation}};
  for (const auto &string : strings)
  {
    if (!(link.Flags & string.Flag))
      continue;
    unsigned count = 0;
    if (!bytes.U16(at, count))
      break;
    at += 2 + bytes.Counted(at + 2, count, unicode, link.*string.Text);
  }
  ParseExtraData(bytes, at, link);
  result = std::move(link);
  return true;
}

bool ReadShortcutFile(const std::string &path, TShortcut &link)
{
  CFile file;
  unsigned long long size = 0;
  if (!file.Open(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING) ||
      !file.GetSize(size) || size > ShortcutSizeLimit)
    return false;
  // One byte more than the limit is asked for, so a file that grew since
  // its size was taken is still refused.
  std::vector<unsigned char> data(ShortcutSizeLimit + 1);
  size_t got = 0;
  for (;;)
  {
    DWORD read = 0;
    if (!file.Read(data.data() + got, static_cast<DWORD>(data.size() - got), read))
      return false;
    if (read == 0)
      break;
    got += read;
    if (got > ShortcutSizeLimit)
      return false;
  }
  return ParseShortcut(data.data(), got, link);
}
