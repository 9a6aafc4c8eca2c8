// The campaign's helper inside the prefix: what the program makes of a file,
// and a file held open as another program would hold it.
//   campaign_probe body FILE         the body an entry made from FILE holds
//   campaign_probe entries INI       the user entries LoadSettings takes from INI, "name TAB body" a line
//   campaign_probe hold FILE MS      keeps FILE open for reading, deletion refused, for MS milliseconds
#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include "exceptions/ExceptionRecords.h"
#include "settings/ExceptionEncoding.h"
#include "settings/Settings.h"

static void Print(const std::string &text) { std::fwrite(text.data(), 1, text.size(), stdout); }

int main(int argc, char **argv)
{
  _setmode(_fileno(stdout), _O_BINARY);
  const std::string cmd = argc > 2 ? argv[1] : "";
  if (cmd == "body" && argc == 3)
  {
    std::string text;
    if (!ReadNormalisedText(argv[2], text))
      return 1;
    Print(EncodeBody(text) + "\n");
    return 0;
  }
  if (cmd == "entries" && argc == 3)
  {
    TSettings record;
    ResetDefaults(record);
    LoadSettings(record, std::string(argv[2]) + ".absent", argv[2], nullptr);
    for (size_t i = 0; i < record.UserExceptions.Count(); ++i)
      Print(record.UserExceptions.Names[i] + "\t" + record.UserExceptions.Bodies[i] + "\n");
    return 0;
  }
  if (cmd == "hold" && argc == 4)
  {
    HANDLE file = ::CreateFileA(argv[2], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
      return 1;
    Print("held\n");
    std::fflush(stdout);
    ::Sleep(static_cast<DWORD>(std::strtoul(argv[3], nullptr, 10)));
    ::CloseHandle(file);
    return 0;
  }
  std::fputs("usage: campaign_probe body FILE | entries INI | hold FILE MS\n", stderr);
  return 2;
}
