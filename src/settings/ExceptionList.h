#pragma once
#include <string>
#include <vector>

// Accepted Autorun.inf files, held as two parallel sequences: entry i is
// Names[i] with Bodies[i]. Bodies are normalised file texts in body encoding.
struct ExceptionList
{
  std::vector<std::string> Names;
  std::vector<std::string> Bodies;

  size_t Count() const { return Names.size() < Bodies.size() ? Names.size() : Bodies.size(); }
  void Add(const std::string &name, const std::string &body)
  {
    Names.push_back(name);
    Bodies.push_back(body);
  }
  void Clear()
  {
    Names.clear();
    Bodies.clear();
  }
};
