#pragma once
// The 164-byte record of a chip database and typed access to its fields.
// A short string is a length byte followed by a fixed capacity of Windows-1252
// characters; reading takes at most the capacity, writing cuts to it and leaves
// the bytes behind the text as they were.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace orv {

inline constexpr int kRecordSize = 164;

struct ShortStringField { int offset; int capacity; };
struct Int32Field { int offset; };
struct RealField { int offset; };
struct BoolField { int offset; };
struct CharField { int offset; };

namespace fld {
inline constexpr ShortStringField Kennfeldname{0, 32};
inline constexpr ShortStringField Anfangsadresse{33, 6};
inline constexpr Int32Field XDimension{40};
inline constexpr Int32Field YDimension{44};
inline constexpr ShortStringField XBeschriftung{48, 25};
inline constexpr ShortStringField YBeschriftung{74, 25};
inline constexpr ShortStringField KennfeldTyp{100, 3};
inline constexpr Int32Field Nummer{104};
inline constexpr RealField Faktor{108};
inline constexpr Int32Field XAnfangswert{116};
inline constexpr Int32Field YAnfangswert{120};
inline constexpr RealField XFaktor{124};
inline constexpr RealField YFaktor{130};
inline constexpr CharField Kreuz{137};
inline constexpr BoolField XRueckwaerts{141};
inline constexpr BoolField YRueckwaerts{142};
inline constexpr BoolField XAddition{143};
inline constexpr BoolField YAddition{144};
inline constexpr BoolField XMultiplikation{145};
inline constexpr BoolField YMultiplikation{146};
inline constexpr ShortStringField XAdresse{147, 6};
inline constexpr ShortStringField YAdresse{154, 6};
inline constexpr ShortStringField Kennung{161, 2};
}  // namespace fld

// Texts are the raw Windows-1252 bytes of the file.
class TDatensatz {
 public:
  std::array<std::uint8_t, kRecordSize> bytes{};

  std::string get(ShortStringField f) const;
  void set(ShortStringField f, std::string_view cp1252);
  std::int32_t get(Int32Field f) const;
  void set(Int32Field f, std::int32_t v);
  double get(RealField f) const;       // decoded 6-byte real
  void set(RealField f, double v);     // may throw EMathError::Overflow
  bool get(BoolField f) const { return bytes[f.offset] != 0; }
  void set(BoolField f, bool v) { bytes[f.offset] = v ? 1 : 0; }
  char get(CharField f) const { return static_cast<char>(bytes[f.offset]); }
  void set(CharField f, char c) { bytes[f.offset] = static_cast<std::uint8_t>(c); }

  bool operator==(const TDatensatz&) const = default;
};

}  // namespace orv
