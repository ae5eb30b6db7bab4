#include "platform/db/DBFilter.h"

#include <cctype>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace db {

namespace {

size_t Utf8Length(unsigned char c) {
  if (c < 0x80) return 1;
  if ((c & 0xE0) == 0xC0) return 2;
  if ((c & 0xF0) == 0xE0) return 3;
  if ((c & 0xF8) == 0xF0) return 4;
  return 1;
}

enum class TTok { End, Ident, String, Number, Op, LParen, RParen, Comma };

struct TToken {
  TTok Kind = TTok::End;
  std::string Text;  // identifier / literal / operator
  size_t Pos = 0;
};

class TLexer {
 public:
  explicit TLexer(std::string_view s) : S(s) {}

  TToken Next() {
    while (I < S.size() && std::isspace(static_cast<unsigned char>(S[I]))) ++I;
    TToken t;
    t.Pos = I;
    if (I >= S.size()) return t;
    char c = S[I];
    if (c == '\'') {
      t.Kind = TTok::String;
      ++I;
      for (;;) {
        if (I >= S.size()) Fail("texto entre aspas sem fechamento", t.Pos);
        if (S[I] == '\'') {
          if (I + 1 < S.size() && S[I + 1] == '\'') {
            t.Text += '\'';
            I += 2;
            continue;
          }
          ++I;
          break;
        }
        t.Text += S[I++];
      }
      return t;
    }
    if (c == '[') {
      t.Kind = TTok::Ident;
      size_t end = S.find(']', I + 1);
      if (end == std::string_view::npos) Fail("nome de campo sem ']'", I);
      t.Text = std::string(S.substr(I + 1, end - I - 1));
      I = end + 1;
      return t;
    }
    if (std::isdigit(static_cast<unsigned char>(c)) ||
        (c == '.' && I + 1 < S.size() && std::isdigit(static_cast<unsigned char>(S[I + 1])))) {
      t.Kind = TTok::Number;
      size_t b = I;
      while (I < S.size() && (std::isdigit(static_cast<unsigned char>(S[I])) || S[I] == '.')) ++I;
      if (I < S.size() && (S[I] == 'e' || S[I] == 'E')) {
        ++I;
        if (I < S.size() && (S[I] == '+' || S[I] == '-')) ++I;
        while (I < S.size() && std::isdigit(static_cast<unsigned char>(S[I]))) ++I;
      }
      t.Text = std::string(S.substr(b, I - b));
      return t;
    }
    if (std::isalpha(static_cast<unsigned char>(c)) || c == '_' ||
        static_cast<unsigned char>(c) >= 0x80) {
      t.Kind = TTok::Ident;
      size_t b = I;
      while (I < S.size() &&
             (std::isalnum(static_cast<unsigned char>(S[I])) || S[I] == '_' || S[I] == '.' ||
              S[I] == '$' || static_cast<unsigned char>(S[I]) >= 0x80))
        ++I;
      t.Text = std::string(S.substr(b, I - b));
      return t;
    }
    if (c == '(') {
      ++I;
      t.Kind = TTok::LParen;
      return t;
    }
    if (c == ')') {
      ++I;
      t.Kind = TTok::RParen;
      return t;
    }
    if (c == ',') {
      ++I;
      t.Kind = TTok::Comma;
      return t;
    }
    static const char* ops[] = {"<>", "!=", "<=", ">=", "=", "<", ">"};
    for (const char* op : ops) {
      size_t n = std::strlen(op);
      if (S.substr(I, n) == op) {
        I += n;
        t.Kind = TTok::Op;
        t.Text = std::string(op) == "!=" ? "<>" : op;
        return t;
      }
    }
    Fail(std::string("caractere inesperado '") + c + "'", I);
  }

  [[noreturn]] void Fail(const std::string& AWhat, size_t APos) const {
    throw EDatabaseError("Erro no filtro \"" + std::string(S) + "\": " + AWhat + " (posição " +
                         std::to_string(APos + 1) + ")");
  }

 private:
  std::string_view S;
  size_t I = 0;
};

bool IsKeyword(const TToken& t, const char* kw) {
  return t.Kind == TTok::Ident && core::SameText(t.Text, kw);
}

enum class T3 { False, True, Unknown };

T3 Not3(T3 v) {
  return v == T3::Unknown ? v : (v == T3::True ? T3::False : T3::True);
}

// An operand's value during evaluation, without copying stored text.
struct TOperand {
  enum { KNull, KNum, KStr, KBool } Kind = KNull;
  double Num = 0;
  int64_t Int = 0;
  bool IsInt = false;
  bool BoolVal = false;
  std::string_view Str;
};

bool ParseNumber(std::string_view s, double& out) {
  std::string tmp(s);
  for (char& ch : tmp)
    if (ch == ',') ch = '.';
  char* end = nullptr;
  out = std::strtod(tmp.c_str(), &end);
  return end && *end == '\0' && !tmp.empty();
}

}  // namespace

bool LikeMatch(std::string_view AText, std::string_view APattern) {
  size_t t = 0, p = 0;
  size_t starP = std::string_view::npos, starT = 0;
  while (t < AText.size()) {
    if (p < APattern.size() && APattern[p] == '%') {
      starP = ++p;
      starT = t;
      continue;
    }
    if (p < APattern.size()) {
      if (APattern[p] == '_') {
        t += Utf8Length(static_cast<unsigned char>(AText[t]));
        p += Utf8Length(static_cast<unsigned char>(APattern[p]));
        continue;
      }
      if (APattern[p] == AText[t]) {
        ++t;
        ++p;
        continue;
      }
    }
    if (starP == std::string_view::npos) return false;
    // Let the last % swallow one more character and retry from there.
    starT += Utf8Length(static_cast<unsigned char>(AText[starT]));
    t = starT;
    p = starP;
  }
  while (p < APattern.size() && APattern[p] == '%') ++p;
  return p == APattern.size();
}

struct TFilterExpression::TNode {
  enum TKind { Field, Literal, NullLit, Compare, Like, IsNull, In, And, Or, Not } Kind;
  // Field
  int Index = -1;
  TFieldType Type = TFieldType::ftUnknown;
  // Literal
  TOperand Lit;
  std::string LitText;
  // Compare operator
  std::string Op;
  bool Negated = false;
  std::vector<std::unique_ptr<TNode>> Kids;

  explicit TNode(TKind k) : Kind(k) {}

  TOperand Value(const TRecord& r) const {
    TOperand o;
    if (Kind == Literal) {
      o = Lit;
      if (o.Kind == TOperand::KStr) o.Str = LitText;
      return o;
    }
    if (Kind != Field || r.IsNull(Index)) return o;
    std::string_view raw = r.Raw(Index);
    switch (Type) {
      case TFieldType::ftString:
      case TFieldType::ftMemo:
      case TFieldType::ftBlob:
        o.Kind = TOperand::KStr;
        o.Str = raw;
        break;
      case TFieldType::ftSmallint:
      case TFieldType::ftInteger:
      case TFieldType::ftLargeint: {
        int64_t v;
        std::memcpy(&v, raw.data(), sizeof v);
        o.Kind = TOperand::KNum;
        o.Int = v;
        o.IsInt = true;
        o.Num = static_cast<double>(v);
        break;
      }
      case TFieldType::ftBoolean:
        o.Kind = TOperand::KBool;
        o.BoolVal = !raw.empty() && raw[0] != 0;
        break;
      default: {
        double v;
        std::memcpy(&v, raw.data(), sizeof v);
        o.Kind = TOperand::KNum;
        o.Num = v;
        break;
      }
    }
    return o;
  }

  static int CompareOperands(const TOperand& a, const TOperand& b, bool& ok) {
    ok = true;
    if (a.Kind == TOperand::KNum && b.Kind == TOperand::KNum) {
      if (a.IsInt && b.IsInt) return a.Int < b.Int ? -1 : (a.Int > b.Int ? 1 : 0);
      return a.Num < b.Num ? -1 : (a.Num > b.Num ? 1 : 0);
    }
    if (a.Kind == TOperand::KStr && b.Kind == TOperand::KStr) {
      int c = a.Str.compare(b.Str);
      return c < 0 ? -1 : (c > 0 ? 1 : 0);
    }
    if (a.Kind == TOperand::KBool && b.Kind == TOperand::KBool)
      return int(a.BoolVal) - int(b.BoolVal);
    // Number against text: compare as numbers when the text is one.
    if ((a.Kind == TOperand::KNum && b.Kind == TOperand::KStr) ||
        (a.Kind == TOperand::KStr && b.Kind == TOperand::KNum)) {
      const TOperand& n = a.Kind == TOperand::KNum ? a : b;
      const TOperand& s = a.Kind == TOperand::KStr ? a : b;
      double v;
      if (!ParseNumber(s.Str, v) && !TryStrToDateTime(s.Str, v)) {
        ok = false;
        return 0;
      }
      int c = n.Num < v ? -1 : (n.Num > v ? 1 : 0);
      return a.Kind == TOperand::KNum ? c : -c;
    }
    ok = false;
    return 0;
  }

  T3 Eval(const TRecord& r) const {
    switch (Kind) {
      case And: {
        T3 a = Kids[0]->Eval(r);
        if (a == T3::False) return T3::False;
        T3 b = Kids[1]->Eval(r);
        if (b == T3::False) return T3::False;
        return (a == T3::True && b == T3::True) ? T3::True : T3::Unknown;
      }
      case Or: {
        T3 a = Kids[0]->Eval(r);
        if (a == T3::True) return T3::True;
        T3 b = Kids[1]->Eval(r);
        if (b == T3::True) return T3::True;
        return (a == T3::False && b == T3::False) ? T3::False : T3::Unknown;
      }
      case Not:
        return Not3(Kids[0]->Eval(r));
      case IsNull: {
        bool isNull = Kids[0]->Value(r).Kind == TOperand::KNull;
        return (isNull != Negated) ? T3::True : T3::False;
      }
      case Like: {
        TOperand a = Kids[0]->Value(r), p = Kids[1]->Value(r);
        if (a.Kind == TOperand::KNull || p.Kind == TOperand::KNull) return T3::Unknown;
        if (a.Kind != TOperand::KStr || p.Kind != TOperand::KStr) return T3::Unknown;
        return (LikeMatch(a.Str, p.Str) != Negated) ? T3::True : T3::False;
      }
      case Compare: {
        TOperand a = Kids[0]->Value(r), b = Kids[1]->Value(r);
        if (a.Kind == TOperand::KNull || b.Kind == TOperand::KNull) return T3::Unknown;
        bool ok;
        int c = CompareOperands(a, b, ok);
        if (!ok) return T3::Unknown;
        bool res = Op == "="    ? c == 0
                   : Op == "<>" ? c != 0
                   : Op == "<"  ? c < 0
                   : Op == ">"  ? c > 0
                   : Op == "<=" ? c <= 0
                                : c >= 0;
        return res ? T3::True : T3::False;
      }
      case In: {
        TOperand a = Kids[0]->Value(r);
        if (a.Kind == TOperand::KNull) return T3::Unknown;
        bool any = false;
        for (size_t i = 1; i < Kids.size(); ++i) {
          bool ok;
          TOperand b = Kids[i]->Value(r);
          if (b.Kind != TOperand::KNull && CompareOperands(a, b, ok) == 0 && ok) {
            any = true;
            break;
          }
        }
        return (any != Negated) ? T3::True : T3::False;
      }
      case Field:
      case Literal:
      case NullLit: {
        TOperand v = Value(r);
        if (v.Kind == TOperand::KBool) return v.BoolVal ? T3::True : T3::False;
        return v.Kind == TOperand::KNull ? T3::Unknown : T3::False;
      }
      default:
        break;
    }
    return T3::Unknown;
  }
};

namespace {

using TNode = TFilterExpression::TNode;

class TParser {
 public:
  TParser(std::string_view text, const TFilterExpression::TResolver& resolve)
      : Lex(text), Resolve(resolve) {
    Advance();
  }

  std::unique_ptr<TNode> ParseAll() {
    auto n = ParseOr();
    if (Cur.Kind != TTok::End) Lex.Fail("texto inesperado \"" + Cur.Text + "\"", Cur.Pos);
    return n;
  }

 private:
  void Advance() { Cur = Lex.Next(); }

  std::unique_ptr<TNode> Binary(TNode::TKind k, std::unique_ptr<TNode> a,
                                std::unique_ptr<TNode> b) {
    auto n = std::make_unique<TNode>(k);
    n->Kids.push_back(std::move(a));
    n->Kids.push_back(std::move(b));
    return n;
  }

  std::unique_ptr<TNode> ParseOr() {
    auto left = ParseAnd();
    while (IsKeyword(Cur, "OR")) {
      Advance();
      left = Binary(TNode::Or, std::move(left), ParseAnd());
    }
    return left;
  }

  std::unique_ptr<TNode> ParseAnd() {
    auto left = ParseNot();
    while (IsKeyword(Cur, "AND")) {
      Advance();
      left = Binary(TNode::And, std::move(left), ParseNot());
    }
    return left;
  }

  std::unique_ptr<TNode> ParseNot() {
    if (IsKeyword(Cur, "NOT")) {
      Advance();
      auto n = std::make_unique<TNode>(TNode::Not);
      n->Kids.push_back(ParseNot());
      return n;
    }
    return ParseComparison();
  }

  std::unique_ptr<TNode> ParseComparison() {
    auto left = ParseOperand();
    bool negated = false;
    if (IsKeyword(Cur, "NOT")) {
      negated = true;
      Advance();
      if (!IsKeyword(Cur, "LIKE") && !IsKeyword(Cur, "IN"))
        Lex.Fail("esperado LIKE ou IN depois de NOT", Cur.Pos);
    }
    if (Cur.Kind == TTok::Op) {
      auto n = std::make_unique<TNode>(TNode::Compare);
      n->Op = Cur.Text;
      Advance();
      n->Kids.push_back(std::move(left));
      n->Kids.push_back(ParseOperand());
      return n;
    }
    if (IsKeyword(Cur, "LIKE")) {
      Advance();
      auto n = std::make_unique<TNode>(TNode::Like);
      n->Negated = negated;
      n->Kids.push_back(std::move(left));
      n->Kids.push_back(ParseOperand());
      return n;
    }
    if (IsKeyword(Cur, "IN")) {
      Advance();
      if (Cur.Kind != TTok::LParen) Lex.Fail("esperado '(' depois de IN", Cur.Pos);
      Advance();
      auto n = std::make_unique<TNode>(TNode::In);
      n->Negated = negated;
      n->Kids.push_back(std::move(left));
      for (;;) {
        n->Kids.push_back(ParseOperand());
        if (Cur.Kind == TTok::Comma) {
          Advance();
          continue;
        }
        if (Cur.Kind != TTok::RParen) Lex.Fail("esperado ')'", Cur.Pos);
        Advance();
        break;
      }
      return n;
    }
    if (IsKeyword(Cur, "IS")) {
      Advance();
      auto n = std::make_unique<TNode>(TNode::IsNull);
      if (IsKeyword(Cur, "NOT")) {
        n->Negated = true;
        Advance();
      }
      if (!IsKeyword(Cur, "NULL")) Lex.Fail("esperado NULL depois de IS", Cur.Pos);
      Advance();
      n->Kids.push_back(std::move(left));
      return n;
    }
    return left;
  }

  std::unique_ptr<TNode> ParseOperand() {
    if (Cur.Kind == TTok::LParen) {
      Advance();
      auto n = ParseOr();
      if (Cur.Kind != TTok::RParen) Lex.Fail("esperado ')'", Cur.Pos);
      Advance();
      return n;
    }
    if (Cur.Kind == TTok::String) {
      auto n = std::make_unique<TNode>(TNode::Literal);
      n->Lit.Kind = TOperand::KStr;
      n->LitText = Cur.Text;
      Advance();
      return n;
    }
    if (Cur.Kind == TTok::Number) {
      auto n = std::make_unique<TNode>(TNode::Literal);
      n->Lit.Kind = TOperand::KNum;
      if (!ParseNumber(Cur.Text, n->Lit.Num)) Lex.Fail("número inválido " + Cur.Text, Cur.Pos);
      if (Cur.Text.find_first_of(".eE") == std::string::npos) {
        auto [ptr, ec] =
            std::from_chars(Cur.Text.data(), Cur.Text.data() + Cur.Text.size(), n->Lit.Int);
        n->Lit.IsInt = ec == std::errc();
      }
      Advance();
      return n;
    }
    if (Cur.Kind == TTok::Ident) {
      if (core::SameText(Cur.Text, "NULL")) {
        Advance();
        return std::make_unique<TNode>(TNode::Literal);
      }
      if (core::SameText(Cur.Text, "TRUE") || core::SameText(Cur.Text, "FALSE")) {
        auto n = std::make_unique<TNode>(TNode::Literal);
        n->Lit.Kind = TOperand::KBool;
        n->Lit.BoolVal = core::SameText(Cur.Text, "TRUE");
        Advance();
        return n;
      }
      auto ref = Resolve(Cur.Text);
      if (!ref) Lex.Fail("campo '" + Cur.Text + "' não encontrado", Cur.Pos);
      auto n = std::make_unique<TNode>(TNode::Field);
      n->Index = ref->Index;
      n->Type = ref->Type;
      Advance();
      return n;
    }
    if (Cur.Kind == TTok::End) Lex.Fail("expressão incompleta", Cur.Pos);
    Lex.Fail("texto inesperado \"" + Cur.Text + "\"", Cur.Pos);
  }

  TLexer Lex;
  const TFilterExpression::TResolver& Resolve;
  TToken Cur;
};

}  // namespace

std::unique_ptr<TFilterExpression> TFilterExpression::Parse(std::string_view AText,
                                                            const TResolver& AResolve) {
  std::unique_ptr<TFilterExpression> e(new TFilterExpression());
  TParser p(AText, AResolve);
  e->FRoot = p.ParseAll();
  return e;
}

TFilterExpression::~TFilterExpression() = default;

bool TFilterExpression::Matches(const TRecord& ARecord) const {
  return FRoot->Eval(ARecord) == T3::True;
}

}  // namespace db
