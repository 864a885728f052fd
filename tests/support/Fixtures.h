#pragma once
// Helpers that tests use to generate their own sample files: a temporary
// directory, chip database records built as the editor's forms write them, and
// plain byte file reading and writing. All helpers throw std::runtime_error when a
// file cannot be written or read, so a broken fixture fails the test loudly.
#include <cstdint>
#include <string>
#include <vector>

#include "project/Record.h"

namespace orv::fixtures {

// A fresh directory under /tmp (mkdtemp), removed with everything in it when the
// object goes out of scope.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  // path() + "/" + name
  std::string File(const std::string& name) const;

 private:
  std::string path_;
};

// A map definition record as the map data form writes it: `Nummer`, name,
// dimensions, the address normalised to six upper-case hexadecimal digits
// ("1f0" -> "0001F0"), the cell type code ("N", "M16", "I16", "M32", "I32"),
// the cross corner digit, the axis captions, `Faktor` 1.0, axis start values 0,
// axis factors 1.0, no axis flags, no axis addresses and `Kennung` "A". Every other
// byte is 0. Texts are given in UTF-8 and stored as Windows-1252.
TDatensatz MapRecord(std::int32_t nummer, const std::string& name, std::int32_t xdim, std::int32_t ydim,
                     const std::string& addrHex, const std::string& typ, char kreuz = '4',
                     const std::string& xtext = "", const std::string& ytext = "");

// Record 0: `Kennfeldname` "Drehzahlbegrenzer", the address text as given (cut to
// six characters), dimensions 0, the system code ("N8", "N16", "N32") in
// `XBeschriftung`, the limiter's cell type code (or "K") in `KennfeldTyp`,
// `Nummer` 0, the factor in `Faktor` and `Kennung` "A".
TDatensatz RevLimiterRecord(const std::string& systemcode, const std::string& addrHex, const std::string& typ,
                            double faktor);

// Writes the records one after the other (164 bytes each) as a new file,
// replacing any file of that name. Record 0 is the first element.
void WriteDatabase(const std::string& path, const std::vector<TDatensatz>& records);

// Writes the bytes as a new file, replacing any file of that name.
void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);

// The whole content of a file.
std::vector<std::uint8_t> ReadBytes(const std::string& path);

}  // namespace orv::fixtures
