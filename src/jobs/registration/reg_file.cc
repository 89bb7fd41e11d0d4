#include "jobs/registration/reg_file.h"

#include <cctype>

#include "foundation/text.h"

namespace tarvelin::registration {

namespace {

constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";
constexpr std::string_view kOldHeader = "REGEDIT4";
constexpr std::string_view kBom = "\xEF\xBB\xBF";

struct RawLine {
  std::string_view body;  // without the line end
  std::string_view raw;   // with it
};

std::vector<RawLine> SplitLines(std::string_view text) {
  std::vector<RawLine> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    const size_t next = end == std::string_view::npos ? text.size() : end + 1;
    std::string_view raw = text.substr(start, next - start);
    std::string_view body = raw;
    if (!body.empty() && body.back() == '\n') body.remove_suffix(1);
    if (!body.empty() && body.back() == '\r') body.remove_suffix(1);
    lines.push_back({body, raw});
    start = next;
  }
  return lines;
}

std::string_view TrimRight(std::string_view text) {
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

std::string_view TrimLeft(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  return text;
}

bool IsHex(char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; }

// A quoted text at the start of `text`, unescaped; advances past it. None
// when the closing quote is missing.
std::optional<std::string> TakeQuoted(std::string_view& text) {
  std::string out;
  for (size_t i = 1; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '"') {
      text.remove_prefix(i + 1);
      return out;
    }
    if (c == '\\' && i + 1 < text.size() && (text[i + 1] == '\\' || text[i + 1] == '"')) {
      out += text[++i];
    } else {
      out += c;
    }
  }
  return std::nullopt;
}

// "12,ab,\" and the like: hex bytes separated by commas; sets `continues`
// when the line ends with a backslash.
bool HexBytes(std::string_view text, bool* continues) {
  text = TrimRight(TrimLeft(text));
  *continues = !text.empty() && text.back() == '\\';
  if (*continues) text.remove_suffix(1);
  while (!text.empty()) {
    if (text.size() < 2 || !IsHex(text[0]) || !IsHex(text[1])) return false;
    text.remove_prefix(2);
    if (text.empty()) break;
    if (text.front() != ',') return false;
    text.remove_prefix(1);
  }
  return true;
}

std::string Escaped(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out;
}

Status Damaged(size_t line, const std::string& why) {
  return Status::Corruption("line " + std::to_string(line) + ": " + why);
}

}  // namespace

RegFile::RegFile() {
  preamble_.push_back({std::string(kHeader) + eol_});
  preamble_.push_back({eol_});
}

Result<RegFile> RegFile::Parse(std::string_view text) {
  RegFile file;
  if (text.empty()) return file;
  file.preamble_.clear();
  const std::vector<RawLine> lines = SplitLines(text);
  {
    std::string_view first = lines[0].body;
    if (first.substr(0, kBom.size()) == kBom) first.remove_prefix(kBom.size());
    first = TrimRight(first);
    if (first != kHeader && first != kOldHeader) {
      return Damaged(
          1, "not a registry file (the first line is not \"" + std::string(kHeader) + "\")");
    }
    const std::string_view raw = lines[0].raw;
    if (raw.size() >= 2 && raw.substr(raw.size() - 2) == "\r\n") file.eol_ = "\r\n";
    file.preamble_.push_back({std::string(raw)});
  }
  for (size_t i = 1; i < lines.size(); ++i) {
    const size_t number = i + 1;
    const std::string_view body = TrimLeft(lines[i].body);
    std::vector<Entry>& into = file.Tail();
    if (body.empty() || body.front() == ';') {
      into.push_back({std::string(lines[i].raw)});
      continue;
    }
    if (body.front() == '[') {
      const std::string_view closed = TrimRight(body);
      if (closed.size() < 2 || closed.back() != ']') {
        return Damaged(number, "the key is not closed with \"]\"");
      }
      file.sections_.push_back(
          {std::string(closed.substr(1, closed.size() - 2)), std::string(lines[i].raw), {}});
      continue;
    }
    if (file.sections_.empty()) return Damaged(number, "a value before the first key");
    Entry entry{std::string(lines[i].raw), true};
    std::string_view rest = body;
    if (rest.front() == '@') {
      rest.remove_prefix(1);
    } else if (rest.front() == '"') {
      std::optional<std::string> name = TakeQuoted(rest);
      if (!name) return Damaged(number, "the value name is not closed with a quote");
      entry.name = std::move(*name);
    } else {
      return Damaged(number, "neither a key, a value nor a comment");
    }
    rest = TrimLeft(rest);
    if (rest.empty() || rest.front() != '=')
      return Damaged(number, "no \"=\" after the value name");
    rest = TrimLeft(rest.substr(1));
    if (!rest.empty() && rest.front() == '"') {
      std::optional<std::string> data = TakeQuoted(rest);
      if (!data) return Damaged(number, "the value is not closed with a quote");
      if (!TrimRight(rest).empty()) return Damaged(number, "text after the value");
      entry.text = std::move(*data);
    } else if (TrimRight(rest) == "-") {
      // A deletion entry: kept as it is.
    } else if (rest.substr(0, 6) == "dword:") {
      const std::string_view digits = TrimRight(rest.substr(6));
      bool hex = digits.size() == 8;
      for (char c : digits) hex = hex && IsHex(c);
      if (!hex) return Damaged(number, "a dword value is not 8 hexadecimal digits");
    } else if (rest.substr(0, 3) == "hex") {
      const size_t colon = rest.find(':');
      if (colon == std::string_view::npos) return Damaged(number, "a hex value without \":\"");
      bool continues = false;
      if (!HexBytes(rest.substr(colon + 1), &continues)) {
        return Damaged(number, "a hex value that is not bytes separated by commas");
      }
      while (continues) {
        if (++i >= lines.size()) return Damaged(number, "the hex value is not ended");
        if (!HexBytes(lines[i].body, &continues)) {
          return Damaged(i + 1, "a hex value that is not bytes separated by commas");
        }
        entry.raw += lines[i].raw;
      }
    } else {
      return Damaged(number, "a value of no known type");
    }
    into.push_back(std::move(entry));
  }
  return file;
}

RegFile::Section* RegFile::Find(std::string_view key) {
  for (Section& section : sections_) {
    if (EqualsNoCase(section.key, key)) return &section;
  }
  return nullptr;
}

const RegFile::Section* RegFile::Find(std::string_view key) const {
  return const_cast<RegFile*>(this)->Find(key);
}

std::vector<RegFile::Entry>& RegFile::Tail() {
  return sections_.empty() ? preamble_ : sections_.back().entries;
}

bool RegFile::HasKey(std::string_view key) const { return Find(key) != nullptr; }

std::optional<std::string> RegFile::Value(std::string_view key, std::string_view name) const {
  const Section* section = Find(key);
  if (!section) return std::nullopt;
  std::optional<std::string> found;
  // A later line of the same name wins, as it would on import.
  for (const Entry& entry : section->entries) {
    if (entry.is_value && EqualsNoCase(entry.name, name)) found = entry.text;
  }
  return found;
}

std::string RegFile::ValueLine(std::string_view name, std::string_view text) const {
  const std::string shown = name.empty() ? "@" : "\"" + Escaped(name) + "\"";
  return shown + "=\"" + Escaped(text) + "\"" + eol_;
}

void RegFile::SetValue(std::string_view key, std::string_view name, std::string_view text) {
  Section* section = Find(key);
  if (!section) {
    std::vector<Entry>& tail = Tail();
    std::string& last = tail.empty() ? sections_.back().raw_header : tail.back().raw;
    if (last.empty() || last.back() != '\n') last += eol_;
    const bool blank_before =
        !tail.empty() && !tail.back().is_value &&
        TrimRight(TrimLeft(last.substr(0, last.find_first_of("\r\n")))).empty();
    if (!blank_before) tail.push_back({eol_});
    sections_.push_back({std::string(key), "[" + std::string(key) + "]" + eol_, {{eol_}}});
    section = &sections_.back();
  }
  Entry line{ValueLine(name, text), true, std::string(name), std::string(text)};
  size_t after_last_value = 0;
  for (size_t i = 0; i < section->entries.size(); ++i) {
    Entry& entry = section->entries[i];
    if (!entry.is_value) continue;
    if (EqualsNoCase(entry.name, name)) {
      // Keep the line's own end: the last line of a file may have none.
      const bool had_end = !entry.raw.empty() && entry.raw.back() == '\n';
      entry = line;
      if (!had_end) entry.raw.resize(entry.raw.size() - eol_.size());
      return;
    }
    after_last_value = i + 1;
  }
  if (after_last_value == 0 && section->raw_header.back() != '\n') section->raw_header += eol_;
  if (after_last_value > 0) {
    std::string& before = section->entries[after_last_value - 1].raw;
    if (before.back() != '\n') before += eol_;
  }
  section->entries.insert(section->entries.begin() + static_cast<long>(after_last_value), line);
}

bool RegFile::DeleteKey(std::string_view key) {
  for (size_t i = 0; i < sections_.size(); ++i) {
    if (!EqualsNoCase(sections_[i].key, key)) continue;
    std::vector<Entry> comments;
    for (Entry& entry : sections_[i].entries) {
      if (!entry.is_value && !TrimLeft(entry.raw).empty() && TrimLeft(entry.raw).front() == ';') {
        comments.push_back(std::move(entry));
      }
    }
    sections_.erase(sections_.begin() + static_cast<long>(i));
    std::vector<Entry>& before = i == 0 ? preamble_ : sections_[i - 1].entries;
    for (Entry& comment : comments) before.push_back(std::move(comment));
    return true;
  }
  return false;
}

std::string RegFile::Serialize() const {
  std::string out;
  for (const Entry& entry : preamble_) out += entry.raw;
  for (const Section& section : sections_) {
    out += section.raw_header;
    for (const Entry& entry : section.entries) out += entry.raw;
  }
  return out;
}

}  // namespace tarvelin::registration
