#include "project/XdfEquation.h"

#include <charconv>
#include <cmath>
#include <string>

namespace orv {

namespace {
constexpr int kMaxDepth = 64;

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameWord(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsWordChar(char c) { return IsDigit(c) || (Lower(c) >= 'a' && Lower(c) <= 'z') || c == '_'; }
}  // namespace

// expr := term {(+|-) term}; term := unary {(*|/|%) unary}; unary := (+|-) unary | power;
// power := primary [^ unary]; primary := number | variable | function ( expr ) | ( expr )
class EquationParser {
 public:
  EquationParser(std::string_view text, std::string_view variable, std::vector<XdfEquation::Step>& code)
      : s_(text), var_(variable), code_(code) {}

  bool Run() { return Expr(0) && (Skip(), pos_ == s_.size()); }

 private:
  using Op = XdfEquation::Op;

  void Skip() {
    while (pos_ < s_.size() && (s_[pos_] == ' ' || s_[pos_] == '\t' || s_[pos_] == '\r' || s_[pos_] == '\n')) ++pos_;
  }
  bool Take(char c) {
    Skip();
    if (pos_ < s_.size() && s_[pos_] == c) {
      ++pos_;
      return true;
    }
    return false;
  }
  void Emit(Op op, double v = 0) { code_.push_back({op, v}); }

  bool Expr(int depth) {
    if (depth > kMaxDepth || !Term(depth)) return false;
    for (;;) {
      if (Take('+')) {
        if (!Term(depth)) return false;
        Emit(Op::Add);
      } else if (Take('-')) {
        if (!Term(depth)) return false;
        Emit(Op::Sub);
      } else {
        return true;
      }
    }
  }
  bool Term(int depth) {
    if (!Unary(depth)) return false;
    for (;;) {
      Op op;
      if (Take('*')) op = Op::Mul;
      else if (Take('/')) op = Op::Div;
      else if (Take('%')) op = Op::Mod;
      else return true;
      if (!Unary(depth)) return false;
      Emit(op);
    }
  }
  bool Unary(int depth) {
    if (depth > kMaxDepth) return false;
    if (Take('-')) {
      if (!Unary(depth + 1)) return false;
      Emit(Op::Neg);
      return true;
    }
    if (Take('+')) return Unary(depth + 1);
    if (!Primary(depth)) return false;
    if (Take('^')) {
      if (!Unary(depth + 1)) return false;
      Emit(Op::Pow);
    }
    return true;
  }
  bool Primary(int depth) {
    Skip();
    if (pos_ >= s_.size()) return false;
    const char c = s_[pos_];
    if (c == '(') {
      ++pos_;
      return Expr(depth + 1) && Take(')');
    }
    if (IsDigit(c) || c == '.') return Number();
    if (!IsWordChar(c)) return false;
    const std::size_t start = pos_;
    while (pos_ < s_.size() && IsWordChar(s_[pos_])) ++pos_;
    const std::string_view word = s_.substr(start, pos_ - start);
    if (SameWord(word, var_)) {
      Emit(Op::Var);
      return true;
    }
    Op fn;
    if (SameWord(word, "exp")) fn = Op::Exp;
    else if (SameWord(word, "sqrt")) fn = Op::Sqrt;
    else if (SameWord(word, "abs")) fn = Op::Abs;
    else return false;
    if (!Take('(') || !Expr(depth + 1) || !Take(')')) return false;
    Emit(fn);
    return true;
  }
  bool Number() {
    const std::size_t start = pos_;
    while (pos_ < s_.size() && IsDigit(s_[pos_])) ++pos_;
    if (pos_ < s_.size() && s_[pos_] == '.') ++pos_;
    while (pos_ < s_.size() && IsDigit(s_[pos_])) ++pos_;
    if (pos_ < s_.size() && (s_[pos_] == 'e' || s_[pos_] == 'E')) {
      std::size_t p = pos_ + 1;
      if (p < s_.size() && (s_[p] == '+' || s_[p] == '-')) ++p;
      if (p < s_.size() && IsDigit(s_[p])) {
        while (p < s_.size() && IsDigit(s_[p])) ++p;
        pos_ = p;
      }
    }
    std::string token(s_.substr(start, pos_ - start));
    if (token.front() == '.') token.insert(token.begin(), '0');
    double v = 0;
    const auto [end, ec] = std::from_chars(token.data(), token.data() + token.size(), v);
    if (ec != std::errc() || end != token.data() + token.size()) return false;
    Emit(Op::Num, v);
    return true;
  }

  std::string_view s_;
  std::string_view var_;
  std::vector<XdfEquation::Step>& code_;
  std::size_t pos_ = 0;
};

std::optional<XdfEquation> XdfEquation::Parse(std::string_view text, std::string_view variable) {
  XdfEquation e;
  std::string_view trimmed = text;
  while (!trimmed.empty() && (trimmed.front() == ' ' || trimmed.front() == '\r' || trimmed.front() == '\n' ||
                              trimmed.front() == '\t'))
    trimmed.remove_prefix(1);
  while (!trimmed.empty() && (trimmed.back() == ' ' || trimmed.back() == '\r' || trimmed.back() == '\n' ||
                              trimmed.back() == '\t'))
    trimmed.remove_suffix(1);
  if (trimmed.empty() || trimmed == "(null)") {
    e.code_.push_back({Op::Var, 0});
    return e;
  }
  if (trimmed.size() > 4000 || variable.empty()) return std::nullopt;
  EquationParser p(trimmed, variable, e.code_);
  if (!p.Run()) return std::nullopt;
  return e;
}

double XdfEquation::operator()(double x) const {
  // The code is well formed by construction: every operator finds its operands.
  std::vector<double> st;
  st.reserve(code_.size());
  auto pop = [&st] {
    const double v = st.back();
    st.pop_back();
    return v;
  };
  for (const Step& s : code_) {
    switch (s.op) {
      case Op::Num: st.push_back(s.value); break;
      case Op::Var: st.push_back(x); break;
      case Op::Neg: st.back() = -st.back(); break;
      case Op::Exp: st.back() = std::exp(st.back()); break;
      case Op::Sqrt: st.back() = std::sqrt(st.back()); break;
      case Op::Abs: st.back() = std::fabs(st.back()); break;
      default: {
        const double b = pop(), a = pop();
        double r = 0;
        switch (s.op) {
          case Op::Add: r = a + b; break;
          case Op::Sub: r = a - b; break;
          case Op::Mul: r = a * b; break;
          case Op::Div: r = a / b; break;
          case Op::Mod: r = std::fmod(a, b); break;
          default: r = std::pow(a, b); break;
        }
        st.push_back(r);
      }
    }
  }
  return st.empty() ? x : st.back();
}

}  // namespace orv
