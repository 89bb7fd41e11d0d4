// Parses an expression into its tree. Binding, strongest first, binary
// operators left-associative:
//   1. prefix NOT, "+", "-" (applied to a factor)
//   2. "^"
//   3. "*", "/", DIV, MOD, AND, SHL, SHR
//   4. "+", "-", OR, XOR
//   5. "=", "<>", "<", ">", "<=", ">="
// Factors are literals, TRUE and FALSE, function calls NAME(a, b, ...) (a
// function without arguments may leave out the parentheses) and
// parenthesised expressions; words compare without regard to case. Errors
// (ExpressionError): "Unknown Identifier %s", "%s not allowed here",
// " ) expected", "%s not appropriate", "Unexpected end of expression", the
// lexer's, and "Expression too complex" for nesting deeper than
// kMaxExpressionDepth, so no input can exhaust the stack of the parser or of
// the evaluation.
#pragma once

#include <string_view>
#include <vector>

#include "foundation/expression_lexer.h"
#include "foundation/expression_tree.h"

namespace tarvelin {

inline constexpr int kMaxExpressionDepth = 200;

// Tokens covering exactly a slot span become kSlot nodes.
ExpressionTree ParseExpression(std::string_view text, const std::vector<SlotSpan>& slots = {});
// The tree of tokens as Tokenize gives them.
ExpressionTree ParseTokens(std::vector<Token> tokens);

}  // namespace tarvelin
