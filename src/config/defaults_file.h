// default.ini: the settings that new accounts and domains start with, one
// "key=value" per line. Shared by the account and the domain defaults; each
// applies the keys it knows, in file order, and ignores the others.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/env.h"

namespace tarvelin {

struct DefaultsLine {
  std::string key;    // as written, trimmed
  std::string value;  // trimmed; never empty unless the file held "\"\""

  // Keys compare without regard to case.
  bool Is(std::string_view name) const;
  // The value as a decimal integer (optional sign), or 0 when it is not one
  // or lies outside what a 32-bit field holds (-2^31 .. 2^32-1).
  int64_t Number() const;
};

// The lines of a defaults file in file order. Each line is trimmed; empty
// lines, lines without "=" and lines whose value is empty are skipped. The
// key is the text before the first "=", the value everything after it
// (further "=" included). A value of exactly two double quotes stands for
// an empty text, so it gives a line with an empty value.
std::vector<DefaultsLine> ParseDefaultsFile(std::string_view text);

// Reads and parses the file at `path`. False (and no lines) when the file
// is missing or cannot be read, so the caller applies nothing.
bool ReadDefaultsFile(Env& env, std::string_view path, std::vector<DefaultsLine>* lines);

}  // namespace tarvelin
