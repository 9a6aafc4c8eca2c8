#include <gtest/gtest.h>
#include "WorkFiles.h"
#include "settings/ExceptionEncoding.h"
#include "settings/Settings.h"
#include "exceptions/ExceptionRecords.h"

namespace
{
using Items = std::vector<std::string>;

std::string Normalised(const std::string &name, const std::string &bytes)
{
  const std::string path = WorkPath(name);
  WriteBytes(path, bytes);
  std::string text = "<unread>";
  ReadNormalisedText(path, text);
  return text;
}

// A file of `text` (ASCII) in UTF-16 with its byte-order mark.
std::string Utf16(const std::string &text, bool bigEndian)
{
  std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (char c : text)
    bytes += bigEndian ? std::string{'\0', c} : std::string{c, '\0'};
  return bytes;
}

// The body an entry made from a file of these bytes holds.
std::string BodyOf(const std::string &bytes)
{
  return EncodeBody(Normalised("entry.inf", bytes));
}
}

TEST(ExceptionEncoding, BodiesAndListsBecomeOneLine)
{
  EXPECT_EQ(EncodeBody("[autorun]\r\nopen=setup.exe\r\n"), "[autorun]<<R>><<N>>open=setup.exe<<R>><<N>>");
  EXPECT_EQ(DecodeBody("x<<r>><<N>>y"), "x\r\ny");
  EXPECT_EQ(DecodeBody("<<<R>>>a<<n>"), "<\r>a<<n>");
  EXPECT_EQ(EncodeListText({"Disc A", "Setup CD"}), "Disc A<<R2>><<N2>>Setup CD<<R2>><<N2>>");
  EXPECT_EQ(EncodeListText({EncodeBody("[autorun]\r\nopen=setup.exe\r\n")}),
            "[autorun]<<R>><<N>>open=setup.exe<<R>><<N>><<R2>><<N2>>");
  EXPECT_EQ(EncodeListText({}), "");
  EXPECT_EQ(DecodeListText(""), Items{});
  EXPECT_EQ(DecodeListText("A<<R2>><<N2>><<R2>><<N2>>B"), (Items{"A", "", "B"}));
  EXPECT_EQ(DecodeListText("a<<r2>>b<<n2>>c<<N2>><<R2>>d"), (Items{"a", "b", "c", "", "d"}));
  EXPECT_EQ(DecodeListText("A<<R2>><<N2>>"), Items{"A"});
  for (const Items &items : {Items{""}, Items{"a", ""}, Items{"", "x<<R>><<N>>", ""}})
    EXPECT_EQ(DecodeListText(EncodeListText(items)), items);
}

TEST(ExceptionEncoding, MarkersAreFoundInAnyLetterCase)
{
  for (const char *marked : {"<<R>>", "a<<n>>", "<<r2>>b", "<<N2>>", "<<<R>>"})
    EXPECT_TRUE(ContainsMarker(marked)) << marked;
  for (const char *plain : {"", "Disc A", "<<R>", "<R>>", "<<R3>>", "<< N >>", "<<2N>>"})
    EXPECT_FALSE(ContainsMarker(plain)) << plain;
}

TEST(ExceptionEncoding, FilesAreNormalisedToLinesEndingInCrLf)
{
  EXPECT_EQ(Normalised("lf.inf", "[autorun]\nopen=a.exe\n"), "[autorun]\r\nopen=a.exe\r\n");
  EXPECT_EQ(Normalised("crlf.inf", "[autorun]\r\nopen=a.exe\r\n"), "[autorun]\r\nopen=a.exe\r\n");
  EXPECT_EQ(Normalised("noend.inf", "[autorun]\ropen=a.exe"), "[autorun]\r\nopen=a.exe\r\n");
  EXPECT_EQ(Normalised("lfcr.inf", "a\n\rb\r\n\r\n"), "a\r\n\r\nb\r\n\r\n");
  EXPECT_EQ(Normalised("withnul.inf", std::string("a\r\nb\0c\r\n", 8)), "a\r\nb\r\n");
  EXPECT_EQ(Normalised("nulfirst.inf", std::string("\0a", 2)), "");
  EXPECT_EQ(Normalised("empty.inf", ""), "");
  EXPECT_EQ(Normalised("utf16le.inf", Utf16("[a]\nopen=b\r", false)), "[a]\r\nopen=b\r\n");
  EXPECT_EQ(Normalised("utf16be.inf", Utf16("[a]\r\nb", true) + std::string("\0\0\0c", 4)), "[a]\r\nb\r\n");

  std::string text = "kept";
  EXPECT_FALSE(ReadNormalisedText(WorkPath("none.inf"), text));
  EXPECT_EQ(text, "kept");
}

TEST(ExceptionEncoding, ReadingStopsOnceTheTextIsKnownTooLong)
{
  const std::string path = WorkPath("big.inf");
  WriteBytes(path, std::string(4 << 20, 'a') + "\r\n");
  std::string text;
  ASSERT_TRUE(ReadNormalisedText(path, text, 100));
  EXPECT_GT(text.size(), 100u);
  EXPECT_LT(text.size(), 256u * 1024);

  // Ten bytes of LF lines normalise to fifteen: all of them are read.
  WriteBytes(path, "a\nb\nc\nd\ne\n");
  ASSERT_TRUE(ReadNormalisedText(path, text, 10));
  EXPECT_EQ(text, "a\r\nb\r\nc\r\nd\r\ne\r\n");
}

TEST(ExceptionLookup, LineEndsAndLetterCaseDoNotMatterButEmptyLinesDo)
{
  ExceptionList user, common;
  user.Add("Disc A", BodyOf("[autorun]\r\nopen=setup.exe\r\n"));
  user.Add("Blank", BodyOf(""));
  const std::string path = WorkPath("Autorun.inf");
  std::string name;
  for (const char *same : {"[autorun]\nopen=setup.exe\n", "[autorun]\r\nopen=setup.exe", "[AutoRun]\rOPEN=Setup.exe\r"})
  {
    name.clear();
    WriteBytes(path, same);
    EXPECT_TRUE(FindException(path, &name, user, common)) << same;
    EXPECT_EQ(name, "Disc A") << same;
  }
  WriteBytes(path, std::string("[autorun]\nopen=setup.exe\n\0junk", 30));
  EXPECT_TRUE(FindException(path, nullptr, user, common));

  name = "untouched";
  for (const char *other : {"[autorun]\r\nopen=setup.exe\r\n\r\n", " [autorun]\r\nopen=setup.exe\r\n", "\r\n"})
  {
    WriteBytes(path, other);
    EXPECT_FALSE(FindException(path, &name, user, common)) << other;
  }
  EXPECT_EQ(name, "untouched");
  WriteBytes(path, "");
  EXPECT_TRUE(FindException(path, &name, user, common));
  EXPECT_EQ(name, "Blank");
}

TEST(ExceptionLookup, TheUserListAndTheEarlierEntryWin)
{
  ExceptionList user, common;
  const std::string body = BodyOf("[autorun]\r\nicon=a.ico\r\n");
  common.Add("Common first", BodyOf("[autorun]\r\nopen=b.exe\r\n"));
  common.Add("Common second", BodyOf("[autorun]\r\nopen=b.exe\r\n"));
  common.Add("Common", body);
  user.Add("Mine", body);
  const std::string path = WorkPath("Autorun.inf");
  std::string name;
  WriteBytes(path, "[autorun]\nicon=a.ico\n");
  EXPECT_TRUE(FindException(path, &name, user, common));
  EXPECT_EQ(name, "Mine");
  WriteBytes(path, "[autorun]\nopen=b.exe\n");
  EXPECT_TRUE(FindException(path, &name, user, common));
  EXPECT_EQ(name, "Common first");

  // A file that itself holds marker texts is longer than its body decoded.
  WriteBytes(path, "open=<<N>><<N>><<N>><<N>>\r\n");
  user.Add("Markers", BodyOf("open=<<N>><<N>><<N>><<N>>\r\n"));
  EXPECT_TRUE(FindException(path, &name, user, common));
  EXPECT_EQ(name, "Markers");
}

TEST(ExceptionLookup, OneAcceptedUtf16FileDoesNotAcceptTheOthers)
{
  ExceptionList user, common;
  user.Add("Unicode CD", BodyOf(Utf16("[autorun]\r\nopen=setup.exe\r\n", false)));
  user.Add("Plain A", BodyOf("[autorun]\r\nlabel=A\r\n"));
  const std::string path = WorkPath("Autorun.inf");
  std::string name;
  WriteBytes(path, Utf16("[autorun]\r\nopen=setup.exe\r\n", true));
  EXPECT_TRUE(FindException(path, &name, user, common));
  EXPECT_EQ(name, "Unicode CD");
  WriteBytes(path, Utf16("[autorun]\r\nopen=virus.exe\r\n", false));
  EXPECT_FALSE(FindException(path, &name, user, common));

  // U+0100 has no ANSI form; best fit would make it the A of an accepted file.
  WriteBytes(path, Utf16("[autorun]\r\nlabel=", false) + std::string("\x00\x01\r\0\n\0", 6));
  EXPECT_FALSE(FindException(path, &name, user, common));
  std::string text = "kept";
  EXPECT_FALSE(ReadNormalisedText(path, text));
  EXPECT_EQ(text, "kept");
}

TEST(ExceptionLookup, UnreadableAndHugeFilesAreNotListed)
{
  ExceptionList user, common;
  const std::string path = WorkPath("Held.inf");
  WriteBytes(path, "[autorun]\r\n");
  common.Add("Held", BodyOf("[autorun]\r\n"));
  std::string name = "untouched";
  EXPECT_FALSE(FindException(WorkPath("Missing.inf"), &name, user, common));

  CFile held;
  ASSERT_TRUE(held.Open(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING));
  EXPECT_FALSE(FindException(path, &name, user, common));
  held.Close();
  EXPECT_EQ(name, "untouched");

  ASSERT_TRUE(held.Open(path.c_str(), GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING));
  EXPECT_TRUE(FindException(path, &name, user, common));
  held.Close();
  EXPECT_EQ(name, "Held");

  WriteBytes(path, "[autorun]\r\n" + std::string(8 << 20, ';'));
  EXPECT_FALSE(FindException(path, nullptr, user, common));
}

TEST(ExceptionLookup, AcceptingDropsOnlyExactCopiesOfCommonEntries)
{
  TSettings record;
  record.UserExceptions.Add("Old", "old");
  record.CommonExceptions.Add("Shared", "body");
  record.CommonExceptions.Add("Other", "other");
  const ExceptionList combined = CombinedExceptions(record);
  EXPECT_EQ(combined.Names, (Items{"Old", "Shared", "Other"}));
  EXPECT_EQ(combined.Bodies, (Items{"old", "body", "other"}));

  ExceptionList edited;
  for (const char *name : {"Shared", "Shared", "shared", "Renamed", "Other", "Shared"})
    edited.Add(name, "body");
  edited.Add("Other", "OTHER");
  edited.Add("Other", "other");
  AcceptCombinedExceptions(record, edited);
  EXPECT_EQ(record.UserExceptions.Names, (Items{"shared", "Renamed", "Other", "Other"}));
  EXPECT_EQ(record.UserExceptions.Bodies, (Items{"body", "body", "body", "OTHER"}));
  EXPECT_EQ(record.CommonExceptions.Names, (Items{"Shared", "Other"}));

  AcceptCombinedExceptions(record, record.UserExceptions);
  EXPECT_EQ(record.UserExceptions.Count(), 4u);
}
