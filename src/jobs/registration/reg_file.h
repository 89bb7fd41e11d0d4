// RegFile: the object registry as a ".reg" text file: the header line
// "Windows Registry Editor Version 5.00", then "[KEY]" sections holding
// '@="..."' (the default value) and '"Name"="..."' lines, with "\\" and
// "\"" escaped inside texts. Other programs keep their keys in the same
// file, so every line this model does not change is written back byte for
// byte (line ends, comments, dword and hex values, deletion entries).
// Keys and value names compare without regard to case, as registry keys do.
// A damaged file (an unparsable line, a section or value left open) is
// refused whole: nothing is guessed.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/status.h"

namespace tarvelin::registration {

class RegFile {
 public:
  // An empty registry: the header line and a blank line, LF line ends.
  RegFile();

  // Corruption "line N: why" for a damaged text. An empty text is an empty
  // registry.
  static Result<RegFile> Parse(std::string_view text);

  // `key` is the whole path, "HKEY_CLASSES_ROOT\CLSID\{...}".
  bool HasKey(std::string_view key) const;
  // A text value; none when the key or the value is missing or holds no
  // text. The name "" is the default value ("@").
  std::optional<std::string> Value(std::string_view key, std::string_view name) const;
  // Creates the key when missing (at the end of the file); a value of that
  // name is replaced where it stands, a new one goes after the key's last.
  void SetValue(std::string_view key, std::string_view name, std::string_view text);
  // Removes the key's section: its line, its values and the blank lines
  // after it; comments inside it stay. Its subkeys are keys of their own.
  // False when there was no such key.
  bool DeleteKey(std::string_view key);

  std::string Serialize() const;

 private:
  // One line, or a hex value with its continuation lines, with line ends.
  struct Entry {
    std::string raw;
    bool is_value = false;
    std::string name;                 // of a value; "" for "@"
    std::optional<std::string> text;  // a text value's unescaped data
  };
  struct Section {
    std::string key;
    std::string raw_header;
    std::vector<Entry> entries;
  };

  Section* Find(std::string_view key);
  const Section* Find(std::string_view key) const;
  // Where new lines go: the last section's entries, or the lines before
  // the first section.
  std::vector<Entry>& Tail();
  std::string ValueLine(std::string_view name, std::string_view text) const;

  std::vector<Entry> preamble_;  // the header line and what follows it
  std::vector<Section> sections_;
  std::string eol_ = "\n";
};

}  // namespace tarvelin::registration
