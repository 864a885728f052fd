#include "support/Fixtures.h"

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "project/HexText.h"
#include "project/Text.h"

namespace orv::fixtures {

TempDir::TempDir() {
  std::string tmpl = "/tmp/orvanta-test-XXXXXX";
  if (::mkdtemp(tmpl.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = tmpl;
}

TempDir::~TempDir() {
  std::error_code ec;  // never throw from a destructor
  std::filesystem::remove_all(path_, ec);
}

std::string TempDir::File(const std::string& name) const { return path_ + "/" + name; }

TDatensatz MapRecord(std::int32_t nummer, const std::string& name, std::int32_t xdim, std::int32_t ydim,
                     const std::string& addrHex, const std::string& typ, char kreuz, const std::string& xtext,
                     const std::string& ytext) {
  TDatensatz r;
  r.set(fld::Kennfeldname, Utf8ToCp1252(name));
  r.set(fld::Anfangsadresse, FormatHex(ParseHex(addrHex), 6));
  r.set(fld::XDimension, xdim);
  r.set(fld::YDimension, ydim);
  r.set(fld::XBeschriftung, Utf8ToCp1252(xtext));
  r.set(fld::YBeschriftung, Utf8ToCp1252(ytext));
  r.set(fld::KennfeldTyp, typ);
  r.set(fld::Nummer, nummer);
  r.set(fld::Faktor, 1.0);
  r.set(fld::XAnfangswert, 0);
  r.set(fld::YAnfangswert, 0);
  r.set(fld::XFaktor, 1.0);
  r.set(fld::YFaktor, 1.0);
  r.set(fld::Kreuz, kreuz);
  r.set(fld::XAdresse, "");
  r.set(fld::YAdresse, "");
  r.set(fld::Kennung, "A");
  return r;
}

TDatensatz RevLimiterRecord(const std::string& systemcode, const std::string& addrHex, const std::string& typ,
                            double faktor) {
  TDatensatz r;
  r.set(fld::Kennfeldname, "Drehzahlbegrenzer");
  r.set(fld::Anfangsadresse, addrHex);
  r.set(fld::XDimension, 0);
  r.set(fld::YDimension, 0);
  r.set(fld::XBeschriftung, systemcode);
  r.set(fld::YBeschriftung, "");
  r.set(fld::KennfeldTyp, typ);
  r.set(fld::Nummer, 0);
  r.set(fld::Faktor, faktor);
  r.set(fld::Kennung, "A");
  return r;
}

void WriteDatabase(const std::string& path, const std::vector<TDatensatz>& records) {
  std::vector<std::uint8_t> bytes;
  bytes.reserve(records.size() * kRecordSize);
  for (const TDatensatz& r : records) bytes.insert(bytes.end(), r.bytes.begin(), r.bytes.end());
  WriteBytes(path, bytes);
}

void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) throw std::runtime_error("cannot create " + path);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) throw std::runtime_error("cannot write " + path);
}

std::vector<std::uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot open " + path);
  std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) throw std::runtime_error("cannot read " + path);
  return bytes;
}

}  // namespace orv::fixtures
