// XDF definitions: reading, the conversion rules of the import, bad files, the
// export and the round trip export -> import. Every sample file is made here.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "maps/CellFormat.h"
#include "project/Errors.h"
#include "project/FileIo.h"
#include "project/HexText.h"
#include "project/MapDefinition.h"
#include "project/Real48.h"
#include "project/Text.h"
#include "project/XdfEquation.h"
#include "project/XdfExport.h"
#include "project/XdfImport.h"
#include "support/Fixtures.h"

namespace orv {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes B(const std::string& s) { return Bytes(s.begin(), s.end()); }

std::string Xdf(const std::string& items, const std::string& header = "") {
  return "<!-- Written 07/31/2019 00:18:22 -->\r\n<XDFFORMAT version=\"1.60\">\r\n  <XDFHEADER>" + header +
         "</XDFHEADER>\r\n" + items + "</XDFFORMAT>\r\n";
}

std::string Data(const std::string& attributes) { return "<EMBEDDEDDATA " + attributes + " />"; }

std::string Axis(const std::string& id, const std::string& inner) {
  return "<XDFAXIS id=\"" + id + "\" uniqueid=\"0x0\">" + inner + "</XDFAXIS>";
}

std::string Labels(const std::vector<std::string>& values) {
  std::string s = "<indexcount>" + std::to_string(values.size()) + "</indexcount>";
  for (std::size_t i = 0; i < values.size(); ++i)
    s += "<LABEL index=\"" + std::to_string(i) + "\" value=\"" + values[i] + "\" />";
  return s;
}

std::string Table(const std::string& title, const std::string& x, const std::string& y, const std::string& zData,
                  const std::string& extra = "") {
  return "<XDFTABLE uniqueid=\"0x1\" flags=\"0x0\"" + extra + "><title>" + title + "</title>" + Axis("x", x) +
         Axis("y", y) + Axis("z", Data(zData) + "<MATH equation=\"X*0.05\"><VAR id=\"X\" /></MATH>") + "</XDFTABLE>";
}

// A 4 x 3 table of 8-bit cells at 0x100 with the given axes.
std::string Map(const std::string& x, const std::string& y = "") {
  return Table("Karte", x, y, "mmedaddress=\"0x100\" mmedelementsizebits=\"8\" mmedrowcount=\"3\" mmedcolcount=\"4\"");
}

XdfImport Import(const std::string& text) { return ImportXdf(B(text)); }

std::string Joined(const std::vector<XdfReportEntry>& entries) {
  std::string s;
  for (const XdfReportEntry& e : entries) s += e.item + ": " + e.reason + "\n";
  return s;
}

TEST(Xdf, CellsBecomeAddressTypeAndDimensions) {
  struct Row {
    const char* what;
    std::string file;
    const char* address;
    const char* type;
    int xdim, ydim;
    bool isSigned = false;
  };
  const std::string table16 = "mmedaddress=\"0x9006\" mmedelementsizebits=\"16\" mmedrowcount=\"4\" mmedcolcount=\"6\"";
  const Row rows[] = {
      {"subtracted base offset", Xdf(Table("t", "", "", table16), "<BASEOFFSET offset=\"32768\" subtract=\"1\" />"),
       "001006", "M16", 6, 4},
      {"added base offset", Xdf(Table("t", "", "", table16), "<BASEOFFSET offset=\"0x4000\" subtract=\"0\" />"),
       "00D006", "M16", 6, 4},
      {"old negative base offset", Xdf(Table("t", "", "", table16), "<baseoffset>-32768</baseoffset>"), "001006",
       "M16", 6, 4},
      {"16 bit, least significant byte first, signed",
       Xdf(Table("t", "", "", table16 + " mmedtypeflags=\"0x03\"")), "009006", "I16", 6, 4, true},
      {"32 bit, least significant byte first",
       Xdf(Table("t", "", "", "mmedaddress=\"0x10\" mmedelementsizebits=\"32\" mmedtypeflags=\"0x02\"")), "000010",
       "I32", 1, 1},
      {"size from the defaults",
       Xdf(Table("t", "", "", "mmedaddress=\"0x10\" mmedcolcount=\"5\""), "<DEFAULTS datasizeinbits=\"16\" />"),
       "000010", "M16", 5, 1},
      {"stored column by column: rows and columns swapped",
       Xdf(Table("t", "", "", table16 + " mmedtypeflags=\"0x04\"")), "009006", "M16", 4, 6},
      {"a column is a row", Xdf(Table("t", "", "", "mmedaddress=\"0x20\" mmedrowcount=\"9\" mmedcolcount=\"1\"")),
       "000020", "N", 9, 1},
      {"hand-made file: names in other case, lower-case hex",
       "<xdfformat><XDFTABLE><TITLE>t</TITLE><xdfaxis id=\"Z\"><embeddeddata MMEDADDRESS=\"0x2e8\" "
       "mmedcolcount=\"2\" /></xdfaxis></XDFTABLE></xdfformat>",
       "0002E8", "N", 2, 1},
      {"constant", Xdf("<XDFCONSTANT><title>c</title>" + Data("mmedaddress=\"0x40\" mmedelementsizebits=\"8\" "
                                                               "mmedtypeflags=\"0x01\"") + "</XDFCONSTANT>"),
       "000040", "N", 1, 1, true},
      {"function: the y data with the x axis stored",
       Xdf("<XDFFUNCTION><title>f</title>" +
           Axis("x", Data("mmedaddress=\"0x60\" mmedelementsizebits=\"16\" mmedcolcount=\"5\"") +
                         "<indexcount>5</indexcount><embedinfo type=\"1\" />") +
           Axis("y", Data("mmedaddress=\"0x70\" mmedelementsizebits=\"16\" mmedcolcount=\"5\"") +
                         "<indexcount>5</indexcount>") +
           "</XDFFUNCTION>"),
       "000070", "M16", 5, 1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const XdfImport r = Import(row.file);
    ASSERT_EQ(r.records.size(), 2u) << Joined(r.report.leftOut);
    const TDatensatz& rec = r.records[1];
    EXPECT_EQ(rec.get(fld::Anfangsadresse), row.address);
    EXPECT_EQ(rec.get(fld::KennfeldTyp), row.type);
    EXPECT_EQ(rec.get(fld::XDimension), row.xdim);
    EXPECT_EQ(rec.get(fld::YDimension), row.ydim);
    EXPECT_EQ(ReadCellFormatMarks(rec).marks.signedCells, row.isSigned);
    EXPECT_EQ(rec.get(fld::Nummer), 1);
    EXPECT_EQ(r.records[0].get(fld::XBeschriftung), "N8");
    EXPECT_EQ(r.records[0].get(fld::KennfeldTyp), "K");
    EXPECT_TRUE(r.report.Complete());
  }
}

TEST(Xdf, ItemsTheDatabaseCannotHoldAreLeftOutWithTheirReason) {
  struct Row { std::string item; const char* reason; };
  auto z = [](const std::string& a) { return Table("t", "", "", a); };
  const Row rows[] = {
      {z("mmedelementsizebits=\"8\""), "keine Datenadresse"},
      {z("mmedaddress=\"\" mmedelementsizebits=\"8\""), "keine Datenadresse"},
      {z("mmedaddress=\"0x10\" mmedelementsizebits=\"32\" mmedtypeflags=\"0x10002\""), "Gleitkomma"},
      {z("mmedaddress=\"0x10\" mmedelementsizebits=\"8\" mmedtypeflags=\"0x40\""), "unbekanntes Zellformat"},
      {z("mmedaddress=\"0x10\" mmedelementsizebits=\"12\""), "Zellgröße 12 Bit"},
      {z("mmedaddress=\"0x10\" mmedelementsizebits=\"32\""), "32 Bit Motorola"},
      {z("mmedaddress=\"0x10\" mmedrowcount=\"4\" mmedcolcount=\"4\" mmedminorstridebits=\"64\""), "Stride"},
      {z("mmedaddress=\"0x10\" mmedcolcount=\"4\" mmedmajorstridebits=\"-16\""), "Stride"},
      {z("mmedaddress=\"0x10\" mmedrowcount=\"256\" mmedcolcount=\"2\""), "mehr als 255"},
      {z("mmedaddress=\"0x10\" mmedrowcount=\"999999999999\""), "mehr als 255"},
      {z("mmedaddress=\"0x10\" mmedrowcount=\"0\""), "ungültige Größe"},
      {z("mmedaddress=\"0x1000000\""), "jenseits von 24 Bit"},
      {z("mmedaddress=\"0x7FFFFFFFFFFFFFFFFFFF\""), "keine Datenadresse"},
      {"<XDFFLAG><title>f</title>" + Data("mmedaddress=\"0x10\"") + "<mask>0x01</mask></XDFFLAG>", "Bitschalter"},
      {"<XDFPATCH><title>p</title><XDFPATCHENTRY address=\"0x52\" datasize=\"0x2\" patchdata=\"EC00\" /></XDFPATCH>",
       "Patches"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.item);
    const XdfImport r = Import(Xdf(row.item));
    EXPECT_EQ(r.records.size(), 1u);
    ASSERT_EQ(r.report.leftOut.size(), 1u);
    EXPECT_NE(r.report.leftOut[0].reason.find(row.reason), std::string::npos) << r.report.leftOut[0].reason;
    EXPECT_FALSE(r.report.Complete());
  }
  // Before the file start after the base offset.
  const XdfImport r = Import(Xdf(z("mmedaddress=\"0x100\""), "<BASEOFFSET offset=\"32768\" subtract=\"1\" />"));
  ASSERT_EQ(r.report.leftOut.size(), 1u);
  EXPECT_NE(r.report.leftOut[0].reason.find("vor dem Dateianfang"), std::string::npos);
}

TEST(Xdf, AxesBecomeAddressesStartValuesOrNumbers) {
  struct Row {
    const char* what;
    std::string file;
    const char* xAddress;  // XAdresse
    AxisFormat xFormat;
    std::int32_t start;
    double factor;
    const char* note;  // part of the report's change note, "" for none
  };
  const std::string curve = "<XDFTABLE uniqueid=\"0x77\"><title>n</title>" +
                            Axis("z", Data("mmedaddress=\"0x300\" mmedelementsizebits=\"16\" mmedtypeflags=\"0x03\" "
                                           "mmedcolcount=\"4\"")) +
                            "</XDFTABLE>";
  auto math = [](const std::string& eq) { return "<MATH equation=\"" + eq + "\"><VAR id=\"X\" /></MATH>"; };
  const Row rows[] = {
      {"stored in the image in its own cell type",
       Xdf(Map(Data("mmedaddress=\"0x200\" mmedelementsizebits=\"16\" mmedtypeflags=\"0x02\"") +
               "<indexcount>4</indexcount><embedinfo type=\"1\" />" + math("X*25"))),
       "000200", {CellType::I16, false}, 1, 1, ""},
      {"stored with fewer values than the map has columns",
       Xdf(Map(Data("mmedaddress=\"0x200\"") + "<indexcount>3</indexcount><embedinfo type=\"1\" />")), "", {}, 1, 1,
       "nur 3 Werte"},
      {"linked to another table's cells",
       Xdf(Map("<indexcount>4</indexcount><embedinfo type=\"3\" linkobjid=\"0x77\" />") + curve), "000300",
       {CellType::I16, true}, 1, 1, ""},
      {"linked to nothing", Xdf(Map("<embedinfo type=\"3\" linkobjid=\"0x99\" />")), "", {}, 1, 1,
       "nicht gefunden"},
      {"evenly spaced labels", Xdf(Map(Labels({"500", "1000", "1500", "2000"}))), "", {}, 500, 500, ""},
      {"labels rounded to two decimals", Xdf(Map(Labels({"0.00", "0.33", "0.67", "1.00"}))), "", {}, 0,
       1.0 / 3, ""},
      {"labels with a start that is no whole number", Xdf(Map(Labels({"0.5", "1.0", "1.5", "2.0"}))), "", {}, 1, 1,
       "keine ganze Zahl"},
      {"free label list", Xdf(Map(Labels({"0", "10", "50", "100"}))), "", {}, 1, 1, "nicht gleichmäßig"},
      {"text labels", Xdf(Map(Labels({"Inj1", "Inj2", "Inj3", "Inj4"}))), "", {}, 1, 1, "Textbeschriftung"},
      {"labels beyond the database's factor range", Xdf(Map(Labels({"0", "1e300", "2e300", "3e300"}))), "", {}, 1,
       1, "zu groß"},
      {"linear equation over 0..n-1", Xdf(Map(math("0.750000 * X+ -48.000000"))), "", {}, -48, 0.75, ""},
      {"power written with ^", Xdf(Map(math("x/2^14"))), "", {}, 0, 1.0 / 16384, ""},
      {"no labels, no equation", Xdf(Map("")), "", {}, 0, 1, ""},
      {"non-linear equation", Xdf(Map(math("1.165e0*exp(x*4.426e-2)"))), "", {}, 1, 1, "nicht linear"},
      {"equation of other items",
       Xdf(Map("<MATH equation=\"X*A\"><VAR id=\"X\" /><VAR id=\"A\" type=\"link\" linkid=\"0x5\" /></MATH>")), "",
       {}, 1, 1, "weiteren Größen"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const XdfImport r = Import(row.file);
    ASSERT_GE(r.records.size(), 2u);
    const TDatensatz& rec = r.records[1];
    EXPECT_EQ(rec.get(fld::XAdresse), row.xAddress);
    EXPECT_EQ(ReadCellFormatMarks(rec).marks.x, row.xFormat);
    EXPECT_EQ(rec.get(fld::XAnfangswert), row.start);
    EXPECT_DOUBLE_EQ(rec.get(fld::XFaktor), DecodeReal48(EncodeReal48(row.factor)));
    const std::string notes = Joined(r.report.changed);
    if (*row.note) {
      EXPECT_NE(notes.find("Achse X: "), std::string::npos) << notes;
      EXPECT_NE(notes.find(row.note), std::string::npos) << notes;
    } else {
      EXPECT_EQ(notes, "");
    }
  }
}

TEST(Xdf, TitlesAndUnitsAreCutToTheRecordAndTheLimiterGoesToRecordZero) {
  const std::string longTitle = "Zündwinkel bei Volllast und warmem Motor, Bank 2";
  const std::string file = Xdf(
      Table(longTitle, "<units>Drehzahl in 1/min (gemessen)</units>", "<units>&#176;C</units>",
            "mmedaddress=\"0x10\" mmedrowcount=\"2\" mmedcolcount=\"2\"") +
      Table("Lambda \xE2\x9C\x93", "", "", "mmedaddress=\"0x20\"") +
      "<XDFCONSTANT><title> Drehzahlbegrenzer </title>" +
      Data("mmedaddress=\"0x1030\" mmedelementsizebits=\"16\" mmedtypeflags=\"0x02\"") +
      "<MATH equation=\"X*0.5\"><VAR id=\"X\" /></MATH></XDFCONSTANT>");
  const XdfImport r = Import(file);
  ASSERT_EQ(r.records.size(), 3u);
  EXPECT_EQ(r.records[1].get(fld::Kennfeldname), Utf8ToCp1252(longTitle).substr(0, 32));
  EXPECT_EQ(r.records[1].get(fld::XBeschriftung), "Drehzahl in 1/min (gemess");
  EXPECT_EQ(r.records[1].get(fld::YBeschriftung), "\xB0" "C");
  EXPECT_EQ(r.records[2].get(fld::Kennfeldname), "Lambda ?");
  const std::string notes = Joined(r.report.changed);
  EXPECT_NE(notes.find("Titel auf 32 Zeichen gekürzt"), std::string::npos) << notes;
  EXPECT_NE(notes.find("durch „?“ ersetzt"), std::string::npos) << notes;
  const TDatensatz& r0 = r.records[0];
  EXPECT_EQ(r0.get(fld::Anfangsadresse), "001030");
  EXPECT_EQ(r0.get(fld::KennfeldTyp), "I16");
  EXPECT_EQ(r0.get(fld::Faktor), 0.5);
  EXPECT_EQ(r.report.converted, 3);
}

TEST(Xdf, TextIsDecodedByMarkOrContent) {
  const std::string body = Xdf(Table("Z\xC3\xBCndung", "", "", "mmedaddress=\"0x10\""));
  auto utf16 = [&](bool bigEndian) {
    Bytes b = bigEndian ? Bytes{0xFE, 0xFF} : Bytes{0xFF, 0xFE};
    const std::string text = Cp1252ToUtf8(Utf8ToCp1252(body));  // ASCII and one umlaut
    for (std::size_t i = 0; i < text.size(); ++i) {
      unsigned code = static_cast<unsigned char>(text[i]);
      if (code == 0xC3) code = 0xC0 | (static_cast<unsigned char>(text[++i]) & 0x3F);  // the umlaut
      b.push_back(static_cast<std::uint8_t>(bigEndian ? code >> 8 : code & 0xFF));
      b.push_back(static_cast<std::uint8_t>(bigEndian ? code & 0xFF : code >> 8));
    }
    return b;
  };
  Bytes bom = {0xEF, 0xBB, 0xBF};
  bom.insert(bom.end(), body.begin(), body.end());
  const struct { const char* what; Bytes bytes; } rows[] = {
      {"UTF-8", B(body)},
      {"UTF-8 with mark", bom},
      {"Windows-1252 without declaration", B(Utf8ToCp1252(body))},
      {"UTF-16 little endian", utf16(false)},
      {"UTF-16 big endian", utf16(true)},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    const XdfImport r = ImportXdf(row.bytes);
    ASSERT_EQ(r.records.size(), 2u);
    EXPECT_EQ(r.records[1].get(fld::Kennfeldname), "Z\xFCndung");
  }
}

TEST(Xdf, BadFilesGiveAGermanMessageAndHostileOnesStayBounded) {
  const std::string good = Xdf(Table("t", "", "", "mmedaddress=\"0x10\""));
  std::string deep = "<XDFFORMAT><XDFTABLE><title>tief</title>";
  for (int i = 0; i < 200000; ++i) deep += "<a>";
  for (int i = 0; i < 200000; ++i) deep += "</a>";
  deep += "</XDFTABLE></XDFFORMAT>";
  std::string many = "<XDFFORMAT>";
  for (std::size_t i = 0; i <= kMaxXdfItems; ++i) many += "<XDFFLAG/>";
  many += "</XDFFORMAT>";
  struct Row { const char* what; std::function<Bytes()> bytes; const char* message; };
  const Row rows[] = {
      {"protected (binary) file", [] { return Bytes{0x05, 0x22, 0x97, 0x00, 0x00, '<'}; }, "keine XDF-Datei im XML"},
      {"empty file", [] { return Bytes{' ', '\r', '\n'}; }, "leer"},
      {"truncated", [&] { return B(good.substr(0, good.size() / 2)); }, "unvollständig"},
      {"malformed", [] { return B(Xdf("<XDFTABLE><max>255.0</min></XDFTABLE>")); }, "kein gültiges XML (Zeile 4"},
      {"entity expansion",
       [] {
         return B("<?xml version=\"1.0\"?><!DOCTYPE x [<!ENTITY a \"aaaa\"><!ENTITY b \"&a;&a;&a;&a;\">]>"
                  "<XDFFORMAT><XDFTABLE><title>&b;</title></XDFTABLE></XDFFORMAT>");
       },
       "DOCTYPE"},
      {"other root", [] { return B("<TunerProDefinition/>"); }, "Wurzelelement"},
      {"too many items", [&] { return B(many); }, "mehr als 100000 Einträge"},
      {"too large", [] { return Bytes(static_cast<std::size_t>(kMaxXdfBytes) + 1, ' '); }, "größer als 64 MiB"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    try {
      ImportXdf(row.bytes());
      ADD_FAILURE() << "read without complaint";
    } catch (const EXdfError& e) {
      EXPECT_NE(std::string(e.what()).find(row.message), std::string::npos) << e.what();
    }
  }
  // Deep nesting inside an item is read (iteratively) and the item judged on its own.
  const XdfImport r = ImportXdf(B(deep));
  ASSERT_EQ(r.report.leftOut.size(), 1u);
  EXPECT_NE(r.report.leftOut[0].item.find("„tief“"), std::string::npos);
}

TEST(Xdf, EquationsAreEvaluatedWithoutAnInterpreter) {
  struct Row { const char* text; std::optional<double> at4; };
  const Row rows[] = {
      {"X", 4},           {"(null)", 4},          {"", 4},
      {"x/100", 0.04},    {".75*X-40", -37},      {"-x/10", -0.4},
      {"2^3*X", 32},      {"(X-2)*(X+2)", 12},    {"15000000/x", 3750000},
      {"X % 3", 1},       {"sqrt(x)+abs(-1)", 3}, {"X*0.1\r\n", 0.4},
      {"IF(X>1,1,2)", {}}, {"Y*2", {}},           {"X+", {}},
      {"X $ 2", {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    const auto eq = XdfEquation::Parse(row.text, "X");
    ASSERT_EQ(eq.has_value(), row.at4.has_value());
    if (eq) {
      EXPECT_DOUBLE_EQ((*eq)(4), *row.at4);
    }
  }
  EXPECT_FALSE(XdfEquation::Parse(std::string(100000, '(') + "X" + std::string(100000, ')'), "X"));
  EXPECT_FALSE(XdfEquation::Parse(std::string(100000, '-') + "X", "X"));
}

// A map record as the import makes it.
TDatensatz Record(std::int32_t nummer, const char* name, int x, int y, const char* address, const char* type,
                  const char* xLabel = "", const char* yLabel = "") {
  return fixtures::MapRecord(nummer, name, x, y, address, type, '1', xLabel, yLabel);
}

TEST(Xdf, ExportThenImportGivesBackTheSameRecords) {
  std::vector<TDatensatz> db;
  TDatensatz r0 = fixtures::RevLimiterRecord("N8", "001FFE", "M16", 0.25);
  db.push_back(r0);
  TDatensatz plain = Record(1, "Zündung", 16, 12, "100", "N", "Drehzahl", "Last");
  db.push_back(plain);
  TDatensatz labelled = Record(2, "Einspritzung <&> \"Bank 2\"", 8, 8, "200", "M16", "U/min", "kPa");
  labelled.set(fld::XFaktor, 0.4);
  labelled.set(fld::YAnfangswert, -40);
  labelled.set(fld::YFaktor, 12.5);
  WriteCellFormatMarks(labelled, {true, {}, {}});
  db.push_back(labelled);
  TDatensatz stored = Record(3, "Ladedruck", 10, 6, "300", "I16");
  stored.set(fld::XAnfangswert, 1);  // an axis read from the image keeps the form's start values
  stored.set(fld::YAnfangswert, 1);
  stored.set(fld::XAdresse, "000400");
  stored.set(fld::YAdresse, "000410");
  WriteCellFormatMarks(stored, {false, {CellType::N, false}, {CellType::None, true}});
  db.push_back(stored);
  db.push_back(Record(4, "Kennlinie", 16, 1, "500", "I32", "°C", "ms"));
  db.push_back(Record(5, "Wert", 1, 1, "600", "N", "", "V"));
  db.push_back(Record(6, "Wortvertauscht", 4, 4, "700", "M32"));

  const XdfExport x = ExportXdf(db, {"Demo", 0x8000});
  EXPECT_NE(x.text.find("size=\"0x8000\""), std::string::npos);
  EXPECT_EQ(x.text.find_first_of("\x80\xC3"), std::string::npos);  // plain ASCII
  // Factors and labels as typed, not as the 6-byte real rounds them.
  EXPECT_NE(x.text.find("<LABEL index=\"7\" value=\"2.8\" />"), std::string::npos);
  EXPECT_NE(x.text.find("equation=\"X*0.25\""), std::string::npos);
  ASSERT_EQ(x.report.leftOut.size(), 1u);
  EXPECT_NE(x.report.leftOut[0].item.find("Wortvertauscht"), std::string::npos);
  EXPECT_EQ(x.report.converted, 6);  // five maps and the rev limiter

  const XdfImport back = ImportXdf(B(x.text));
  EXPECT_TRUE(back.report.Complete()) << Joined(back.report.leftOut);
  EXPECT_EQ(Joined(back.report.changed), "");
  ASSERT_EQ(back.records.size(), 6u);
  TDatensatz limiter;
  limiter.set(fld::Kennfeldname, "Drehzahlbegrenzer");
  limiter.set(fld::Anfangsadresse, "001FFE");
  limiter.set(fld::XBeschriftung, "N8");
  limiter.set(fld::KennfeldTyp, "M16");
  limiter.set(fld::Faktor, 0.25);
  limiter.set(fld::Kennung, "A");
  EXPECT_EQ(back.records[0], limiter);
  for (std::size_t i = 1; i < back.records.size(); ++i) {
    SCOPED_TRACE(i);
    for (int b = 0; b < kRecordSize; ++b) EXPECT_EQ(back.records[i].bytes[b], db[i].bytes[b]) << "byte " << b;
  }
}

TEST(Xdf, TheDatabaseIsWrittenWholeOrNotAtAll) {
  fixtures::TempDir dir;
  const std::string xdf = dir.File("in.xdf"), dbc = dir.File("out.dbc");
  fixtures::WriteBytes(xdf, B(Xdf(Table("t", "", "", "mmedaddress=\"0x10\""))));
  fixtures::WriteBytes(dbc, {1, 2, 3});
  SetFaultHook([](std::string_view step) { return step == "rename" ? 28 /* ENOSPC */ : 0; });
  EXPECT_THROW(ImportXdfFile(xdf, dbc), EInOutError);
  SetFaultHook({});
  EXPECT_EQ(fixtures::ReadBytes(dbc), (Bytes{1, 2, 3}));
  fixtures::WriteBytes(xdf, B("<XDFFORMAT><XDFTABLE>"));
  EXPECT_THROW(ImportXdfFile(xdf, dbc), EXdfError);
  EXPECT_EQ(fixtures::ReadBytes(dbc), (Bytes{1, 2, 3}));
  EXPECT_THROW(ImportXdfFile(xdf + "-missing", dbc + "2"), EInOutError);
  EXPECT_FALSE(FileExists(dbc + "2"));
}

}  // namespace
}  // namespace orv
