// Fuzzes the chip database path: the bytes are a .dbc file. Opens it, reads
// record 0 for the system code, builds every map list entry, loads each record
// as the active map, draws it as a surface or a chart when its size allows, reads
// the table values, and runs each record through the map data form's load and
// save, checking that the save keeps every byte it does not own.
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "graphics/ViewModel.h"
#include "maps/CellCodec.h"
#include "project/Catalogue.h"
#include "project/ChipDatabase.h"
#include "project/Errors.h"
#include "project/HexText.h"
#include "project/Images.h"
#include "project/MapDefinition.h"
#include "project/Real48.h"
#include "project/Record.h"
#include "support/RecordingCanvas.h"

namespace {

using namespace orv;

constexpr std::int32_t kMaxRecords = 512;
constexpr std::int64_t kMaxTableCells = 4096;
constexpr std::size_t kMaxImage = 8192;

// One in-memory database file per process (a memfd reached through its /proc
// path, so the database opens it like any other file), rewritten for every input.
struct DatabaseFile {
  DatabaseFile() {
    fd = ::memfd_create("orvanta-fuzz.dbc", MFD_CLOEXEC);
    if (fd < 0) std::abort();
    path = "/proc/self/fd/" + std::to_string(fd);
  }
  void Write(const std::uint8_t* data, std::size_t size) const {
    if (::ftruncate(fd, 0) != 0) std::abort();
    std::size_t done = 0;
    while (done < size) {
      const ssize_t n = ::pwrite(fd, data + done, size - done, static_cast<off_t>(done));
      if (n <= 0) std::abort();
      done += static_cast<std::size_t>(n);
    }
  }
  int fd = -1;
  std::string path;
};

struct Drawing {
  Drawing() {
    BuildTrigTables(trig);
    ViewStart(view, 800, 600);
  }
  TrigTables trig;
  ViewParams view;
  Scene scene;  // large: kept for the whole run
};

// Bytes behind the text of a short string and the field's capacity.
void CheckTextTail(const TDatensatz& before, const TDatensatz& after, ShortStringField f) {
  if (std::equal(before.bytes.begin() + f.offset, before.bytes.begin() + f.offset + 1 + f.capacity,
                 after.bytes.begin() + f.offset))
    return;  // left as it was (a length byte above the capacity included)
  const int len = after.bytes[f.offset];
  FUZZ_CHECK(len <= f.capacity);  // a writer never stores more than the capacity
  for (int p = f.offset + 1 + len; p <= f.offset + f.capacity; ++p) FUZZ_CHECK(after.bytes[p] == before.bytes[p]);
}

Real48Bytes RealBytes(const TDatensatz& r, RealField f) {
  Real48Bytes b;
  std::copy_n(r.bytes.begin() + f.offset, 6, b.begin());
  return b;
}

// The map data form saving a record unchanged.
void CheckFormRoundTrip(const TDatensatz& rec, std::int32_t index) {
  const MapDefinition def = LoadMapDefinition(rec);
  TDatensatz copy = rec;
  try {
    SaveMapDefinition(def, index, copy);
  } catch (const EMathError&) {
    // A factor shown with 15 digits may round beyond the largest 6-byte real;
    // the save then leaves the record untouched.
    FUZZ_CHECK(copy == rec);
    return;
  }
  // Reserved bytes.
  for (int p : {114, 115, 136, 138, 139, 140}) FUZZ_CHECK(copy.bytes[p] == rec.bytes[p]);
  for (ShortStringField f : {fld::Kennfeldname, fld::Anfangsadresse, fld::XBeschriftung, fld::YBeschriftung,
                             fld::KennfeldTyp, fld::XAdresse, fld::YAdresse, fld::Kennung})
    CheckTextTail(rec, copy, f);
  // The values come back as they were, except the fields the save owns.
  FUZZ_CHECK(copy.get(fld::Kennfeldname) == rec.get(fld::Kennfeldname));
  FUZZ_CHECK(copy.get(fld::Anfangsadresse) == FormatHex(ParseHex(rec.get(fld::Anfangsadresse)), 6));
  FUZZ_CHECK(copy.get(fld::XDimension) == rec.get(fld::XDimension));
  FUZZ_CHECK(copy.get(fld::YDimension) == rec.get(fld::YDimension));
  FUZZ_CHECK(copy.get(fld::XBeschriftung) == rec.get(fld::XBeschriftung));
  FUZZ_CHECK(copy.get(fld::YBeschriftung) == rec.get(fld::YBeschriftung));
  if (MapTypeIndexOfCode(rec.get(fld::KennfeldTyp)) >= 0) {
    FUZZ_CHECK(copy.get(fld::KennfeldTyp) == rec.get(fld::KennfeldTyp));
  } else {
    for (int p = 100; p < 104; ++p) FUZZ_CHECK(copy.bytes[p] == rec.bytes[p]);
  }
  FUZZ_CHECK(copy.get(fld::Nummer) == index);
  FUZZ_CHECK(copy.get(fld::XAnfangswert) == rec.get(fld::XAnfangswert));
  FUZZ_CHECK(copy.get(fld::YAnfangswert) == rec.get(fld::YAnfangswert));
  // A factor shown by the load and not changed is stored as the same number.
  FUZZ_CHECK(DecodeReal48(RealBytes(copy, fld::XFaktor)) == DecodeReal48(RealBytes(rec, fld::XFaktor)));
  FUZZ_CHECK(DecodeReal48(RealBytes(copy, fld::YFaktor)) == DecodeReal48(RealBytes(rec, fld::YFaktor)));
  for (BoolField f : {fld::XRueckwaerts, fld::YRueckwaerts, fld::XAddition, fld::YAddition, fld::XMultiplikation,
                      fld::YMultiplikation})
    FUZZ_CHECK(copy.get(f) == rec.get(f));
  FUZZ_CHECK(copy.get(fld::XAdresse) == rec.get(fld::XAdresse));
  FUZZ_CHECK(copy.get(fld::YAdresse) == rec.get(fld::YAdresse));
  const Real48Bytes one{0x81, 0, 0, 0, 0, 0};
  FUZZ_CHECK(RealBytes(copy, fld::Faktor) == one);
  FUZZ_CHECK(copy.bytes[137] == rec.bytes[137]);  // the corner is shown and stored as it was
  FUZZ_CHECK(copy.get(fld::Kennung) == "A");
  // Saving the saved record again changes nothing more.
  TDatensatz again = copy;
  SaveMapDefinition(LoadMapDefinition(copy), index, again);
  FUZZ_CHECK(again == copy);
}

void DrawAndRead(Drawing& d, const ActiveMap& map, const ImageSet& img, bool layersOn) {
  SceneFlags flags;
  flags.OriginalZeigen = layersOn;
  flags.TuningZeigen = true;
  flags.PfeilZeigen = layersOn;
  const WindowColours colours;
  RecordingCanvas canvas(800, 600);
  if (DrawsAsSurface(map)) {
    RedrawView(d.scene, d.trig, d.view, flags, map, img, colours, canvas);
    const std::size_t nx = static_cast<std::size_t>(map.KfXDim), ny = static_cast<std::size_t>(map.KfYDim);
    FUZZ_CHECK(canvas.LineCount(colours::White) == ny * (nx - 1) + nx * (ny - 1));
    for (std::int32_t k = 1; k <= map.KfZellen; ++k) {
      const Point2i p = d.scene.Tuning.Bildpunkte[static_cast<std::size_t>(k)];
      FUZZ_CHECK(p.x > -5000 && p.x < 5000 && p.y > -5000 && p.y < 5000);
    }
  } else if (DrawsAsChart(map)) {
    DrawCurveChart(d.scene, flags, map, img, colours, canvas);
  }
  // The table view's values.
  MapLayout layout{map.KfAdresse, map.KfXDim, map.KfYDim, CellTypeFromCode(map.KfTyp)};
  const std::int64_t cells = std::min(layout.cells(), kMaxTableCells);
  const int width = CellWidth(layout.type);
  for (std::int64_t c = 1; c <= cells; ++c) {
    const auto v = ReadCell(img.Tuning(), layout, c);
    if (!v) continue;
    const std::int64_t off = layout.CellOffset(c);
    FUZZ_CHECK(off >= 0 && off + width <= img.TuningGroesse);
    if (width == 1) FUZZ_CHECK(*v >= 0 && *v <= 255);
    if (width == 2) FUZZ_CHECK(*v >= 0 && *v <= 65535);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Drawing* drawing = new Drawing;
  static const DatabaseFile* file = new DatabaseFile;
  file->Write(data, size);
  const std::string& path = file->path;

  // A small image pair from the input's own bytes: the original as it is, the
  // tuning image shifted by one so the two surfaces differ.
  ImageSet img;
  const std::size_t n = std::min(size, kMaxImage);
  img.OriginalPuffer.assign(data, data + n);
  img.OriginalPuffer.push_back(0);
  img.OriginalGroesse = static_cast<std::int32_t>(n);
  img.TuningPuffer = img.OriginalPuffer;
  for (std::size_t i = 0; i < n; ++i) img.TuningPuffer[i] = static_cast<std::uint8_t>(img.TuningPuffer[i] + 1);
  img.TuningGroesse = img.OriginalGroesse;

  ChipDatabase db;
  db.Open(path);
  const std::int32_t count = db.RecordCount();
  FUZZ_CHECK(count == static_cast<std::int32_t>(size / kRecordSize));
  TDatensatz rec;
  if (count == 0) {
    try {
      db.SatzLesen(0, rec);
      FUZZ_CHECK(false);
    } catch (const EInOutError& e) {
      FUZZ_CHECK(e.ErrorCode == kReadBeyondEof);
    }
    return 0;
  }
  db.SatzLesen(0, rec);
  FUZZ_CHECK(std::memcmp(rec.bytes.data(), data, kRecordSize) == 0);
  const std::string systemcode = rec.get(fld::XBeschriftung);

  // The map list: entries for records 1 .. n.
  const std::int32_t last = std::min(count - 1, kMaxRecords);
  for (std::int32_t i = 1; !db.AtEnd(i) && i <= last; ++i) {
    db.SatzLesen(i, rec);
    FUZZ_CHECK(EntryText(rec).size() <= 32);
  }

  // Every entry as the active map, with the record 0 (nothing selected) first.
  ActiveMap map;
  for (std::int32_t i = 0; i <= last; ++i) {
    db.SatzLesen(i, rec);
    try {
      LoadActiveMap(map, i, rec, systemcode);
      FUZZ_CHECK(map.KfKreuz >= 0 && map.KfKreuz <= 9);
    } catch (const EConvertError&) {
      const char k = rec.get(fld::Kreuz);
      FUZZ_CHECK(k < '0' || k > '9');
      FUZZ_CHECK(map.KfNummer == i && map.KfXDim == rec.get(fld::XDimension));
      continue;  // the sequence draws nothing
    }
    FUZZ_CHECK(map.KfZellen == static_cast<std::int32_t>(static_cast<std::uint32_t>(map.KfXDim) *
                                                         static_cast<std::uint32_t>(map.KfYDim)));
    DrawAndRead(*drawing, map, img, (i & 1) == 0);
    if (i > 0) CheckFormRoundTrip(rec, i);
  }
  return 0;
}
