#include "foundation/expression_lexer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/expression_value.h"

namespace tarvelin {
namespace {

// "kind:source" per token, the end left out; or "error:message".
std::string Kinds(std::string_view text, const std::vector<SlotSpan>& slots = {}) {
  static const char* const kNames[] = {"int",    "float", "text", "word",
                                       "symbol", "other", "slot", "end"};
  try {
    std::string out;
    for (const Token& token : Tokenize(text, slots)) {
      if (token.kind == TokenKind::kEnd) break;
      if (!out.empty()) out += " ";
      out += std::string(kNames[static_cast<int>(token.kind)]) + ":" + std::string(token.source);
    }
    return out;
  } catch (const ExpressionError& error) {
    return std::string("error:") + error.what();
  }
}

TEST(ExpressionLexer, Tokens) {
  const struct {
    std::string text;
    std::string tokens;
  } cases[] = {
      {"", ""},
      {" \t\r\n", ""},
      {"12+3.5e-2", "int:12 symbol:+ float:3.5e-2"},
      {"1E5 2.0", "float:1E5 float:2.0"},
      {"1.x", "int:1 other:. word:x"},
      {"$fF $0", "int:$fF int:$0"},
      {"'it''s' ''", "text:'it''s' text:''"},
      {"a_1 _b NOT", "word:a_1 word:_b word:NOT"},
      {"<><=>=<>=(),^*/",
       "symbol:<> symbol:<= symbol:>= symbol:<> symbol:= symbol:( symbol:) "
       "symbol:, symbol:^ symbol:* symbol:/"},
      {"a#b;\x01@", "word:a other:# word:b other:; other:@"},
      {"\xe9", "other:\xe9"},
      {"1e", "error:Bad numeric format"},
      {"1e-", "error:Bad numeric format"},
      {std::string(28, '1') + ".0", "error:Bad numeric format"},
      {"$", "error:Invalid char in hex number"},
      {"$fg", "error:Invalid char in hex number"},
      {"$100000000", "error:Invalid char in hex number"},
      {"$" + std::string(300, '0'), "error:Invalid char in hex number"},
      {"'abc", "error:Unterminated string"},
      {"'it''", "error:Unterminated string"},
      {"'" + std::string(256, 'x') + "'", "error:String too long"},
  };
  for (const auto& c : cases) EXPECT_EQ(Kinds(c.text), c.tokens) << c.text;
}

TEST(ExpressionLexer, Values) {
  const std::vector<Token> tokens =
      Tokenize("2147483647 2147483648 $FFFFFFFF 'a''b' 0.25 " + std::string(27, '9'));
  EXPECT_EQ(tokens[0].integer, 2147483647);
  EXPECT_EQ(tokens[1].kind, TokenKind::kFloat) << "beyond 32 bits an integer is a float";
  EXPECT_EQ(tokens[1].number, 2147483648.0);
  EXPECT_EQ(tokens[2].integer, -1);
  EXPECT_EQ(tokens[3].text, "a'b");
  EXPECT_EQ(tokens[4].number, 0.25);
  EXPECT_EQ(tokens[5].kind, TokenKind::kFloat);
  EXPECT_EQ(tokens[6].kind, TokenKind::kEnd);
  EXPECT_EQ(Tokenize("'" + std::string(255, 'x') + "'")[0].text.size(), 255u);
}

TEST(ExpressionLexer, SlotsAreTokensThatCoverTheirSpanExactly) {
  EXPECT_EQ(Kinds("'' = 0", {{0, 2}}), "slot:'' symbol:= int:0");
  EXPECT_EQ(Kinds("true and ''", {{0, 4}, {9, 2}}), "slot:true word:and slot:''");
  EXPECT_EQ(Kinds("x''''", {{1, 2}}), "word:x text:''''") << "glued to a quote: no slot";
  EXPECT_EQ(Kinds("xtrue", {{1, 4}}), "word:xtrue");
}

}  // namespace
}  // namespace tarvelin
