#include "project/XdfReader.h"

#include <pugixml.hpp>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "project/Text.h"

namespace orv {

namespace {

// ---------------------------------------------------------------- memory bound
// The parsed tree may take at most this much memory; a file that needs more
// (millions of tiny elements) is refused instead of exhausting the machine.
constexpr std::size_t kMaxTreeBytes = std::size_t{256} << 20;

// Bytes the XML library holds on this thread. The library is only used here and
// every document lives inside one ReadXdf call, on the calling thread.
thread_local std::size_t t_treeBytes = 0;

constexpr std::size_t kHeader = 16;  // keeps the block 16-byte aligned

void* TreeAllocate(std::size_t size) {
  if (size > kMaxTreeBytes - std::min(t_treeBytes, kMaxTreeBytes)) return nullptr;
  auto* block = static_cast<unsigned char*>(std::malloc(size + kHeader));
  if (!block) return nullptr;
  std::memcpy(block, &size, sizeof size);
  t_treeBytes += size;
  return block + kHeader;
}

void TreeDeallocate(void* p) {
  if (!p) return;
  auto* block = static_cast<unsigned char*>(p) - kHeader;
  std::size_t size = 0;
  std::memcpy(&size, block, sizeof size);
  t_treeBytes -= std::min(size, t_treeBytes);
  std::free(block);
}

void InstallTreeAllocator() {
  static std::once_flag once;
  std::call_once(once, [] { pugi::set_memory_management_functions(TreeAllocate, TreeDeallocate); });
}

// ---------------------------------------------------------------- decoding

bool ValidUtf8(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size()) {
    const auto b = static_cast<unsigned char>(s[i]);
    if (b < 0x80) {
      ++i;
      continue;
    }
    int extra = 0;
    char32_t c = 0;
    if ((b & 0xE0) == 0xC0) { extra = 1; c = b & 0x1F; }
    else if ((b & 0xF0) == 0xE0) { extra = 2; c = b & 0x0F; }
    else if ((b & 0xF8) == 0xF0) { extra = 3; c = b & 0x07; }
    else return false;
    if (i + static_cast<std::size_t>(extra) >= s.size()) return false;
    for (int k = 1; k <= extra; ++k) {
      const auto n = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
      if ((n & 0xC0) != 0x80) return false;
      c = (c << 6) | (n & 0x3F);
    }
    const char32_t least[] = {0, 0x80, 0x800, 0x10000};
    if (c < least[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
    i += static_cast<std::size_t>(extra) + 1;
  }
  return true;
}

// UTF-16 to UTF-8; unpaired surrogates become U+FFFD, an odd last byte is dropped.
std::string FromUtf16(std::span<const std::uint8_t> b, bool bigEndian) {
  std::string out;
  out.reserve(b.size());
  auto unit = [&](std::size_t i) -> char32_t {
    return bigEndian ? (char32_t{b[i]} << 8) | b[i + 1] : (char32_t{b[i + 1]} << 8) | b[i];
  };
  for (std::size_t i = 0; i + 1 < b.size(); i += 2) {
    char32_t c = unit(i);
    if (c >= 0xD800 && c <= 0xDBFF && i + 3 < b.size()) {
      const char32_t lo = unit(i + 2);
      if (lo >= 0xDC00 && lo <= 0xDFFF) {
        c = 0x10000 + ((c - 0xD800) << 10) + (lo - 0xDC00);
        i += 2;
      }
    }
    if (c >= 0xD800 && c <= 0xDFFF) c = 0xFFFD;
    AppendUtf8(out, c);
  }
  return out;
}

// ---------------------------------------------------------------- names and values

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(const char* a, std::string_view b) {
  std::size_t i = 0;
  for (; a[i] != 0; ++i)
    if (i >= b.size() || Lower(a[i]) != Lower(b[i])) return false;
  return i == b.size();
}

bool Is(const pugi::xml_node& n, std::string_view name) { return n.type() == pugi::node_element && SameName(n.name(), name); }

pugi::xml_attribute Attr(const pugi::xml_node& n, std::string_view name) {
  for (pugi::xml_attribute a : n.attributes())
    if (SameName(a.name(), name)) return a;
  return {};
}

std::string AttrText(const pugi::xml_node& n, std::string_view name) {
  const pugi::xml_attribute a = Attr(n, name);
  return a ? a.value() : std::string();
}

std::optional<std::int64_t> AttrInt(const pugi::xml_node& n, std::string_view name) {
  const pugi::xml_attribute a = Attr(n, name);
  if (!a) return std::nullopt;
  return ParseXdfInt(a.value());
}

pugi::xml_node Child(const pugi::xml_node& n, std::string_view name) {
  for (pugi::xml_node c : n.children())
    if (Is(c, name)) return c;
  return {};
}

// The element's text, cut to `limit` bytes at a character boundary.
std::string Text(const pugi::xml_node& n, std::size_t limit = 1000) {
  std::string s = n ? n.text().get() : "";
  if (s.size() > limit) {
    std::size_t cut = limit;
    while (cut > 0 && (static_cast<unsigned char>(s[cut]) & 0xC0) == 0x80) --cut;
    s.resize(cut);
  }
  return s;
}

std::optional<std::int64_t> ChildInt(const pugi::xml_node& n, std::string_view name) {
  const pugi::xml_node c = Child(n, name);
  if (!c) return std::nullopt;
  return ParseXdfInt(c.text().get());
}

XdfData ReadData(const pugi::xml_node& n) {
  XdfData d;
  if (!n) return d;
  d.present = true;
  d.address = AttrInt(n, "mmedaddress");
  d.sizeBits = AttrInt(n, "mmedelementsizebits");
  d.typeFlags = AttrInt(n, "mmedtypeflags");
  d.rowCount = AttrInt(n, "mmedrowcount");
  d.colCount = AttrInt(n, "mmedcolcount");
  d.majorStride = AttrInt(n, "mmedmajorstridebits");
  d.minorStride = AttrInt(n, "mmedminorstridebits");
  return d;
}

XdfMath ReadMath(const pugi::xml_node& owner) {
  XdfMath m;
  m.equation = "X";
  for (pugi::xml_node c : owner.children()) {
    if (!Is(c, "MATH") || Attr(c, "row") || Attr(c, "col")) continue;
    m.present = true;
    m.equation = AttrText(c, "equation");
    if (m.equation.size() > 4096) m.equation.resize(4096);  // the parser refuses it then
    bool haveRaw = false;
    for (pugi::xml_node v : c.children()) {
      if (!Is(v, "VAR")) continue;
      const std::string type = AttrText(v, "type");
      if (type.empty() && !haveRaw) {
        m.variable = AttrText(v, "id");
        haveRaw = true;
      } else {
        m.otherVariables = true;
      }
    }
    if (!haveRaw) m.variable = "X";
    break;
  }
  return m;
}

XdfAxis ReadAxis(const pugi::xml_node& n) {
  XdfAxis a;
  if (!n) return a;
  a.present = true;
  a.data = ReadData(Child(n, "EMBEDDEDDATA"));
  a.units = Text(Child(n, "units"), 256);
  a.indexCount = ChildInt(n, "indexcount");
  if (const pugi::xml_node e = Child(n, "embedinfo")) {
    a.embedType = AttrInt(e, "type");
    a.linkId = AttrInt(e, "linkobjid");
  }
  for (pugi::xml_node c : n.children()) {
    if (!Is(c, "LABEL")) continue;
    if (a.labels.size() >= kMaxXdfLabels) {
      a.tooManyLabels = true;
      break;
    }
    a.labels.push_back({AttrInt(c, "index"), AttrText(c, "value").substr(0, 256)});
  }
  a.math = ReadMath(n);
  return a;
}

XdfItem ReadItem(const pugi::xml_node& n, XdfItemKind kind) {
  XdfItem it;
  it.kind = kind;
  it.title = Text(Child(n, "title"));
  it.uniqueId = AttrInt(n, "uniqueid");
  if (kind == XdfItemKind::Table || kind == XdfItemKind::Function) {
    for (pugi::xml_node c : n.children()) {
      if (!Is(c, "XDFAXIS")) continue;
      const std::string id = AttrText(c, "id");
      XdfAxis* target = SameName(id.c_str(), "x") ? &it.x : SameName(id.c_str(), "y") ? &it.y
                        : SameName(id.c_str(), "z")                                 ? &it.z
                                                                                    : nullptr;
      if (target && !target->present) *target = ReadAxis(c);
    }
  } else if (kind == XdfItemKind::Constant || kind == XdfItemKind::Flag) {
    it.z.present = true;
    it.z.data = ReadData(Child(n, "EMBEDDEDDATA"));
    it.z.units = Text(Child(n, "units"), 256);
    it.z.math = ReadMath(n);
  }
  return it;
}

void ReadHeader(const pugi::xml_node& h, XdfDocument& doc) {
  doc.title = Text(Child(h, "deftitle"));
  for (pugi::xml_node c : h.children()) {
    if (c.type() != pugi::node_element) continue;
    // Both spellings differ only in case; the new form has attributes, the old text.
    if (SameName(c.name(), "BASEOFFSET")) {
      if (Attr(c, "offset")) {
        const std::int64_t offset = AttrInt(c, "offset").value_or(0);
        const bool subtract = AttrInt(c, "subtract").value_or(0) != 0;
        doc.baseOffset = subtract ? -offset : offset;
      } else {
        doc.baseOffset = ParseXdfInt(c.text().get()).value_or(0);
      }
    } else if (SameName(c.name(), "DEFAULTS")) {
      doc.defaultSizeBits = AttrInt(c, "datasizeinbits");
    } else if (SameName(c.name(), "REGION")) {
      doc.regionSize = AttrInt(c, "size");
    }
  }
}

bool IsItem(const char* name) {
  for (std::string_view item : {"XDFTABLE", "XDFCONSTANT", "XDFFUNCTION", "XDFFLAG", "XDFCHECKSUM", "XDFPATCH"})
    if (SameName(name, item)) return true;
  return false;
}

std::string StatusText(pugi::xml_parse_status s) {
  switch (s) {
    case pugi::status_out_of_memory: return "zu groß (Speichergrenze erreicht)";
    case pugi::status_unrecognized_tag: return "unbekanntes Tag";
    case pugi::status_bad_pi: return "fehlerhafte Verarbeitungsanweisung";
    case pugi::status_bad_comment: return "fehlerhafter Kommentar";
    case pugi::status_bad_cdata: return "fehlerhafter CDATA-Abschnitt";
    case pugi::status_bad_doctype: return "fehlerhafte DOCTYPE-Angabe";
    case pugi::status_bad_pcdata: return "fehlerhafter Text";
    case pugi::status_bad_start_element: return "fehlerhaftes Starttag";
    case pugi::status_bad_attribute: return "fehlerhaftes Attribut";
    case pugi::status_bad_end_element: return "fehlerhaftes Endtag";
    case pugi::status_end_element_mismatch: return "Endtag passt nicht zum Starttag";
    case pugi::status_append_invalid_root: return "ungültiges Wurzelelement";
    case pugi::status_no_document_element: return "kein Wurzelelement";
    default: return "nicht lesbar";
  }
}

}  // namespace

std::optional<std::int64_t> ParseXdfInt(std::string_view t) {
  auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!t.empty() && blank(t.front())) t.remove_prefix(1);
  while (!t.empty() && blank(t.back())) t.remove_suffix(1);
  bool negative = false;
  if (!t.empty() && (t.front() == '-' || t.front() == '+')) {
    negative = t.front() == '-';
    t.remove_prefix(1);
  }
  int base = 10;
  if (t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) {
    base = 16;
    t.remove_prefix(2);
  }
  if (t.empty()) return std::nullopt;
  constexpr std::int64_t kLimit = std::int64_t{1} << 62;
  std::int64_t v = 0;
  for (char c : t) {
    int d = -1;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F') d = c - 'A' + 10;
    if (d < 0) return std::nullopt;
    if (v > (kLimit - d) / base) return std::nullopt;
    v = v * base + d;
  }
  return negative ? -v : v;
}

std::string DecodeXdfText(std::span<const std::uint8_t> b) {
  auto starts = [&](std::initializer_list<std::uint8_t> p) {
    return b.size() >= p.size() && std::equal(p.begin(), p.end(), b.begin());
  };
  if (starts({0xFF, 0xFE})) return FromUtf16(b.subspan(2), false);
  if (starts({0xFE, 0xFF})) return FromUtf16(b.subspan(2), true);
  if (starts({0xEF, 0xBB, 0xBF})) b = b.subspan(3);
  // UTF-16 without a mark still starts with "<" and a zero byte.
  else if (starts({'<', 0})) return FromUtf16(b, false);
  else if (starts({0, '<'})) return FromUtf16(b, true);
  const std::string_view raw(reinterpret_cast<const char*>(b.data()), b.size());
  if (ValidUtf8(raw)) return std::string(raw);
  return Cp1252ToUtf8(raw);
}

XdfDocument ReadXdf(std::span<const std::uint8_t> bytes) {
  if (static_cast<std::int64_t>(bytes.size()) > kMaxXdfBytes)
    throw EXdfError("Die XDF-Datei ist größer als 64 MiB und wird nicht gelesen.");
  std::string text = DecodeXdfText(bytes);
  const std::size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) throw EXdfError("Die XDF-Datei ist leer.");
  if (text[first] != '<')
    throw EXdfError(
        "Die Datei ist keine XDF-Datei im XML-Format (geschützte oder binäre XDF-Dateien können nicht gelesen "
        "werden).");
  if (text.find('\0') != std::string::npos)
    throw EXdfError("Die XDF-Datei enthält Nullbytes und ist daher keine lesbare XML-Datei.");
  // No XDF declares a document type; refusing one keeps entity and DTD tricks out.
  if (text.find("<!DOCTYPE") != std::string::npos)
    throw EXdfError("Die XDF-Datei enthält eine DOCTYPE-Angabe; solche Dateien werden nicht gelesen.");

  InstallTreeAllocator();
  pugi::xml_document xml;
  const pugi::xml_parse_result r =
      xml.load_buffer_inplace(text.data(), text.size(), pugi::parse_default, pugi::encoding_utf8);
  if (!r) {
    if (r.status == pugi::status_out_of_memory)
      throw EXdfError("Die XDF-Datei ist zu groß oder zu tief verschachtelt (Speichergrenze erreicht).");
    const auto offset = static_cast<std::size_t>(std::clamp<std::ptrdiff_t>(r.offset, 0, static_cast<std::ptrdiff_t>(text.size())));
    if (offset + 1 >= text.size())
      throw EXdfError("Die XDF-Datei ist unvollständig (sie endet mitten in einem Element).");
    // The parser wrote terminators into the text; count lines on the bytes before the fault.
    const std::size_t line = 1 + static_cast<std::size_t>(std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(offset), '\n'));
    throw EXdfError("Die XDF-Datei ist kein gültiges XML (Zeile " + std::to_string(line) + ": " +
                    StatusText(r.status) + ").");
  }
  const pugi::xml_node root = xml.document_element();
  if (!Is(root, "XDFFORMAT"))
    throw EXdfError("Die Datei ist keine XDF-Datei (das Wurzelelement heißt nicht XDFFORMAT).");

  XdfDocument doc;
  doc.version = AttrText(root, "version").substr(0, 32);
  std::size_t count = 0;
  for (pugi::xml_node c : root.children())
    if (c.type() == pugi::node_element && IsItem(c.name())) ++count;
  if (count > kMaxXdfItems)
    throw EXdfError("Die XDF-Datei enthält mehr als " + std::to_string(kMaxXdfItems) +
                    " Einträge und wird nicht gelesen.");
  doc.items.reserve(count);
  for (pugi::xml_node c : root.children()) {
    if (c.type() != pugi::node_element) continue;
    std::optional<XdfItemKind> kind;
    if (SameName(c.name(), "XDFHEADER")) ReadHeader(c, doc);
    else if (SameName(c.name(), "XDFTABLE")) kind = XdfItemKind::Table;
    else if (SameName(c.name(), "XDFCONSTANT")) kind = XdfItemKind::Constant;
    else if (SameName(c.name(), "XDFFUNCTION")) kind = XdfItemKind::Function;
    else if (SameName(c.name(), "XDFFLAG")) kind = XdfItemKind::Flag;
    else if (SameName(c.name(), "XDFCHECKSUM")) kind = XdfItemKind::Checksum;
    else if (SameName(c.name(), "XDFPATCH")) kind = XdfItemKind::Patch;
    if (kind) doc.items.push_back(ReadItem(c, *kind));
  }
  return doc;
}

}  // namespace orv
