#pragma once
// The MATH equation of an XDF item: raw value -> engineering value. Parsed once
// by a small recursive-descent parser with a depth bound and evaluated by a stack
// machine; nothing is ever handed to an interpreter. Understood: numbers (".75",
// "1.165e0"), the raw value's variable (any case), + - * / % (modulus), ^ (a
// power, as authors mean it in "2^14"), parentheses, unary signs and the
// functions exp, sqrt and abs. Anything else (other variables, IF, ROW, bit
// operators) makes the equation one this program does not evaluate.
#include <optional>
#include <string_view>
#include <vector>

namespace orv {

class XdfEquation {
 public:
  // The equation of `text` with `variable` as the raw value; an empty text or
  // "(null)" is the identity. Nothing when the text is not understood.
  static std::optional<XdfEquation> Parse(std::string_view text, std::string_view variable);

  // The value for raw value x (may be infinite or NaN, e.g. after a division by 0).
  double operator()(double x) const;
  // True for the plain raw value ("X").
  bool IsIdentity() const { return code_.size() == 1 && code_[0].op == Op::Var; }

 private:
  enum class Op { Num, Var, Add, Sub, Mul, Div, Mod, Pow, Neg, Exp, Sqrt, Abs };
  struct Step {
    Op op;
    double value = 0;
  };
  friend class EquationParser;
  std::vector<Step> code_;
};

}  // namespace orv
