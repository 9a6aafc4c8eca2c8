#include "ShortcutFile.h"
#include <windows.h>
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
  // A NUL-terminated UTF-16 text starting at `at` and ending before `end`.
  bool UnicodeZ(size_t at, size_t end, std::string &text) const
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
        return true;
      }
      wide += c;
    }
    return false;
  }
  // `count` characters, one byte each or two.
  bool Counted(size_t at, size_t count, bool unicode, std::string &text) const
  {
    if (!Has(at, unicode ? 2 * count : count))
      return false;
    if (!unicode)
    {
      text.assign(reinterpret_cast<const char *>(_data + at), count);
      return true;
    }
    std::wstring wide(count, L'\0');
    for (size_t i = 0; i < count; ++i)
      wide[i] = static_cast<wchar_t>(_data[at + 2 * i] | (_data[at + 2 * i + 1] << 8));
    text = ToAnsi(wide);
    return true;
  }

private:
  const unsigned char *_data;
  size_t _size;
};

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

bool ParseExtraData(const TBytes &bytes, size_t at, TShortcut &link)
{
  // Blocks until the terminal one (a size below 4); a file that ends
  // without it was cut short.
  for (;;)
  {
    unsigned size = 0, signature = 0;
    if (!bytes.U32(at, size))
      return false;
    if (size < 4)
      return true;
    if (size < 8 || !bytes.Has(at, size) || !bytes.U32(at + 4, signature))
      return false;
    if (signature == kEnvironmentBlockSignature)
    {
      if (size != kEnvironmentBlockSize)
        return false;
      const size_t ansi = at + 8;
      const size_t unicode = ansi + kEnvironmentAnsiBytes;
      // Either form may be unused: then it is all zeros.
      if (!bytes.AnsiZ(ansi, unicode, link.EnvironmentTarget) ||
          !bytes.UnicodeZ(unicode, at + size, link.EnvironmentTargetUnicode))
        return false;
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
    if (!bytes.U16(at, count) || !bytes.Counted(at + 2, count, unicode, link.*string.Text))
      return false;
    at += 2 + (unicode ? 2 * count : count);
  }
  if (!ParseExtraData(bytes, at, link))
    return false;
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
