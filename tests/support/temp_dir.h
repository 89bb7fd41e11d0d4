// A scratch directory for one test, removed with everything in it at the end.
#pragma once

#include <string>
#include <string_view>

namespace tarvelin::testing {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // Ends with "/".
  const std::string& path() const { return path_; }
  // Writes a file below the directory, creating missing folders.
  void Write(std::string_view relative, std::string_view data) const;
  std::string Read(std::string_view relative) const;
  bool Exists(std::string_view relative) const;

 private:
  std::string path_;
};

}  // namespace tarvelin::testing
