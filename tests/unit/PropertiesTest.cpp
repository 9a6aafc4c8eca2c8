#include <gtest/gtest.h>
#include <cstdlib>
#include <random>
#include "WorkFiles.h"
#include "exceptions/ExceptionRecords.h"
#include "platform/Profile.h"
#include "platform/Text.h"
#include "settings/ExceptionEncoding.h"
#include "settings/Settings.h"

// Each property runs over generated cases. Case i of seed s is drawn from its
// own generator, so a failure ("seed s case i") replays alone with
// MERVANE_PROPERTY_SEED=s MERVANE_PROPERTY_CASE=i; MERVANE_PROPERTY_SCALE
// multiplies every case count.
namespace
{
unsigned long FromEnvironment(const char *name, unsigned long otherwise)
{
  const char *text = std::getenv(name);
  return text && *text ? std::strtoul(text, nullptr, 10) : otherwise;
}

struct Gen
{
  std::mt19937 engine;

  size_t Below(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(engine); }
  bool Chance(int percent) { return Below(100) < static_cast<size_t>(percent); }
  // Bytes drawn from `pieces` (one piece a draw) and, one draw in three, any
  // byte in [low, high]; at most `draws` draws.
  std::string Text(size_t draws, const std::vector<std::string> &pieces, int low = 1, int high = 255)
  {
    std::string text;
    for (size_t n = Below(draws + 1); n > 0; --n)
      text += Chance(33) || pieces.empty() ? std::string(1, static_cast<char>(low + Below(high - low + 1)))
                                           : pieces[Below(pieces.size())];
    return text;
  }
  // Printable bytes and TABs, often with blanks, TABs or quotes at either end.
  std::string Printable(size_t draws)
  {
    static const std::vector<std::string> pieces = {"<<", ">>", "R", "N", "2", " ", "\t", "\"", "'", "=", ";"};
    std::string text = Chance(30) ? pieces[5 + Below(4)] : "";
    text += Text(draws, pieces, 0x20, 0xFF);
    return Chance(30) ? text + pieces[5 + Below(4)] : text;
  }
};

template <typename Check> void ForCases(unsigned long count, Check &&check)
{
  const unsigned long seed = FromEnvironment("MERVANE_PROPERTY_SEED", 15);
  const unsigned long only = FromEnvironment("MERVANE_PROPERTY_CASE", static_cast<unsigned long>(-1));
  count *= FromEnvironment("MERVANE_PROPERTY_SCALE", 1);
  for (unsigned long i = 0; i < count && !::testing::Test::HasFailure(); ++i)
  {
    if (only != static_cast<unsigned long>(-1) && i != only)
      continue;
    std::seed_seq seq{seed, i};
    Gen gen{std::mt19937(seq)};
    SCOPED_TRACE("seed " + std::to_string(seed) + " case " + std::to_string(i));
    check(gen, i);
  }
}

// Pieces that build markers, near-markers and line ends often.
const std::vector<std::string> MarkerPieces = {"<", "<<", ">", ">>", "R", "r", "N", "n", "2", "\r", "\n", "a", " "};
const std::vector<std::string> LinePieces = {"\r", "\n", "\r\n", "\n\r", "[autorun]", "open=", " ", "\t", "x"};

std::string Lower(std::string text)
{
  for (char &c : text)
    if (c >= 'A' && c <= 'Z')
      c = static_cast<char>(c - 'A' + 'a');
  return text;
}

// Markers found without the program's help: ASCII letters, either case.
bool HasMarker(const std::string &text)
{
  const std::string lower = Lower(text);
  for (const char *marker : {"<<r>>", "<<n>>", "<<r2>>", "<<n2>>"})
    if (lower.find(marker) != std::string::npos)
      return true;
  return false;
}

// `encoded` with the letter of each of its `markers` in small letters at random.
std::string MixCase(Gen &gen, std::string encoded, std::initializer_list<const char *> markers)
{
  for (const std::string marker : markers)
    for (size_t at = encoded.find(marker); at != std::string::npos; at = encoded.find(marker, at + 1))
      if (gen.Chance(50))
        encoded[at + 2] = static_cast<char>(encoded[at + 2] - 'A' + 'a');
  return encoded;
}

std::string Shown(const std::string &text)
{
  static const char hex[] = "0123456789abcdef";
  std::string shown;
  for (unsigned char c : text)
    shown += c >= 0x20 && c < 0x7F && c != '\\' ? std::string(1, static_cast<char>(c))
                                                : std::string{'\\', 'x', hex[c >> 4], hex[c & 15]};
  return "\"" + shown + "\"";
}

// The normalised text of a file of these bytes; "<unread>" when it cannot be read.
std::string TextOfFile(const std::string &bytes, const std::string &name = "property.inf")
{
  const std::string path = WorkPath(name);
  WriteBytes(path, bytes);
  std::string text = "<unread>";
  ReadNormalisedText(path, text);
  return text;
}

bool BeginsWithMark(const std::string &bytes)
{
  return bytes.size() >= 2 && ((bytes[0] == '\xFF' && bytes[1] == '\xFE') || (bytes[0] == '\xFE' && bytes[1] == '\xFF'));
}

// A byte-order mark at the start makes a file UTF-16: ANSI cases begin otherwise.
std::string AnsiStart(std::string bytes)
{
  if (BeginsWithMark(bytes))
    bytes[0] = 'x';
  return bytes;
}

std::string Utf16(const std::string &ansi, bool bigEndian)
{
  std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (wchar_t unit : ToWide(ansi))
  {
    const char low = static_cast<char>(unit & 0xFF), high = static_cast<char>(unit >> 8);
    bytes += bigEndian ? std::string{high, low} : std::string{low, high};
  }
  return bytes;
}

// A name as the prompt takes one: one line, no marker.
std::string StorableName(Gen &gen, size_t draws)
{
  std::string name;
  do
    name = gen.Printable(draws);
  while (HasMarker(name));
  return name;
}
}

TEST(PropertiesEncoding, TextsWithoutMarkersComeBackInAnyLetterCaseOfTheMarkers)
{
  ForCases(4000, [](Gen &gen, unsigned long) {
    const std::string text = gen.Text(24, MarkerPieces);
    ASSERT_EQ(ContainsMarker(text), HasMarker(text)) << Shown(text);
    if (HasMarker(text))
      return;
    const std::string body = EncodeBody(text);
    ASSERT_EQ(body.find_first_of("\r\n"), std::string::npos) << Shown(text);
    ASSERT_EQ(DecodeBody(MixCase(gen, body, {"<<R>>", "<<N>>"})), text) << Shown(text);
  });
}

TEST(PropertiesEncoding, ListsOfOneLineStringsComeBackWithEveryEmptyItem)
{
  ForCases(3000, [](Gen &gen, unsigned long) {
    std::vector<std::string> items(gen.Below(6));
    for (std::string &item : items)
      if (!gen.Chance(25))
      {
        const std::string text = gen.Text(12, MarkerPieces);
        item = HasMarker(text) ? "" : gen.Chance(50) ? EncodeBody(text) : text.substr(0, text.find_first_of("\r\n"));
      }
    if (gen.Chance(30))
      items.push_back("");
    const std::string value = EncodeListText(items);
    ASSERT_EQ(value.find_first_of("\r\n"), std::string::npos);
    ASSERT_EQ(DecodeListText(MixCase(gen, value, {"<<R2>>", "<<N2>>"})), items) << Shown(value);
  });
}

TEST(PropertiesNormalisedText, NormalisingTwiceIsNormalisingOnce)
{
  ForCases(1500, [](Gen &gen, unsigned long) {
    std::string bytes = gen.Text(24, LinePieces, 0, 255);
    if (gen.Chance(20))
      bytes = Utf16(bytes, gen.Chance(50));
    const std::string once = TextOfFile(bytes);
    // A text that itself begins with a byte-order mark is read as UTF-16 again.
    if (once == "<unread>" || BeginsWithMark(once))
      return;
    ASSERT_EQ(TextOfFile(once), once) << Shown(bytes);
  });
}

TEST(PropertiesNormalisedText, AnyMixOfLineEndsInAnyFormGivesTheSameText)
{
  ForCases(1500, [](Gen &gen, unsigned long) {
    std::string bytes, expected, line, end;
    for (size_t n = gen.Below(6); n > 0; --n)
    {
      line = gen.Text(8, {"[autorun]", "open=", " ", "\t", "<<R>>"}, 1, 255);
      line.resize(std::min(line.size(), line.find_first_of("\r\n")));
      // CR, then an empty line ended by LF, is one CR LF.
      end = end == "\r" && line.empty() ? "\r" : std::vector<std::string>{"\r", "\n", "\r\n"}[gen.Below(3)];
      bytes += line + end;
      expected += line + "\r\n";
    }
    if (!line.empty() && gen.Chance(40))
      bytes.resize(bytes.size() - end.size());
    if (BeginsWithMark(bytes))
      bytes[0] = expected[0] = 'x';
    const int form = static_cast<int>(gen.Below(3));
    ASSERT_EQ(TextOfFile(form == 0 ? bytes : Utf16(bytes, form == 2)), expected) << Shown(bytes) << " form " << form;
  });
}

TEST(PropertiesNormalisedText, NothingAfterTheFirstNulCounts)
{
  ForCases(1000, [](Gen &gen, unsigned long) {
    const std::string head = AnsiStart(gen.Text(12, LinePieces));
    const std::string tail = gen.Text(12, LinePieces, 0, 255);
    const std::string text = TextOfFile(head, "head.inf");
    ASSERT_EQ(TextOfFile(head + '\0' + tail), text) << Shown(head) << " then " << Shown(tail);
    const bool bigEndian = gen.Chance(50);
    if (TextOfFile(Utf16(head, bigEndian)) == text)
    {
      ASSERT_EQ(TextOfFile(Utf16(head, bigEndian) + std::string(2, '\0') + tail), text)
          << Shown(head) << " then " << Shown(tail) << (bigEndian ? " big-endian" : " little-endian");
    }
  });
}

TEST(PropertiesSettings, AnyPrintableValueSurvivesARealSaveAndLoad)
{
  const std::string ini = WorkPath("properties.ini");
  ForCases(400, [&](Gen &gen, unsigned long) {
    const std::string value = gen.Printable(16);
    ASSERT_TRUE(WriteProfileText(ini, "General", "Value", value));
    std::string read;
    ASSERT_TRUE(ReadProfileText(ini, "General", "Value", read, "<none>"));
    ASSERT_EQ(read, value);

    TSettings saved;
    ResetDefaults(saved);
    for (size_t n = gen.Below(4); n > 0; --n)
    {
      std::string body;
      for (size_t lines = gen.Below(3); lines > 0; --lines)
        body += gen.Printable(8) + "\r\n";
      saved.UserExceptions.Add(StorableName(gen, 8), HasMarker(body) ? "" : EncodeBody(body));
    }
    for (BehaviourFlags &flags : saved.Flags)
      flags = BehaviourFlags{gen.Chance(50), gen.Chance(50), gen.Chance(50), gen.Chance(50)};
    saved.RunMinimized = gen.Chance(50);
    SaveSettings(saved, ini);
    TSettings loaded;
    std::vector<std::string> reports;
    LoadSettings(loaded, WorkPath("absent.ini"), ini, [&](const std::string &text) { reports.push_back(text); });
    ASSERT_EQ(loaded.UserExceptions.Names, saved.UserExceptions.Names);
    ASSERT_EQ(loaded.UserExceptions.Bodies, saved.UserExceptions.Bodies);
    ASSERT_EQ(BehaviourText(loaded.Flags), BehaviourText(saved.Flags));
    ASSERT_EQ(loaded.RunMinimized, saved.RunMinimized);
    ASSERT_EQ(reports, std::vector<std::string>{});
  });
}

TEST(PropertiesSettings, ABehaviourTextConvertsAsSpecifiedOrIsIgnoredWithOneEntry)
{
  ForCases(400, [](Gen &gen, unsigned long i) {
    const auto behaviour = [&gen]() -> std::string {
      if (gen.Chance(15))
        return "";
      std::string text;
      for (size_t n = gen.Chance(60) ? 19 + gen.Below(3) : gen.Below(30); n > 0; --n)
        text += gen.Chance(95) ? static_cast<char>('0' + gen.Below(10)) : "x +-\t\"'\xA0"[gen.Below(8)];
      return "Behaviour=" + text + "\r\n";
    };
    const bool locked = gen.Chance(30);
    const std::string common = WorkPath("behaviour-common-" + std::to_string(i) + ".ini"),
                      user = WorkPath("behaviour-" + std::to_string(i) + ".ini");
    WriteBytes(common, "[General]\r\n" + behaviour() + (locked ? "Locked=1\r\n" : ""));
    WriteBytes(user, "[General]\r\n" + behaviour());
    std::string candidate;
    ReadProfileText(locked ? common : user, "General", "Behaviour", candidate);

    TSettings record;
    ResetDefaults(record);
    const std::string defaults = BehaviourText(record.Flags);
    std::vector<std::string> reports;
    LoadSettings(record, common, user, [&](const std::string &text) { reports.push_back(text); });
    std::string expected = candidate.empty() ? defaults : candidate.substr(0, 20);
    for (char &c : expected)
      c = c == '0' ? '0' : c >= '1' && c <= '9' ? '1' : '?';
    const bool converts = expected.size() == 20 && expected.find('?') == std::string::npos;
    ASSERT_EQ(BehaviourText(record.Flags), converts ? expected : defaults) << Shown(candidate);
    ASSERT_EQ(reports.size(), converts ? 0u : 1u) << Shown(candidate);
  });
}
