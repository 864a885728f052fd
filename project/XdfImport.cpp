#include "project/XdfImport.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>

#include "maps/CellCodec.h"
#include "maps/CellFormat.h"
#include "project/Errors.h"
#include "project/FileIo.h"
#include "project/HexText.h"
#include "project/MapDefinition.h"
#include "project/NumberText.h"
#include "project/Real48.h"
#include "project/Text.h"
#include "project/XdfEquation.h"

namespace orv {

namespace {

constexpr std::int64_t kMaxAddress = 0xFFFFFF;  // six hexadecimal digits
constexpr std::int64_t kMaxSide = 255;
constexpr std::size_t kNameCapacity = 32;

std::string Quoted(std::string_view s) { return "„" + std::string(s) + "“"; }

std::string Hex(std::int64_t v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%s0x%llX", v < 0 ? "-" : "", static_cast<unsigned long long>(v < 0 ? -v : v));
  return buf;
}

std::string Number(double v) { return FormatGeneral(v, ','); }

// Control characters become blanks; blanks around are dropped.
std::string CleanText(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
  const std::size_t a = out.find_first_not_of(' ');
  if (a == std::string::npos) return {};
  const std::size_t b = out.find_last_not_of(' ');
  return out.substr(a, b - a + 1);
}

// A unit text as an axis label holds it: Windows-1252, at most 25 characters (UTF-8 here).
std::string Units(std::string_view s) {
  return Cp1252ToUtf8(CleanText(Utf8ToCp1252(CleanText(s)).substr(0, static_cast<std::size_t>(fld::XBeschriftung.capacity))));
}

const char* KindName(XdfItemKind k) {
  switch (k) {
    case XdfItemKind::Table: return "Tabelle";
    case XdfItemKind::Constant: return "Konstante";
    case XdfItemKind::Function: return "Funktion";
    case XdfItemKind::Flag: return "Bitschalter";
    case XdfItemKind::Checksum: return "Prüfsumme";
    case XdfItemKind::Patch: return "Patch";
  }
  return "Eintrag";
}

std::string ItemName(const XdfItem& it, std::size_t position) {
  std::string title = CleanText(it.title);
  if (title.size() > 120) {
    std::size_t cut = 120;
    while (cut > 0 && (static_cast<unsigned char>(title[cut]) & 0xC0) == 0x80) --cut;
    title = title.substr(0, cut) + "…";
  }
  return std::string(KindName(it.kind)) + " " + std::to_string(position) +
         (title.empty() ? std::string(" (ohne Titel)") : " " + Quoted(title));
}

const char* TypeCode(CellType t) {
  switch (t) {
    case CellType::N: return "N";
    case CellType::M16: return "M16";
    case CellType::I16: return "I16";
    case CellType::M32: return "M32";
    case CellType::I32: return "I32";
    default: return "";
  }
}

// ---------------------------------------------------------------- cells

struct Cells {
  std::int64_t offset = 0;
  CellType type = CellType::Unknown;
  bool isSigned = false;
  bool columnMajor = false;
};

struct CellsOrReason {
  std::optional<Cells> cells;
  std::string reason;
};

CellsOrReason Fail(std::string reason) { return {std::nullopt, std::move(reason)}; }

// Where and how `rows` x `cols` cells are stored, or why the database cannot hold them.
CellsOrReason ReadCells(const XdfData& d, std::int64_t rows, std::int64_t cols, const XdfDocument& doc) {
  if (!d.present || !d.address) return Fail("keine Datenadresse (Überschrift oder Platzhalter)");
  const std::int64_t bits = d.sizeBits.value_or(doc.defaultSizeBits.value_or(8));
  const std::int64_t flags = d.typeFlags.value_or(0);
  if (flags >= 0 && (flags & 0x10000) != 0) return Fail("Gleitkommazellen kann die Datenbank nicht darstellen");
  if (flags < 0 || (flags & ~std::int64_t{7}) != 0)
    return Fail("unbekanntes Zellformat (mmedtypeflags " + Hex(flags) + ")");
  if (rows < 1 || cols < 1)
    return Fail("ungültige Größe (" + std::to_string(rows) + " Zeilen, " + std::to_string(cols) + " Spalten)");
  if (rows > kMaxSide || cols > kMaxSide)
    return Fail("mehr als 255 Zellen in einer Richtung (" + std::to_string(rows) + " Zeilen, " +
                std::to_string(cols) + " Spalten)");
  Cells c;
  c.isSigned = (flags & 1) != 0;
  const bool lsbFirst = (flags & 2) != 0;
  c.columnMajor = (flags & 4) != 0;
  switch (bits) {
    case 8: c.type = CellType::N; break;
    case 16: c.type = lsbFirst ? CellType::I16 : CellType::M16; break;
    case 32:
      if (!lsbFirst)
        return Fail(
            "32-Bit-Zellen mit dem höchstwertigen Byte zuerst: der Typ „32 Bit Motorola“ der Datenbank legt die "
            "beiden 16-Bit-Hälften in umgekehrter Folge ab");
      c.type = CellType::I32;
      break;
    default: return Fail("Zellgröße " + std::to_string(bits) + " Bit wird nicht unterstützt");
  }
  // Only packed cells: element pitch = element size, line pitch = packed line.
  const std::int64_t major = d.majorStride.value_or(0), minor = d.minorStride.value_or(0);
  const std::int64_t lineCount = c.columnMajor ? cols : rows;
  const std::int64_t packedLine = (c.columnMajor ? rows : cols) * bits;
  if ((major != 0 && major != bits) || (lineCount > 1 && minor != 0 && minor != packedLine))
    return Fail("Zellen mit Abständen (Stride " + std::to_string(major) + "/" + std::to_string(minor) +
                " Bit) kann die Datenbank nicht darstellen");
  const std::int64_t offset = *d.address + doc.baseOffset;
  if (offset < 0) return Fail("Adresse " + Hex(*d.address) + " liegt vor dem Dateianfang (BASEOFFSET)");
  if (offset > kMaxAddress) return Fail("Adresse " + Hex(offset) + " liegt jenseits von 24 Bit");
  c.offset = offset;
  return {c, {}};
}

// ---------------------------------------------------------------- axes

// What one axis of a record gets: an address to read its labels from, or a
// start value and factor (start 1, factor 1: numbered).
struct AxisPlan {
  std::optional<std::int64_t> address;
  AxisFormat format;
  std::int32_t start = 1;
  double factor = 1;
  std::string units;  // UTF-8
};

struct LinearFit {
  std::int32_t start = 1;
  double factor = 1;
  std::string problem;  // empty when the values are start + i * factor
};

// Rounds to `digits` significant decimal digits.
double RoundSignificant(double v, int digits) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*e", digits - 1, v);
  return std::strtod(buf, nullptr);
}

// Values v[i] known to within tol[i]: evenly spaced from a whole start?
LinearFit FitLinear(const std::vector<double>& v, const std::vector<double>& tol) {
  LinearFit fit;
  const std::size_t n = v.size();
  double magnitude = 0;
  for (double x : v) {
    if (!std::isfinite(x)) {
      fit.problem = "ergibt keinen Zahlenwert";
      return fit;
    }
    magnitude = std::max(magnitude, std::fabs(x));
  }
  const double eps = 1e-9 * std::max(1.0, magnitude);
  const double v0 = v.front();
  const double rounded = std::nearbyint(v0);
  const bool whole = std::fabs(v0 - rounded) <= tol.front() + eps && rounded >= INT32_MIN && rounded <= INT32_MAX;
  if (n == 1) {
    if (whole) fit.start = static_cast<std::int32_t>(rounded);
    return fit;
  }
  const double f0 = (v[n - 1] - v0) / static_cast<double>(n - 1);
  const double endTol = std::max(tol.front(), tol.back());
  for (std::size_t i = 1; i + 1 < n; ++i) {
    if (std::fabs(v[i] - (v0 + static_cast<double>(i) * f0)) > tol[i] + endTol + eps) {
      fit.problem = "nicht gleichmäßig verteilt";
      return fit;
    }
  }
  if (f0 == 0) {
    fit.problem = "alle Werte gleich";
    return fit;
  }
  if (!whole) {
    fit.problem = "Anfangswert " + Number(v0) + " ist keine ganze Zahl";
    return fit;
  }
  // The shortest decimal within what the values can tell apart (the factor typed in
  // the map form comes back as typed).
  double factor = f0;
  const double snap = 1e-13 * (std::fabs(v0) + std::fabs(v[n - 1])) / static_cast<double>(n - 1) + 1e-15 * std::fabs(f0);
  for (int digits = 1; digits <= 17; ++digits) {
    const double r = RoundSignificant(f0, digits);
    if (std::fabs(r - f0) <= snap) {
      factor = r;
      break;
    }
  }
  try {
    const Real48Bytes b = EncodeReal48(factor);
    if (DecodeReal48(b) == 0) {
      fit.problem = "Faktor " + Number(factor) + " ist zu klein für die Datenbank";
      return fit;
    }
  } catch (const EMathError&) {
    fit.problem = "Faktor " + Number(factor) + " ist zu groß für die Datenbank";
    return fit;
  }
  fit.start = static_cast<std::int32_t>(rounded);
  fit.factor = factor;
  return fit;
}

// A label as a number and the half unit of its last written digit.
bool LabelNumber(std::string_view text, double& value, double& tol) {
  if (!ParseDecimal(text, value) || !std::isfinite(value)) return false;
  std::size_t sep = text.find_first_of(".,");
  const std::size_t e = text.find_first_of("eE");
  int decimals = 0;
  if (sep != std::string_view::npos && (e == std::string_view::npos || sep < e)) {
    for (std::size_t i = sep + 1; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) ++decimals;
  }
  long exponent = 0;
  if (e != std::string_view::npos) exponent = std::strtol(std::string(text.substr(e + 1)).c_str(), nullptr, 10);
  tol = 0.5 * std::pow(10.0, static_cast<double>(exponent - decimals));
  return true;
}

struct Context {
  const XdfDocument& doc;
  std::map<std::int64_t, std::ptrdiff_t> ids;  // uniqueid -> item index, -1 when not unique
};

// Cell format of axis cells, the map's own type written as "none".
AxisFormat AxisFormatOf(const Cells& axis, CellType mapType) {
  AxisFormat f{axis.type, axis.isSigned};
  if (f.type == mapType) f.type = CellType::None;
  return f;
}

AxisPlan PlanAxis(const XdfAxis& a, std::int64_t count, char side, CellType mapType, const Context& ctx,
                  std::vector<std::string>& notes) {
  AxisPlan plan;
  plan.units = Units(a.units);
  const std::string name = std::string("Achse ") + side + ": ";
  auto numbered = [&](const std::string& why) {
    plan = AxisPlan{std::nullopt, {}, 1, 1, plan.units};
    if (count > 1) notes.push_back(name + why + "; die Achse wird durchnummeriert");
    return plan;
  };
  if (a.indexCount && *a.indexCount != count && count > 1)
    notes.push_back(name + std::to_string(*a.indexCount) + " Stützstellen angegeben, das Kennfeld hat " +
                    std::to_string(count));

  // Linked to the cells of another table.
  if (a.embedType && (*a.embedType == 2 || *a.embedType == 3) && a.linkId) {
    const auto found = ctx.ids.find(*a.linkId);
    if (found == ctx.ids.end()) return numbered("verknüpfte Tabelle " + Hex(*a.linkId) + " nicht gefunden");
    if (found->second < 0) return numbered("verknüpfte Kennung " + Hex(*a.linkId) + " ist mehrdeutig");
    const XdfItem& linked = ctx.doc.items[static_cast<std::size_t>(found->second)];
    const XdfData& d = linked.kind == XdfItemKind::Function ? linked.y.data : linked.z.data;
    const std::int64_t rows = d.rowCount.value_or(1), cols = d.colCount.value_or(1);
    if (rows != 1 && cols != 1) return numbered("verknüpfte Tabelle ist keine Kennlinie");
    const CellsOrReason c = ReadCells(d, rows, cols, ctx.doc);
    if (!c.cells) return numbered("verknüpfte Tabelle: " + c.reason);
    if (rows * cols < count) return numbered("verknüpfte Tabelle hat weniger Werte als die Achse");
    plan.address = c.cells->offset;
    plan.format = AxisFormatOf(*c.cells, mapType);
    return plan;
  }
  // Stored in the image.
  if (a.embedType && *a.embedType == 1 && a.data.address) {
    const std::int64_t stored = a.indexCount.value_or(a.data.colCount.value_or(count));
    if (stored < count) return numbered("nur " + std::to_string(stored) + " Werte im Bild");
    const CellsOrReason c = ReadCells(a.data, 1, count, ctx.doc);
    if (!c.cells) return numbered("Werte im Bild: " + c.reason);
    plan.address = c.cells->offset;
    plan.format = AxisFormatOf(*c.cells, mapType);
    return plan;
  }
  const std::size_t n = static_cast<std::size_t>(std::max<std::int64_t>(count, 1));
  std::vector<double> values(n), tol(n);
  // Labels as written.
  if (!a.labels.empty()) {
    if (a.tooManyLabels) return numbered("mehr als " + std::to_string(kMaxXdfLabels) + " Beschriftungen");
    std::vector<const std::string*> texts(n, nullptr);
    for (std::size_t i = 0; i < a.labels.size(); ++i) {
      const std::int64_t at = a.labels[i].index.value_or(static_cast<std::int64_t>(i));
      if (at >= 0 && at < static_cast<std::int64_t>(n) && !texts[static_cast<std::size_t>(at)])
        texts[static_cast<std::size_t>(at)] = &a.labels[i].value;
    }
    for (std::size_t i = 0; i < n; ++i) {
      if (!texts[i]) return numbered("Beschriftung " + std::to_string(i) + " fehlt");
      if (!LabelNumber(*texts[i], values[i], tol[i]))
        return numbered("Textbeschriftung " + Quoted(CleanText(*texts[i])));
    }
    const LinearFit fit = FitLinear(values, tol);
    if (!fit.problem.empty()) return numbered("Beschriftungen: " + fit.problem);
    plan.start = fit.start;
    plan.factor = fit.factor;
    return plan;
  }
  // 0 .. n-1 through the equation.
  const std::string shown = Quoted(CleanText(a.math.equation));
  if (a.math.otherVariables) return numbered("Formel " + shown + " hängt von weiteren Größen ab");
  const auto eq = XdfEquation::Parse(a.math.equation, a.math.variable);
  if (!eq) return numbered("Formel " + shown + " ist nicht auswertbar");
  for (std::size_t i = 0; i < n; ++i) {
    values[i] = (*eq)(static_cast<double>(i));
    tol[i] = 0;
  }
  const LinearFit fit = FitLinear(values, tol);
  if (!fit.problem.empty())
    return numbered("Formel " + shown +
                    (fit.problem == "nicht gleichmäßig verteilt" ? std::string(" ist nicht linear") : ": " + fit.problem));
  plan.start = fit.start;
  plan.factor = fit.factor;
  return plan;
}

// ---------------------------------------------------------------- records

struct Name {
  std::string cp1252;
  std::vector<std::string> notes;
};

Name RecordName(const std::string& title, std::size_t position) {
  Name n;
  const std::string clean = CleanText(title);
  n.cp1252 = Utf8ToCp1252(clean);
  if (Cp1252ToUtf8(n.cp1252) != clean) n.notes.push_back("Zeichen ohne Windows-1252-Entsprechung durch „?“ ersetzt");
  if (n.cp1252.empty()) {
    n.cp1252 = "XDF-Eintrag " + std::to_string(position);
    n.notes.push_back("ohne Titel, heißt jetzt " + Quoted(n.cp1252));
  }
  if (n.cp1252.size() > kNameCapacity) {
    n.cp1252 = CleanText(n.cp1252.substr(0, kNameCapacity));
    n.notes.push_back("Titel auf 32 Zeichen gekürzt: " + Quoted(Cp1252ToUtf8(n.cp1252)));
  }
  return n;
}

TDatensatz MapRecordOf(std::int32_t nummer, const std::string& nameCp1252, const Cells& c, std::int64_t xdim,
                       std::int64_t ydim, const AxisPlan& ax, const AxisPlan& ay) {
  MapDefinition def;
  def.Name = nameCp1252;
  def.Address = FormatHex(static_cast<std::int32_t>(c.offset), 6);
  def.TypeText = std::string(kMapTypes[static_cast<std::size_t>(MapTypeIndexOfCode(TypeCode(c.type)))].text);
  def.XDimText = std::to_string(xdim);
  def.YDimText = std::to_string(ydim);
  def.XLabel = Utf8ToCp1252(ax.units);
  def.YLabel = Utf8ToCp1252(ay.units);
  def.XStartText = std::to_string(ax.start);
  def.YStartText = std::to_string(ay.start);
  def.XAddressLabel = ax.address.has_value();
  def.YAddressLabel = ay.address.has_value();
  if (ax.address) def.XAddress = FormatHex(static_cast<std::int32_t>(*ax.address), 6);
  if (ay.address) def.YAddress = FormatHex(static_cast<std::int32_t>(*ay.address), 6);
  def.Corner = 1;
  TDatensatz rec = NewMapRecord(def, nummer);
  rec.set(fld::XFaktor, ax.factor);  // checked by FitLinear: inside the 6-byte real's range
  rec.set(fld::YFaktor, ay.factor);
  CellFormatMarks marks;
  marks.signedCells = c.isSigned;
  if (ax.address) marks.x = ax.format;
  if (ay.address) marks.y = ay.format;
  WriteCellFormatMarks(rec, marks);
  return rec;
}

bool IsLimiterTitle(const std::string& title) {
  const std::string t = CleanText(title);
  static constexpr std::string_view kName = "drehzahlbegrenzer";
  if (t.size() != kName.size()) return false;
  for (std::size_t i = 0; i < t.size(); ++i)
    if (static_cast<char>(std::tolower(static_cast<unsigned char>(t[i]))) != kName[i]) return false;
  return true;
}

// The factor of "X * factor" (a positive, storable number), or why the value is no rev limiter.
std::optional<double> LimiterFactor(const XdfMath& m, const Cells& c, std::string& why) {
  if (c.isSigned) {
    why = "vorzeichenbehaftete Werte";
    return std::nullopt;
  }
  const auto eq = m.otherVariables ? std::nullopt : XdfEquation::Parse(m.equation, m.variable);
  if (!eq) {
    why = "Formel nicht auswertbar";
    return std::nullopt;
  }
  const double a = (*eq)(1.0);
  bool linear = (*eq)(0.0) == 0 && std::isfinite(a) && a > 0;
  for (double x : {2.0, 255.0, 1000.0, 65535.0})
    linear = linear && std::fabs((*eq)(x) - a * x) <= 1e-9 * std::fabs(a * x);
  if (!linear) {
    why = "Formel ist nicht Faktor × Wert";
    return std::nullopt;
  }
  try {
    if (DecodeReal48(EncodeReal48(a)) == 0) throw EMathError::Overflow();
  } catch (const EMathError&) {
    why = "Faktor außerhalb des Zahlenbereichs";
    return std::nullopt;
  }
  return a;
}

}  // namespace

XdfImport ConvertXdf(const XdfDocument& doc) {
  XdfImport out;
  out.records.push_back(NewRevLimiterRecord());
  XdfReport& report = out.report;
  Context ctx{doc, {}};
  for (std::size_t i = 0; i < doc.items.size(); ++i) {
    if (!doc.items[i].uniqueId) continue;
    const auto [it, fresh] = ctx.ids.emplace(*doc.items[i].uniqueId, static_cast<std::ptrdiff_t>(i));
    if (!fresh) it->second = -1;
  }
  bool limiterSet = false;
  bool anyMap = false;
  for (std::size_t i = 0; i < doc.items.size(); ++i) {
    const XdfItem& item = doc.items[i];
    const std::string who = ItemName(item, i + 1);
    ++report.items;
    switch (item.kind) {
      case XdfItemKind::Flag: report.LeaveOut(who, "Bitschalter kennt die Datenbank nicht"); continue;
      case XdfItemKind::Checksum: report.LeaveOut(who, "Prüfsummen-Definitionen werden nicht übernommen"); continue;
      case XdfItemKind::Patch: report.LeaveOut(who, "Patches werden nicht übernommen"); continue;
      default: break;
    }
    // The cells, and which XDF axis describes the record's columns and rows.
    const XdfData& data = item.kind == XdfItemKind::Function ? item.y.data : item.z.data;
    std::int64_t rows = 1, cols = 1;
    if (item.kind == XdfItemKind::Table) {
      rows = data.rowCount.value_or(1);
      cols = data.colCount.value_or(1);
    } else if (item.kind == XdfItemKind::Function) {
      cols = item.y.indexCount.value_or(data.colCount.value_or(1));
    }
    const CellsOrReason cells = ReadCells(data, rows, cols, doc);
    if (!cells.cells) {
      report.LeaveOut(who, cells.reason);
      continue;
    }
    const Cells& c = *cells.cells;
    std::vector<std::string> notes;

    if (!limiterSet && item.kind == XdfItemKind::Constant && IsLimiterTitle(item.title)) {
      std::string why;
      if (const auto factor = LimiterFactor(item.z.math, c, why)) {
        TDatensatz& r0 = out.records.front();
        r0.set(fld::Anfangsadresse, FormatHex(static_cast<std::int32_t>(c.offset), 6));
        r0.set(fld::KennfeldTyp, TypeCode(c.type));
        r0.set(fld::Faktor, *factor);
        limiterSet = true;
        ++report.converted;
        report.notes.push_back(who + " ist der Drehzahlbegrenzer der Datenbank (Datensatz 0).");
        continue;
      }
      notes.push_back("als Kennfeld übernommen, nicht als Drehzahlbegrenzer (" + why + ")");
    }

    const XdfAxis* srcX = &item.x;
    const XdfAxis* srcY = &item.y;
    std::int64_t xdim = cols, ydim = rows;
    const XdfAxis none;
    if (item.kind == XdfItemKind::Constant) {
      srcX = srcY = &none;
    } else if (item.kind == XdfItemKind::Function) {
      srcY = &none;
    } else if (rows > 1 && cols == 1) {
      // A column: the same bytes as a row.
      std::swap(srcX, srcY);
      std::swap(xdim, ydim);
    } else if (rows > 1 && cols > 1 && c.columnMajor) {
      std::swap(srcX, srcY);
      std::swap(xdim, ydim);
      notes.push_back("spaltenweise gespeichert: Zeilen und Spalten getauscht (X " + std::to_string(xdim) +
                      ", Y " + std::to_string(ydim) + ")");
    }
    AxisPlan ax = PlanAxis(*srcX, xdim, 'X', c.type, ctx, notes);
    AxisPlan ay = PlanAxis(*srcY, ydim, 'Y', c.type, ctx, notes);
    // A row's value axis carries the values' unit.
    if (ydim == 1 && ay.units.empty()) ay.units = Units(item.kind == XdfItemKind::Function ? item.y.units : item.z.units);

    const Name name = RecordName(item.title, i + 1);
    notes.insert(notes.begin(), name.notes.begin(), name.notes.end());
    const auto nummer = static_cast<std::int32_t>(out.records.size());
    out.records.push_back(MapRecordOf(nummer, name.cp1252, c, xdim, ydim, ax, ay));
    ++report.converted;
    anyMap = true;
    for (const std::string& n : notes) report.Change(who, n);
  }
  if (doc.baseOffset != 0)
    report.notes.push_back("BASEOFFSET " + std::string(doc.baseOffset > 0 ? "+" : "") + std::to_string(doc.baseOffset) +
                           " angewandt: die Adressen der Datenbank sind Dateipositionen (Systemcode „N8“).");
  if (anyMap)
    report.notes.push_back(
        "Umrechnungsformeln (MATH) der Kennfeldwerte und der im Bild gespeicherten Achsen kennt die Datenbank "
        "nicht: sie zeigt Rohwerte.");
  return out;
}

XdfImport ImportXdf(std::span<const std::uint8_t> bytes) { return ConvertXdf(ReadXdf(bytes)); }

std::vector<std::uint8_t> DatabaseBytes(const std::vector<TDatensatz>& records) {
  std::vector<std::uint8_t> bytes;
  bytes.reserve(records.size() * kRecordSize);
  for (const TDatensatz& r : records) bytes.insert(bytes.end(), r.bytes.begin(), r.bytes.end());
  return bytes;
}

XdfImport ImportXdfFile(const std::string& xdfPath, const std::string& dbcPath) {
  std::vector<std::uint8_t> buffer;
  try {
    buffer = ReadWholeFile(xdfPath, kMaxXdfBytes);
  } catch (const EOutOfMemory&) {
    throw EXdfError("Die XDF-Datei ist größer als 64 MiB und wird nicht gelesen.");
  }
  // The buffer ends in a spare byte that is not part of the file.
  XdfImport result = ImportXdf(std::span<const std::uint8_t>(buffer.data(), buffer.size() - 1));
  WriteFileAtomically(dbcPath, DatabaseBytes(result.records));
  return result;
}

}  // namespace orv
