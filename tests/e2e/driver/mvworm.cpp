// A stand-in for a worm that wants its Autorun.inf on a drive: it tries what
// such worms do to a folder standing in the way, through the plain calls they
// use, and prints one line per try: "<try>: done" or "<try>: refused".
// usage: mvworm.exe E:\   (exit code 0 whatever it achieved)
#include <windows.h>
#include <cstdio>
#include <string>

namespace
{
void Say(const char *what, bool done) { std::printf("%s: %s\n", what, done ? "done" : "refused"); }

bool WriteAutorun(const std::string &path)
{
  const HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                    nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return false;
  DWORD written = 0;
  const char text[] = "[autorun]\r\nopen=worm.exe\r\n";
  ::WriteFile(file, text, sizeof(text) - 1, &written, nullptr);
  ::CloseHandle(file);
  return true;
}

// Every entry inside the folder, deleted as a file or removed as a folder.
bool EmptyFolder(const std::string &folder)
{
  WIN32_FIND_DATAA data;
  const HANDLE find = ::FindFirstFileA((folder + "\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE)
    return true;
  bool all = true;
  do
  {
    const std::string name = data.cFileName;
    if (name == "." || name == "..")
      continue;
    const std::string path = folder + "\\" + name;
    ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    all = (::DeleteFileA(path.c_str()) || ::RemoveDirectoryA(path.c_str())) && all;
  } while (::FindNextFileA(find, &data));
  ::FindClose(find);
  return all;
}
}

int main(int argc, char **argv)
{
  if (argc != 2)
  {
    std::fprintf(stderr, "usage: mvworm ROOT\n");
    return 2;
  }
  const std::string root = argv[1];
  const std::string autorun = root + "autorun.inf";
  const std::string aside = root + "autorun.old";

  Say("write Autorun.inf", WriteAutorun(autorun));
  Say("delete the folder", ::RemoveDirectoryA(autorun.c_str()) || ::DeleteFileA(autorun.c_str()));
  Say("empty the folder", EmptyFolder(autorun) && ::RemoveDirectoryA(autorun.c_str()));
  // Put back under its own name, so that the tries after it meet the folder as it was.
  WIN32_FIND_DATAA found;
  const HANDLE find = ::FindFirstFileA(autorun.c_str(), &found);
  const std::string name = find != INVALID_HANDLE_VALUE ? root + found.cFileName : autorun;
  if (find != INVALID_HANDLE_VALUE)
    ::FindClose(find);
  const bool renamed = ::MoveFileA(autorun.c_str(), aside.c_str()) != FALSE;
  Say("rename the folder", renamed);
  if (renamed)
    ::MoveFileA(aside.c_str(), name.c_str());
  Say("clear its attributes", ::SetFileAttributesA(autorun.c_str(), FILE_ATTRIBUTE_NORMAL) != FALSE);
  Say("then delete it", ::RemoveDirectoryA(autorun.c_str()) != FALSE);
  Say("then write Autorun.inf", WriteAutorun(autorun));
  std::fflush(stdout);
  return 0;
}
