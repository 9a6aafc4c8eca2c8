#pragma once
#include <windows.h>
#include <string>
#include "../platform/NonCopyable.h"

class TCriticalSection : CNonCopyable
{
  CRITICAL_SECTION _section;
public:
  TCriticalSection() { ::InitializeCriticalSection(&_section); }
  ~TCriticalSection() { ::DeleteCriticalSection(&_section); }
  void Enter() { ::EnterCriticalSection(&_section); }
  void Leave() { ::LeaveCriticalSection(&_section); }
};

class TAutoLock : CNonCopyable
{
  TCriticalSection &_lock;
public:
  explicit TAutoLock(TCriticalSection &lock) : _lock(lock) { _lock.Enter(); }
  ~TAutoLock() { _lock.Leave(); }
};

class TAbstractLogger
{
public:
  virtual void Log(int level, const std::string &category, const std::string &message) = 0;
protected:
  ~TAbstractLogger() = default;
};

// Appends entries to a text file in the ANSI code page. The file is opened and
// closed for every entry; failures are silent.
class TFileLogger : public TAbstractLogger, CNonCopyable
{
public:
  int Threshold = 8;
  explicit TFileLogger(const std::string &fileName) : _fileName(fileName) {}
  ~TFileLogger() = default;
  void Log(int level, const std::string &category, const std::string &message) override;
  const std::string &FileName() const { return _fileName; }
private:
  TCriticalSection _lock;
  std::string _fileName;
};

// Puts `prefix` after every CR LF of `text` except one at its very end.
std::string IndentContinuationLines(const std::string &text, const std::string &prefix,
                                    bool prefixFirstLine);
// The local date and time as the user's locale writes them.
std::string LogTimeStamp();
