#include "foundation/expression_lexer.h"

#include <charconv>
#include <limits>

#include "foundation/expression_value.h"

namespace tarvelin {

namespace {

constexpr size_t kMaxNumberLength = 28;
constexpr size_t kMaxHexLength = 255;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }
bool IsWordChar(char c) { return IsLetter(c) || IsDigit(c); }

int HexValue(char c) {
  if (IsDigit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

class Lexer {
 public:
  explicit Lexer(std::string_view text) : text_(text) {}

  // The token at `pos_`, which is not a separator and not the end.
  Token Next() {
    const size_t start = pos_;
    const char c = text_[pos_];
    Token token;
    if (IsDigit(c)) {
      ReadNumber(&token);
    } else if (c == '$') {
      ReadHex(&token);
    } else if (c == '\'') {
      ReadText(&token);
    } else if (IsLetter(c)) {
      while (pos_ < text_.size() && IsWordChar(text_[pos_])) ++pos_;
      token.kind = TokenKind::kWord;
    } else {
      ReadSymbol(&token);
    }
    token.source = text_.substr(start, pos_ - start);
    return token;
  }

  bool AtEnd() {
    while (pos_ < text_.size() && static_cast<unsigned char>(text_[pos_]) <= ' ') ++pos_;
    return pos_ >= text_.size();
  }
  size_t pos() const { return pos_; }

 private:
  void SkipDigits() {
    while (pos_ < text_.size() && IsDigit(text_[pos_])) ++pos_;
  }

  void ReadNumber(Token* token) {
    const size_t start = pos_;
    bool is_float = false;
    SkipDigits();
    if (pos_ + 1 < text_.size() && text_[pos_] == '.' && IsDigit(text_[pos_ + 1])) {
      is_float = true;
      ++pos_;
      SkipDigits();
    }
    if (pos_ < text_.size() && (text_[pos_] == 'e' || text_[pos_] == 'E')) {
      is_float = true;
      ++pos_;
      if (pos_ < text_.size() && text_[pos_] == '-') ++pos_;
      if (pos_ >= text_.size() || !IsDigit(text_[pos_]))
        throw ExpressionError("Bad numeric format");
      SkipDigits();
    }
    const std::string_view digits = text_.substr(start, pos_ - start);
    if (digits.size() > kMaxNumberLength) throw ExpressionError("Bad numeric format");
    if (!is_float) {
      int64_t value = 0;
      const auto [end, error] =
          std::from_chars(digits.data(), digits.data() + digits.size(), value);
      if (error == std::errc() && value <= std::numeric_limits<int32_t>::max()) {
        token->kind = TokenKind::kInteger;
        token->integer = static_cast<int32_t>(value);
        return;
      }
    }
    const auto [end, error] =
        std::from_chars(digits.data(), digits.data() + digits.size(), token->number);
    if (error != std::errc() && error != std::errc::result_out_of_range) {
      throw ExpressionError("Bad numeric format");
    }
    token->kind = TokenKind::kFloat;
  }

  void ReadHex(Token* token) {
    ++pos_;
    const size_t start = pos_;
    while (pos_ < text_.size() && IsWordChar(text_[pos_])) ++pos_;
    const std::string_view digits = text_.substr(start, pos_ - start);
    if (digits.empty() || digits.size() > kMaxHexLength) {
      throw ExpressionError("Invalid char in hex number");
    }
    uint64_t value = 0;
    for (char c : digits) {
      const int digit = HexValue(c);
      if (digit < 0) throw ExpressionError("Invalid char in hex number");
      value = value * 16 + static_cast<uint64_t>(digit);
      if (value > 0xFFFFFFFFu) throw ExpressionError("Invalid char in hex number");
    }
    token->kind = TokenKind::kInteger;
    token->integer = static_cast<int32_t>(static_cast<uint32_t>(value));
  }

  void ReadText(Token* token) {
    ++pos_;
    for (;;) {
      if (pos_ >= text_.size()) throw ExpressionError("Unterminated string");
      const char c = text_[pos_++];
      if (c == '\'') {
        if (pos_ < text_.size() && text_[pos_] == '\'') {
          ++pos_;
        } else {
          break;
        }
      }
      token->text += c;
    }
    if (token->text.size() > kMaxTextLiteral) throw ExpressionError("String too long");
    token->kind = TokenKind::kText;
  }

  void ReadSymbol(Token* token) {
    static constexpr std::string_view kPairs[] = {"<>", "<=", ">="};
    for (std::string_view pair : kPairs) {
      if (text_.substr(pos_, 2) == pair) {
        pos_ += 2;
        token->kind = TokenKind::kSymbol;
        return;
      }
    }
    const char c = text_[pos_++];
    token->kind = std::string_view("+-*/^=<>(),").find(c) != std::string_view::npos
                      ? TokenKind::kSymbol
                      : TokenKind::kOther;
  }

  std::string_view text_;
  size_t pos_ = 0;
};

}  // namespace

std::vector<Token> Tokenize(std::string_view text, const std::vector<SlotSpan>& slots) {
  std::vector<Token> tokens;
  Lexer lexer(text);
  size_t next_slot = 0;
  while (!lexer.AtEnd()) {
    const size_t start = lexer.pos();
    Token token = lexer.Next();
    while (next_slot < slots.size() && slots[next_slot].start < start) ++next_slot;
    if (next_slot < slots.size() && slots[next_slot].start == start &&
        slots[next_slot].length == token.source.size()) {
      token.kind = TokenKind::kSlot;
      token.slot = static_cast<int>(next_slot++);
    }
    tokens.push_back(std::move(token));
  }
  Token end;
  end.source = text.substr(text.size());
  tokens.push_back(end);
  return tokens;
}

}  // namespace tarvelin
