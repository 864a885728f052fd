#include "project/XdfExport.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "maps/Axes.h"
#include "maps/CellCodec.h"
#include "maps/CellFormat.h"
#include "project/Catalogue.h"
#include "project/HexText.h"
#include "project/Errors.h"
#include "project/NumberText.h"
#include "project/Real48.h"
#include "project/Text.h"

namespace orv {

namespace {

constexpr const char* kEol = "\r\n";

std::string Quoted(std::string_view s) { return "„" + std::string(s) + "“"; }

std::string Hex(std::uint64_t v, int digits = 1) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "0x%0*llX", digits, static_cast<unsigned long long>(v));
  return buf;
}

// UTF-8 text as XML character data in ASCII: markup characters, control
// characters and everything beyond ASCII as numeric references.
std::string Xml(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  std::size_t i = 0;
  while (i < s.size()) {
    char32_t c = 0;
    if (!NextUtf8(s, i, c)) c = 0xFFFD;
    switch (c) {
      case '&': out += "&amp;"; continue;
      case '<': out += "&lt;"; continue;
      case '>': out += "&gt;"; continue;
      case '"': out += "&quot;"; continue;
      default: break;
    }
    if (c >= 0x20 && c < 0x7F) out += static_cast<char>(c);
    else out += "&#" + std::to_string(static_cast<std::uint32_t>(c)) + ";";
  }
  return out;
}

std::string Utf8(const TDatensatz& r, ShortStringField f) { return Cp1252ToUtf8(r.get(f)); }

std::string Number(double v) { return FormatGeneral(v, '.'); }

// The shortest decimal that encodes to the same 6-byte real as v (0.4, not
// 0.399999999999977), so factors read back exactly and look as they were typed.
std::string Real48Text(double v) {
  Real48Bytes bytes{};
  try {
    bytes = EncodeReal48(v);
  } catch (const EMathError&) {
    return Number(v);
  }
  for (int digits = 1; digits < 17; ++digits) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.*g", digits, v);
    const double back = std::strtod(buf, nullptr);
    try {
      if (EncodeReal48(back) == bytes) return Number(back);
    } catch (const EMathError&) {
    }
  }
  return Number(v);
}

// Types an XDF item can state: one byte, or 16/32 bits in either plain byte order.
bool Writable(CellType t) { return t == CellType::N || t == CellType::M16 || t == CellType::I16 || t == CellType::I32; }

int Flags(CellType t, bool isSigned) {
  return (isSigned ? 1 : 0) | ((t == CellType::I16 || t == CellType::I32) ? 2 : 0);
}

std::string Math() { return "<MATH equation=\"X\"><VAR id=\"X\" /></MATH>"; }

struct Writer {
  std::string text;
  void Line(int indent, const std::string& s) {
    text.append(static_cast<std::size_t>(indent) * 2, ' ');
    text += s;
    text += kEol;
  }
};

// One axis (x or y) of a map record.
void WriteAxis(Writer& w, const TDatensatz& rec, AxisSide side, std::int32_t count, CellType mapType,
               const std::string& systemcode, const std::string& who, XdfReport& report) {
  const bool x = side == AxisSide::X;
  w.Line(2, std::string("<XDFAXIS id=\"") + (x ? "x" : "y") + "\" uniqueid=\"0x0\">");
  const std::string address = rec.get(x ? fld::XAdresse : fld::YAdresse);
  const std::string units = Xml(Utf8(rec, x ? fld::XBeschriftung : fld::YBeschriftung));
  bool stored = !address.empty();
  const AxisFormat format = AxisCellFormat(rec, side);
  if (stored && !Writable(format.type)) {
    report.Change(who, std::string("Achse ") + (x ? "X" : "Y") +
                           ": ihr Zelltyp hat in XDF keine Entsprechung; als Beschriftung aus Anfangswert und "
                           "Faktor geschrieben");
    stored = false;
  }
  if (stored) {
    const auto offset = static_cast<std::uint32_t>(ScaleAddress(ParseHex(address), systemcode));
    w.Line(3, "<EMBEDDEDDATA mmedtypeflags=\"" + Hex(static_cast<std::uint64_t>(Flags(format.type, format.isSigned)), 2) +
                  "\" mmedaddress=\"" + Hex(offset) + "\" mmedelementsizebits=\"" +
                  std::to_string(CellWidth(format.type) * 8) + "\" mmedcolcount=\"" + std::to_string(count) +
                  "\" mmedmajorstridebits=\"0\" mmedminorstridebits=\"0\" />");
    w.Line(3, "<units>" + units + "</units>");
    w.Line(3, "<indexcount>" + std::to_string(count) + "</indexcount>");
    w.Line(3, "<embedinfo type=\"1\" />");
  } else {
    w.Line(3, "<EMBEDDEDDATA mmedelementsizebits=\"" + std::to_string(CellWidth(mapType) * 8) +
                  "\" mmedmajorstridebits=\"0\" mmedminorstridebits=\"0\" />");
    w.Line(3, "<units>" + units + "</units>");
    w.Line(3, "<indexcount>" + std::to_string(count) + "</indexcount>");
    const double start = rec.get(x ? fld::XAnfangswert : fld::YAnfangswert);
    const double factor = std::strtod(Real48Text(rec.get(x ? fld::XFaktor : fld::YFaktor)).c_str(), nullptr);
    for (std::int32_t i = 0; i < count; ++i) {
      // A factor of 0 leaves the axis numbered from 1, as the editor shows it.
      const double v = factor == 0 ? i + 1.0 : start + i * factor;
      w.Line(3, "<LABEL index=\"" + std::to_string(i) + "\" value=\"" + Number(v) + "\" />");
    }
  }
  w.Line(3, Math());
  w.Line(2, "</XDFAXIS>");
}

}  // namespace

std::vector<TDatensatz> RecordsOfDatabase(std::span<const std::uint8_t> bytes) {
  std::vector<TDatensatz> records(bytes.size() / kRecordSize);
  for (std::size_t i = 0; i < records.size(); ++i)
    std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(i * kRecordSize), kRecordSize, records[i].bytes.begin());
  return records;
}

XdfExport ExportXdf(const std::vector<TDatensatz>& records, const XdfExportOptions& options) {
  XdfExport out;
  XdfReport& report = out.report;
  Writer w;
  const TDatensatz r0 = records.empty() ? TDatensatz{} : records.front();
  const std::string systemcode = r0.get(fld::XBeschriftung);

  w.Line(0, "<!-- Written by Orvanta 2000 -->");
  w.Line(0, "<XDFFORMAT version=\"1.60\">");
  w.Line(1, "<XDFHEADER>");
  w.Line(2, "<flags>0x1</flags>");
  w.Line(2, "<deftitle>" + Xml(options.title) + "</deftitle>");
  w.Line(2, "<description>" + Xml("Chip-Datenbank von Orvanta 2000 (Systemcode " + Cp1252ToUtf8(systemcode) + ")") +
                "</description>");
  w.Line(2, "<BASEOFFSET offset=\"0\" subtract=\"0\" />");
  w.Line(2, "<DEFAULTS datasizeinbits=\"8\" sigdigits=\"2\" outputtype=\"1\" signed=\"0\" lsbfirst=\"0\" float=\"0\" />");
  if (options.imageSize > 0)
    w.Line(2, "<REGION type=\"0xFFFFFFFF\" startaddress=\"0x0\" size=\"" +
                  Hex(static_cast<std::uint64_t>(options.imageSize)) +
                  "\" regionflags=\"0x0\" name=\"Binary File\" desc=\"\" />");
  w.Line(2, "<CATEGORY index=\"0x0\" name=\"Kennfelder\" />");
  w.Line(2, "<CATEGORY index=\"0x1\" name=\"Drehzahlbegrenzer\" />");
  w.Line(1, "</XDFHEADER>");

  // Record 0: the rev limiter, when one is defined (first, so that a map of the same
  // name never takes its place when the file is read again).
  const std::string limiterCode = r0.get(fld::KennfeldTyp);
  const CellType limiter = CellTypeFromCode(limiterCode);
  if (!records.empty() && limiter != CellType::None) {
    ++report.items;
    const std::string who = "Datensatz 0 „Drehzahlbegrenzer“";
    if (!Writable(limiter)) {
      report.LeaveOut(who, limiter == CellType::M32
                               ? "„32 Bit Motorola“ (16-Bit-Hälften vertauscht) hat in XDF keine Entsprechung"
                               : "Zelltyp " + Quoted(Cp1252ToUtf8(limiterCode)) + " unbekannt");
    } else {
      const auto offset =
          static_cast<std::uint32_t>(ScaleAddress(ParseHex(r0.get(fld::Anfangsadresse)), systemcode));
      w.Line(1, "<XDFCONSTANT uniqueid=\"" + Hex(records.size()) + "\" flags=\"0x0\">");
      w.Line(2, "<title>Drehzahlbegrenzer</title>");
      w.Line(2, "<CATEGORYMEM index=\"0\" category=\"2\" />");
      w.Line(2, "<EMBEDDEDDATA mmedtypeflags=\"" + Hex(static_cast<std::uint64_t>(Flags(limiter, false)), 2) +
                    "\" mmedaddress=\"" + Hex(offset) + "\" mmedelementsizebits=\"" +
                    std::to_string(CellWidth(limiter) * 8) + "\" mmedmajorstridebits=\"0\" mmedminorstridebits=\"0\" />");
      w.Line(2, "<units>U/min</units>");
      w.Line(2, "<decimalpl>0</decimalpl>");
      w.Line(2, "<MATH equation=\"X*" + Real48Text(r0.get(fld::Faktor)) + "\"><VAR id=\"X\" /></MATH>");
      w.Line(1, "</XDFCONSTANT>");
      ++report.converted;
    }
  }

  int unsupportedSettings = 0;
  for (std::size_t i = 1; i < records.size(); ++i) {
    const TDatensatz& rec = records[i];
    const std::string who = "Datensatz " + std::to_string(i) + " " + Quoted(Utf8(rec, fld::Kennfeldname));
    ++report.items;
    const std::string code = rec.get(fld::KennfeldTyp);
    const CellType type = CellTypeFromCode(code);
    if (type == CellType::M32) {
      report.LeaveOut(who, "„32 Bit Motorola“ (16-Bit-Hälften vertauscht) hat in XDF keine Entsprechung");
      continue;
    }
    if (!Writable(type)) {
      report.LeaveOut(who, "Zelltyp " + Quoted(Cp1252ToUtf8(code)) + " ist kein Kennfeldtyp");
      continue;
    }
    const std::int32_t xdim = rec.get(fld::XDimension), ydim = rec.get(fld::YDimension);
    if (xdim < 1 || ydim < 1 || xdim > 65535 || ydim > 65535) {
      report.LeaveOut(who, "ungültige Dimension (" + std::to_string(xdim) + " × " + std::to_string(ydim) + ")");
      continue;
    }
    const auto offset =
        static_cast<std::uint32_t>(ScaleAddress(ParseHex(rec.get(fld::Anfangsadresse)), systemcode));
    const CellFormatMarks marks = ReadCellFormatMarks(rec).marks;
    const char k = rec.get(fld::Kreuz);
    if ((k != '1' && k != 0) || rec.get(fld::XAddition) || rec.get(fld::YAddition) || rec.get(fld::XMultiplikation) ||
        rec.get(fld::YMultiplikation) || rec.get(fld::XRueckwaerts) || rec.get(fld::YRueckwaerts))
      ++unsupportedSettings;

    w.Line(1, "<XDFTABLE uniqueid=\"" + Hex(i) + "\" flags=\"0x0\">");
    w.Line(2, "<title>" + Xml(Utf8(rec, fld::Kennfeldname)) + "</title>");
    w.Line(2, "<CATEGORYMEM index=\"0\" category=\"1\" />");
    WriteAxis(w, rec, AxisSide::X, xdim, type, systemcode, who, report);
    WriteAxis(w, rec, AxisSide::Y, ydim, type, systemcode, who, report);
    w.Line(2, "<XDFAXIS id=\"z\">");
    w.Line(3, "<EMBEDDEDDATA mmedtypeflags=\"" + Hex(static_cast<std::uint64_t>(Flags(type, marks.signedCells)), 2) +
                  "\" mmedaddress=\"" + Hex(offset) + "\" mmedelementsizebits=\"" + std::to_string(CellWidth(type) * 8) +
                  "\" mmedrowcount=\"" + std::to_string(ydim) + "\" mmedcolcount=\"" + std::to_string(xdim) +
                  "\" mmedmajorstridebits=\"0\" mmedminorstridebits=\"0\" />");
    // A row's value caption is its Y label (the chart's vertical axis).
    w.Line(3, "<units>" + (ydim == 1 ? Xml(Utf8(rec, fld::YBeschriftung)) : std::string()) + "</units>");
    w.Line(3, "<decimalpl>0</decimalpl>");
    const ValueRange range = CellRange(type, marks.signedCells);
    w.Line(3, "<min>" + std::to_string(range.lo) + ".000000</min>");
    w.Line(3, "<max>" + std::to_string(range.hi) + ".000000</max>");
    w.Line(3, "<outputtype>1</outputtype>");
    w.Line(3, Math());
    w.Line(2, "</XDFAXIS>");
    w.Line(1, "</XDFTABLE>");
    ++report.converted;
  }

  w.Line(0, "</XDFFORMAT>");

  if (systemcode == "N16" || systemcode == "N32")
    report.notes.push_back("Systemcode " + Quoted(systemcode) + ": die Adressen sind als Dateipositionen geschrieben (" +
                           (systemcode == "N16" ? "× 2" : "× 4") + ").");
  if (unsupportedSettings > 0)
    report.notes.push_back(std::to_string(unsupportedSettings) +
                           " Datensätze nutzen die Ecke des Koordinatenkreuzes oder die Schalter „Addition“, "
                           "„Multiplikation“, „Rückwärts“; XDF kennt sie nicht.");
  out.text = std::move(w.text);
  return out;
}

}  // namespace orv
