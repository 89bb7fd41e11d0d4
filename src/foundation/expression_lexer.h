// Splits an expression text into tokens.
//
//   integer   decimal digits (a value beyond 32 bits becomes a float)
//   float     digits with a "." fraction and/or an exponent "e"/"E" with an
//             optional "-"; at most 28 characters ("Bad numeric format")
//   hex       "$" and hexadecimal digits, at most 8 significant ones
//             ("Invalid char in hex number")
//   text      single quotes, two of them standing for one, at most 255
//             characters ("Unterminated string", "String too long")
//   word      a letter or "_", then letters, digits and "_"
//   symbol    + - * / ^ = <> < > <= >= ( ) ,
//   other     any other character, one at a time
// Characters 0 to 32 separate tokens.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarvelin {

enum class TokenKind { kInteger, kFloat, kText, kWord, kSymbol, kOther, kSlot, kEnd };

struct Token {
  TokenKind kind = TokenKind::kEnd;
  std::string_view source;  // the characters of the token in the text
  int32_t integer = 0;
  double number = 0;
  std::string text;  // the content of a text literal
  int slot = -1;     // kSlot: which placeholder
};

// A stretch of the text that stands for a value supplied at evaluation: a
// token that covers exactly such a stretch becomes a kSlot token.
struct SlotSpan {
  size_t start = 0;
  size_t length = 0;
};

inline constexpr size_t kMaxTextLiteral = 255;

// The tokens of `text`, ending with one kEnd token. Throws ExpressionError.
std::vector<Token> Tokenize(std::string_view text, const std::vector<SlotSpan>& slots = {});

}  // namespace tarvelin
