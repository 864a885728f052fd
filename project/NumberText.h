#pragma once
// Numbers as the forms show and read them.
#include <string>
#include <string_view>

namespace orv {

// A real in general notation with at most 15 significant digits and the given
// decimal separator: 1.0 -> "1", 0.4 -> "0,4", 1e20 -> "1E20", 1.5e-7 -> "1,5E-7".
std::string FormatGeneral(double value, char decimalSeparator = ',');
// A decimal number with "," or "." as separator, optional sign and exponent,
// blanks around allowed; false for anything else (also for infinities and NaN).
bool ParseDecimal(std::string_view text, double& out);

}  // namespace orv
