#include "PathText.h"

std::string ChangeFileExt(const std::string &path, const std::string &extension)
{
  const size_t sep = path.find_last_of("\\/:");
  const size_t dot = path.rfind('.');
  if (dot == std::string::npos || (sep != std::string::npos && dot < sep))
    return path + extension;
  return path.substr(0, dot) + extension;
}

std::string ExtractFileName(const std::string &path)
{
  const size_t sep = path.find_last_of("\\/:");
  return sep == std::string::npos ? path : path.substr(sep + 1);
}

std::string DirectoryPartOf(const std::string &path)
{
  const size_t sep = path.find_last_of("\\:");
  return sep == std::string::npos ? std::string() : path.substr(0, sep + 1);
}
