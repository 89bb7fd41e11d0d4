#include "foundation/expression_parser.h"

#include <algorithm>
#include <optional>

#include "foundation/expression_functions.h"
#include "foundation/text.h"

namespace tarvelin {

namespace {

struct OperatorSpelling {
  std::string_view text;
  Operator op;
};

constexpr OperatorSpelling kComparisons[] = {
    {"=", Operator::kEqual},   {"<>", Operator::kNotEqual},  {"<", Operator::kLess},
    {">", Operator::kGreater}, {"<=", Operator::kLessEqual}, {">=", Operator::kGreaterEqual},
};
constexpr OperatorSpelling kAdditions[] = {
    {"+", Operator::kAdd},
    {"-", Operator::kSubtract},
    {"OR", Operator::kOr},
    {"XOR", Operator::kXor},
};
constexpr OperatorSpelling kMultiplications[] = {
    {"*", Operator::kMultiply},     {"/", Operator::kDivide}, {"DIV", Operator::kIntDivide},
    {"MOD", Operator::kModulo},     {"AND", Operator::kAnd},  {"SHL", Operator::kShiftLeft},
    {"SHR", Operator::kShiftRight},
};
constexpr OperatorSpelling kPowers[] = {{"^", Operator::kPower}};

bool IsWordOperator(std::string_view word) {
  static constexpr std::string_view kWords[] = {"NOT", "AND", "OR",  "XOR",
                                                "DIV", "MOD", "SHL", "SHR"};
  return std::any_of(std::begin(kWords), std::end(kWords),
                     [&](std::string_view w) { return EqualsNoCase(w, word); });
}

class Parser {
 public:
  explicit Parser(std::vector<Token> tokens) : tokens_(std::move(tokens)) {}

  ExpressionTree Parse() {
    ExpressionTree tree = Comparison();
    if (Peek().kind != TokenKind::kEnd) {
      throw ExpressionError(std::string(Peek().source) + " not appropriate");
    }
    return tree;
  }

 private:
  // Counts the nesting of the recursive descent.
  class Nesting {
   public:
    explicit Nesting(int* depth) : depth_(depth) {
      if (++*depth_ > kMaxExpressionDepth) throw ExpressionError("Expression too complex");
    }
    ~Nesting() { --*depth_; }

   private:
    int* depth_;
  };

  const Token& Peek() const { return tokens_[pos_]; }
  const Token& Take() { return tokens_[pos_ < tokens_.size() - 1 ? pos_++ : pos_]; }

  bool IsSymbol(std::string_view symbol) const {
    return Peek().kind == TokenKind::kSymbol && Peek().source == symbol;
  }

  // The operator of the current token when it is one of `spellings`.
  template <size_t N>
  std::optional<Operator> Match(const OperatorSpelling (&spellings)[N]) const {
    const Token& token = Peek();
    if (token.kind != TokenKind::kSymbol && token.kind != TokenKind::kWord) return std::nullopt;
    for (const OperatorSpelling& s : spellings) {
      if (token.kind == TokenKind::kSymbol ? token.source == s.text
                                           : EqualsNoCase(token.source, s.text)) {
        return s.op;
      }
    }
    return std::nullopt;
  }

  static ExpressionTree Node(ExpressionNode::Kind kind, Operator op,
                             std::vector<ExpressionTree> operands) {
    auto node = std::make_unique<ExpressionNode>();
    node->kind = kind;
    node->op = op;
    for (const ExpressionTree& operand : operands) {
      node->height = std::max(node->height, operand->height + 1);
    }
    if (node->height > kMaxExpressionDepth) throw ExpressionError("Expression too complex");
    node->operands = std::move(operands);
    return node;
  }

  template <size_t N>
  ExpressionTree LeftChain(const OperatorSpelling (&spellings)[N],
                           ExpressionTree (Parser::*next)()) {
    ExpressionTree left = (this->*next)();
    while (const std::optional<Operator> op = Match(spellings)) {
      Take();
      ExpressionTree right = (this->*next)();
      std::vector<ExpressionTree> operands;
      operands.push_back(std::move(left));
      operands.push_back(std::move(right));
      left = Node(ExpressionNode::Kind::kBinary, *op, std::move(operands));
    }
    return left;
  }

  ExpressionTree Comparison() {
    Nesting nesting(&depth_);
    return LeftChain(kComparisons, &Parser::Addition);
  }
  ExpressionTree Addition() { return LeftChain(kAdditions, &Parser::Multiplication); }
  ExpressionTree Multiplication() { return LeftChain(kMultiplications, &Parser::Power); }
  ExpressionTree Power() { return LeftChain(kPowers, &Parser::Factor); }

  ExpressionTree Factor() {
    Nesting nesting(&depth_);
    std::optional<Operator> prefix;
    if (Peek().kind == TokenKind::kWord && EqualsNoCase(Peek().source, "NOT")) {
      prefix = Operator::kNot;
    } else if (IsSymbol("-")) {
      prefix = Operator::kNegate;
    } else if (IsSymbol("+")) {
      prefix = Operator::kIdentity;
    }
    if (!prefix) return Primary();
    Take();
    std::vector<ExpressionTree> operands;
    operands.push_back(Factor());
    return Node(ExpressionNode::Kind::kUnary, *prefix, std::move(operands));
  }

  static ExpressionTree Literal(ExpressionValue value) {
    auto node = std::make_unique<ExpressionNode>();
    node->literal = std::move(value);
    return node;
  }

  void ExpectClosing() {
    if (!IsSymbol(")")) throw ExpressionError(" ) expected");
    Take();
  }

  ExpressionTree Primary() {
    const Token& token = Take();
    switch (token.kind) {
      case TokenKind::kInteger:
        return Literal(token.integer);
      case TokenKind::kFloat:
        return Literal(token.number);
      case TokenKind::kText:
        return Literal(token.text);
      case TokenKind::kSlot: {
        auto node = std::make_unique<ExpressionNode>();
        node->kind = ExpressionNode::Kind::kSlot;
        node->slot = token.slot;
        return node;
      }
      case TokenKind::kWord:
        return Word(token);
      case TokenKind::kEnd:
        throw ExpressionError("Unexpected end of expression");
      case TokenKind::kSymbol:
        if (token.source == "(") {
          ExpressionTree inner = Comparison();
          ExpectClosing();
          return inner;
        }
        break;
      case TokenKind::kOther:
        break;
    }
    throw ExpressionError(std::string(token.source) + " not allowed here");
  }

  ExpressionTree Word(const Token& token) {
    if (EqualsNoCase(token.source, "TRUE")) return Literal(true);
    if (EqualsNoCase(token.source, "FALSE")) return Literal(false);
    if (IsWordOperator(token.source)) {
      throw ExpressionError(std::string(token.source) + " not allowed here");
    }
    std::string name = ToUpper(token.source);
    if (!IsExpressionFunction(name)) {
      throw ExpressionError("Unknown Identifier " + std::string(token.source));
    }
    std::vector<ExpressionTree> arguments;
    if (IsSymbol("(")) {
      Take();
      if (!IsSymbol(")")) {
        arguments.push_back(Comparison());
        while (IsSymbol(",")) {
          Take();
          arguments.push_back(Comparison());
        }
      }
      ExpectClosing();
    }
    ExpressionTree node = Node(ExpressionNode::Kind::kCall, Operator::kAdd, std::move(arguments));
    node->function = std::move(name);
    return node;
  }

  static std::string ToUpper(std::string_view text) {
    std::string upper(text);
    for (char& c : upper) {
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return upper;
  }

  std::vector<Token> tokens_;
  size_t pos_ = 0;
  int depth_ = 0;
};

}  // namespace

ExpressionTree ParseExpression(std::string_view text, const std::vector<SlotSpan>& slots) {
  return ParseTokens(Tokenize(text, slots));
}

ExpressionTree ParseTokens(std::vector<Token> tokens) { return Parser(std::move(tokens)).Parse(); }

}  // namespace tarvelin
