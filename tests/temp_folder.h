// A fresh folder per test, removed afterwards, and small helpers for the files in it.
#pragma once
#include <string>
#include <vector>

struct TempFolder {
  TempFolder();
  ~TempFolder();
  std::string path;
  std::string operator/(const std::string& name) const { return path + "/" + name; }
};

std::string ReadAll(const std::string& path);
void WriteAll(const std::string& path, const std::string& bytes);
bool Exists(const std::string& path);
// The names in a folder, sorted, without "." and "..".
std::vector<std::string> List(const std::string& folder);
