#pragma once
#include <windows.h>
#include <string>
#include "../platform/CriticalSection.h"
#include "../platform/NonCopyable.h"

class TAbstractLogger
{
public:
  virtual void Log(int level, const std::string &category, const std::string &message) = 0;
protected:
  ~TAbstractLogger() = default;
};

// Appends entries to a text file in the ANSI code page. The file is opened and
// closed for every entry, so it may be read, moved or deleted meanwhile; an
// entry that cannot be written whole is dropped without a word, and what is
// in the file already is never touched.
class TFileLogger : public TAbstractLogger, CNonCopyable
{
public:
  int Threshold = 8;
  explicit TFileLogger(const std::string &fileName) : _fileName(fileName) {}
  ~TFileLogger() = default;
  // One entry: time stamp, TAB, level, TAB, category, TAB, the message with its
  // continuation lines indented by seven TABs. Nothing when level > Threshold.
  void Log(int level, const std::string &category, const std::string &message) override;
  const std::string &FileName() const { return _fileName; }
private:
  CCriticalSection _lock;
  std::string _fileName;
};

// Puts `prefix` after every CR LF of `text` except one at its very end; a lone
// CR or LF is not a line break. With `prefixFirstLine` the result starts with it too.
std::string IndentContinuationLines(const std::string &text, const std::string &prefix,
                                    bool prefixFirstLine);
// The user's short date, one blank, the long time; the blank and the time are
// left out at exactly midnight. Empty parts when the locale calls fail.
std::string FormatLogTimeStamp(const SYSTEMTIME &time);
// The same for the current local time.
std::string LogTimeStamp();
