// The 3D view chain, the scene drawing, the line chart and the mouse drag.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "graphics/ViewModel.h"
#include "support/RecordingCanvas.h"

namespace orv {
namespace {

using Line = RecordingCanvas::Line;

ActiveMap MakeMap(int nx, int ny, const std::string& typ, std::int32_t address = 0, int kreuz = 1) {
  ActiveMap m;
  m.KfNummer = 1;
  m.KfXDim = nx;
  m.KfYDim = ny;
  m.KfZellen = nx * ny;
  m.KfTyp = typ;
  m.KfAdresse = address;
  m.KfKreuz = kreuz;
  m.KfXText = "Drehzahl";
  m.KfYText = "Last \xB0";  // a Windows-1252 byte passes through untouched
  return m;
}

// Loads bytes as an image the way the loader leaves it: file bytes plus one spare byte.
void SetImage(ImageSet& img, ImageKind kind, std::vector<std::uint8_t> bytes) {
  const auto size = static_cast<std::int32_t>(bytes.size());
  bytes.push_back(0);
  if (kind == ImageKind::Original) {
    img.OriginalPuffer = std::move(bytes);
    img.OriginalGroesse = size;
  } else {
    img.TuningPuffer = std::move(bytes);
    img.TuningGroesse = size;
  }
}

class GraphicsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    BuildTrigTables(trig);
    ViewStart(view, 800, 600);
  }
  // Runs the chain up to the screen points, without drawing.
  void Chain(const ActiveMap& m) {
    BuildModelPoints(*scene, view, flags, m, images);
    RotatePoints(*scene, trig, view, flags, m, images);
    ZoomPoints(*scene, view, flags, m, images);
    PanPoints(*scene, view, flags, m, images);
    ProjectPoints(*scene, view, flags, m, images);
  }
  Point2i Screen(int dx, int dy) const { return Point2i{view.MitteX + dx, view.MitteY + dy}; }

  TrigTables trig;
  ViewParams view;
  SceneFlags flags;
  ImageSet images;
  WindowColours colours_;
  std::unique_ptr<Scene> scene = std::make_unique<Scene>();
  RecordingCanvas canvas{800, 600};
};

// ---------------------------------------------------------------- start state

TEST(GraphicsViewStart, CentreFromClientSize) {
  struct Case { int w, h, mx, my; };
  const Case cases[] = {
      {800, 600, 400, 462},  // 600 div 14 = 42, times 11
      {640, 480, 320, 408},  // 480 div 14 = 34, times 12
      {641, 481, 320, 374},  // 481 div 14 = 34, times 11
      {100, 14, 50, 12},
      {1, 13, 0, 0},
  };
  for (const Case& c : cases) {
    ViewParams v;
    v.Drehwinkel = 17;
    v.MausX = 5;
    ViewStart(v, c.w, c.h);
    EXPECT_EQ(v.MitteX, c.mx) << c.w << "x" << c.h;
    EXPECT_EQ(v.MitteY, c.my) << c.w << "x" << c.h;
    EXPECT_EQ(v.Drehwinkel, 235);
    EXPECT_EQ(v.Schraegwinkel, 11);
    EXPECT_EQ(v.Zoomfaktor, 0.4);
    EXPECT_EQ(v.Hoehenfaktor, 1.0);
    EXPECT_EQ(v.Sichtabstand, 2500);
    EXPECT_EQ(v.Feldbreite, 640);
    EXPECT_EQ(v.Feldtiefe, 640);
    EXPECT_EQ(v.MausX, 0);
    EXPECT_EQ(v.MausLetztX, 0);
  }
}

TEST(GraphicsViewStart, ResetBringsBackAnglesOnly) {
  ViewParams v;
  ViewStart(v, 800, 600);
  v.Drehwinkel = 7;
  v.Schraegwinkel = 70;
  v.Zoomfaktor = 1.0;
  v.Hoehenfaktor = 0.8;
  v.MitteX = 123;
  v.MitteY = 45;
  ResetViewAngles(v);
  EXPECT_EQ(v.Drehwinkel, 235);
  EXPECT_EQ(v.Schraegwinkel, 11);
  EXPECT_EQ(v.Zoomfaktor, 0.4);
  EXPECT_EQ(v.Hoehenfaktor, 1.0);
  EXPECT_EQ(v.MitteX, 123);
  EXPECT_EQ(v.MitteY, 45);
}

TEST(GraphicsTrig, TablesHoldWholeDegrees) {
  TrigTables t;
  BuildTrigTables(t);
  EXPECT_DOUBLE_EQ(t.SinTabelle[0], 0.0);
  EXPECT_DOUBLE_EQ(t.CosTabelle[0], 1.0);
  EXPECT_DOUBLE_EQ(t.SinTabelle[90], 1.0);
  EXPECT_NEAR(t.CosTabelle[90], 0.0, 1e-15);
  EXPECT_NEAR(t.SinTabelle[30], 0.5, 1e-15);
  EXPECT_NEAR(t.CosTabelle[180], -1.0, 1e-15);
  EXPECT_NEAR(t.SinTabelle[360], 0.0, 1e-15);
  EXPECT_NEAR(t.SinTabelle[235], -0.8191520442889918, 1e-15);
}

// ---------------------------------------------------------------- projection

TEST_F(GraphicsTest, FloorCornersLandAtStartView) {
  const ActiveMap m = MakeMap(2, 2, "N");
  Chain(m);
  const auto& f = scene->Boden;
  // Column lines first: (-320,0,-320)-(-320,0,320), (320,0,-320)-(320,0,320).
  EXPECT_EQ(f.Modellpunkte[1].x, -320);
  EXPECT_EQ(f.Modellpunkte[1].z, -320);
  EXPECT_EQ(f.Modellpunkte[4].x, 320);
  EXPECT_EQ(f.Modellpunkte[4].z, 320);
  EXPECT_EQ(f.Bildpunkte[1], Screen(180, -6));    // (-320, 0, -320)
  EXPECT_EQ(f.Bildpunkte[3], Screen(29, 32));     // (320, 0, -320)
  EXPECT_EQ(f.Bildpunkte[2], Screen(-34, -37));   // (-320, 0, 320)
  EXPECT_EQ(f.Bildpunkte[4], Screen(-176, 6));    // (320, 0, 320)
  // Row lines repeat the same corners.
  EXPECT_EQ(f.Bildpunkte[5], Screen(180, -6));
  EXPECT_EQ(f.Bildpunkte[6], Screen(29, 32));
  EXPECT_EQ(f.Bildpunkte[7], Screen(-34, -37));
  EXPECT_EQ(f.Bildpunkte[8], Screen(-176, 6));
}

TEST_F(GraphicsTest, CentreCellHeightsLandAboveTheCentre) {
  // 3 by 3 cells: the middle cell stands at x = 0, z = 0.
  const ActiveMap m = MakeMap(3, 3, "N");
  SetImage(images, ImageKind::Tuning, {0, 0, 0, 0, 255, 0, 0, 0, 0});
  SetImage(images, ImageKind::Original, std::vector<std::uint8_t>(9, 0));
  flags.TuningZeigen = flags.OriginalZeigen = true;
  Chain(m);
  const Point3i top = scene->Tuning.Modellpunkte[5];
  EXPECT_EQ(top.x, 0);
  EXPECT_EQ(top.y, 510);
  EXPECT_EQ(top.z, 0);
  EXPECT_EQ(scene->Tuning.Bildpunkte[5], Screen(0, -197));
  EXPECT_EQ(scene->Original.Bildpunkte[5], Screen(0, 0));
}

TEST_F(GraphicsTest, OriginStaysAtCentreForEveryView) {
  const ActiveMap m = MakeMap(3, 3, "N");
  SetImage(images, ImageKind::Tuning, std::vector<std::uint8_t>(9, 0));
  flags.TuningZeigen = true;
  for (int turn : {1, 13, 90, 181, 235, 359}) {
    for (int tilt : {1, 11, 45, 70}) {
      for (double zoom : {0.2, 0.4, 1.0}) {
        view.Drehwinkel = turn;
        view.Schraegwinkel = tilt;
        view.Zoomfaktor = zoom;
        view.MitteX = 321;
        view.MitteY = 77;
        Chain(m);
        EXPECT_EQ(scene->Tuning.Bildpunkte[5], (Point2i{321, 77})) << turn << " " << tilt << " " << zoom;
      }
    }
  }
}

TEST_F(GraphicsTest, HiddenLayerKeepsItsLastPoints) {
  const ActiveMap m = MakeMap(2, 2, "N");
  Chain(m);
  const Point2i before = scene->Boden.Bildpunkte[1];
  flags.BodengitterZeigen = false;
  view.Drehwinkel = 10;
  Chain(m);
  EXPECT_EQ(scene->Boden.Bildpunkte[1], before);
  EXPECT_NE(scene->Kreuz.Bildpunkte[1], Point2i{});
}

TEST_F(GraphicsTest, RoundingHalvesGoToEven) {
  // A zoomed point at depth 0 projects onto its own x and -y.
  struct Case { double half; int screen; };
  const Case cases[] = {{0.5, 0}, {1.5, 2}, {2.5, 2}, {-0.5, 0}, {-1.5, -2}, {-2.5, -2}, {3.5, 4}, {2.49, 2}, {2.51, 3}};
  view.MitteX = view.MitteY = 0;
  flags.KreuzZeigen = false;
  flags.TuningZeigen = true;
  SetImage(images, ImageKind::Tuning, {0, 0, 0, 0});
  const ActiveMap m = MakeMap(2, 2, "N");
  for (const Case& c : cases) {
    scene->Tuning.Zoompunkte[1] = Point3d{c.half, 0, 0};
    scene->Tuning.Zoompunkte[2] = Point3d{0, -c.half, 0};
    ProjectPoints(*scene, view, flags, m, images);
    EXPECT_EQ(scene->Tuning.Bildpunkte[1].x, c.screen) << c.half;
    EXPECT_EQ(scene->Tuning.Bildpunkte[2].y, c.screen) << c.half;
  }
}

// ---------------------------------------------------------------- model points

TEST_F(GraphicsTest, HeightsByTypeAndStretch) {
  struct Case {
    const char* typ;
    std::vector<std::uint8_t> bytes;  // one cell, repeated for all four cells
    double stretch;
    int height;
    bool isSigned = false;
  };
  const Case cases[] = {
      {"N", {255}, 1.0, 510},
      {"N", {255}, 1.5, 765},
      {"N", {1}, 1.0, 2},
      {"N", {3}, 0.8, 4},  // 4.8 cut to 4
      {"M16", {0xFF, 0xFF}, 1.0, 511},
      {"M16", {0xFF, 0xFF}, 1.5, 766},  // 766.5 cut to 766
      {"M16", {0x01, 0x00}, 1.0, 2},    // 256 div 128
      {"M16", {0x00, 0x7F}, 1.0, 0},    // 127 div 128
      {"I16", {0x00, 0x01}, 1.0, 2},    // second byte high
      {"I16", {0x01, 0x00}, 1.0, 0},
      {"I16", {0x80, 0x40}, 1.0, 129},  // 0x4080 = 16512
      {"M32", {0xFF, 0xFF, 0x7F, 0xFF}, 1.0, 511},  // 0x7FFFFFFF
      {"I32", {0x00, 0x00, 0x40, 0x00}, 1.0, 1},    // 2^22
      {"I32", {0x00, 0x00, 0x00, 0x80}, 1.0, 0},    // negative reads as 0
      {"K", {0x01, 0x00}, 1.0, 2},                  // unknown codes: first byte high
      {"N8", {0x00, 0x01}, 1.0, 0},
      // Signed cells: zero on the floor, the range from -256 to 255, 16 and 32 bits rounded down.
      {"N", {0x80}, 1.0, -256, true},
      {"N", {0x7F}, 1.0, 254, true},
      {"N", {0xFF}, 1.5, -3, true},
      {"N", {0x81}, 0.8, -203, true},                     // -203.2 cut toward zero
      {"M16", {0x80, 0x00}, 1.0, -256, true},
      {"M16", {0x7F, 0xFF}, 1.0, 255, true},
      {"M16", {0xFF, 0xFF}, 1.0, -1, true},               // -1 / 128 rounded down
      {"M16", {0xFF, 0x7F}, 1.0, -2, true},               // -129
      {"M16", {0x00, 0x7F}, 1.0, 0, true},
      {"I16", {0x00, 0x80}, 1.0, -256, true},
      {"I16", {0xFF, 0x7F}, 1.0, 255, true},
      {"M32", {0x00, 0x00, 0x80, 0x00}, 1.0, -256, true},  // -2^31
      {"M32", {0xFF, 0xFF, 0x7F, 0xFF}, 1.0, 255, true},   // 2^31 - 1
      {"I32", {0xFF, 0xFF, 0xFF, 0xFF}, 1.0, -1, true},
      {"K", {0xFF, 0x00}, 1.0, -2, true},                  // unknown codes: signed, first byte high
  };
  flags.TuningZeigen = true;
  for (const Case& c : cases) {
    std::vector<std::uint8_t> bytes;
    for (int i = 0; i < 4; ++i) bytes.insert(bytes.end(), c.bytes.begin(), c.bytes.end());
    SetImage(images, ImageKind::Tuning, bytes);
    view.Hoehenfaktor = c.stretch;
    ActiveMap m = MakeMap(2, 2, c.typ);
    m.KfSigned = c.isSigned;
    BuildModelPoints(*scene, view, flags, m, images);
    for (int k = 1; k <= 4; ++k)
      EXPECT_EQ(scene->Tuning.Modellpunkte[k].y, c.height) << c.typ << " x" << c.stretch << " signed " << c.isSigned;
  }
}

TEST_F(GraphicsTest, ColumnAndRowPlaces) {
  struct Case { int n; std::vector<int> places; };
  const Case cases[] = {
      {2, {-320, 320}},
      {3, {-320, 0, 320}},
      {4, {-320, -106, 106, 320}},  // 213.33 steps, cut toward zero
      {7, {-320, -213, -106, 0, 106, 213, 320}},
  };
  flags.OriginalZeigen = true;
  SetImage(images, ImageKind::Original, std::vector<std::uint8_t>(64, 0));
  for (const Case& c : cases) {
    const ActiveMap m = MakeMap(c.n, 2, "N");
    BuildModelPoints(*scene, view, flags, m, images);
    for (int col = 0; col < c.n; ++col) {
      EXPECT_EQ(scene->Original.Modellpunkte[col + 1].x, c.places[col]) << c.n;
      EXPECT_EQ(scene->Original.Modellpunkte[c.n + col + 1].z, 320) << c.n;
      EXPECT_EQ(scene->Boden.Modellpunkte[2 * col + 1].x, c.places[col]) << c.n;
    }
    const ActiveMap rows = MakeMap(2, c.n, "N");
    BuildModelPoints(*scene, view, flags, rows, images);
    for (int r = 0; r < c.n; ++r) {
      EXPECT_EQ(scene->Original.Modellpunkte[2 * r + 1].z, c.places[r]) << c.n;
      EXPECT_EQ(scene->Boden.Modellpunkte[4 + 2 * r + 1].z, c.places[r]) << c.n;
    }
  }
}

TEST_F(GraphicsTest, EveryColumnCountReachesBothEdges) {
  flags.OriginalZeigen = true;
  SetImage(images, ImageKind::Original, std::vector<std::uint8_t>(4096, 0));
  for (int n = 2; n <= 64; ++n) {
    const ActiveMap m = MakeMap(n, n, "N");
    BuildModelPoints(*scene, view, flags, m, images);
    EXPECT_EQ(scene->Original.Modellpunkte[1].x, -320) << n;
    EXPECT_EQ(scene->Original.Modellpunkte[n].x, 320) << n;
    EXPECT_EQ(scene->Original.Modellpunkte[n * n].z, 320) << n;
  }
}

TEST_F(GraphicsTest, SurfaceNeedsFlagAndImage) {
  const ActiveMap m = MakeMap(2, 2, "N");
  SetImage(images, ImageKind::Original, {10, 10, 10, 10});
  flags.TuningZeigen = true;  // set, but no tuning image
  flags.OriginalZeigen = false;  // image, but hidden
  ASSERT_TRUE(flags.VergleichZeigen);  // on from the start, but no comparison image
  RedrawView(*scene, trig, view, flags, m, images, colours_, canvas);
  EXPECT_EQ(canvas.LineCount(colours::White), 0u);
  EXPECT_EQ(canvas.LineCount(colours::Lime), 0u);
  EXPECT_EQ(canvas.LineCount(colours::Fuchsia), 0u);
  EXPECT_EQ(scene->Original.Modellpunkte[1].y, 0);
  EXPECT_EQ(scene->Tuning.Modellpunkte[1].y, 0);

  images.VergleichPuffer = {20, 20, 20, 20, 0};
  images.VergleichGroesse = 4;
  flags.VergleichZeigen = false;  // image, but hidden
  RedrawView(*scene, trig, view, flags, m, images, colours_, canvas);
  EXPECT_EQ(canvas.LineCount(colours::Fuchsia), 0u);
  EXPECT_EQ(scene->Vergleich.Modellpunkte[1].y, 0);
  flags.VergleichZeigen = true;
  RedrawView(*scene, trig, view, flags, m, images, colours_, canvas);
  EXPECT_EQ(canvas.LineCount(colours::Fuchsia), 4u);
  EXPECT_EQ(scene->Vergleich.Modellpunkte[1].y, 40);
}

TEST_F(GraphicsTest, MapPastImageEndReadsOnlyInside) {
  // Ten bytes; a 4 by 4 byte map from offset 4 has cells 1 to 6 inside.
  std::vector<std::uint8_t> bytes(10);
  for (int i = 0; i < 10; ++i) bytes[i] = static_cast<std::uint8_t>(100 + i);
  SetImage(images, ImageKind::Tuning, bytes);
  images.TuningPuffer.back() = 200;  // the spare byte is not part of the image
  flags.TuningZeigen = true;
  RedrawView(*scene, trig, view, flags, MakeMap(4, 4, "N", 4), images, colours_, canvas);
  for (int k = 1; k <= 16; ++k) EXPECT_EQ(scene->Tuning.Modellpunkte[k].y, k <= 6 ? 2 * (103 + k) : 0) << k;
  EXPECT_EQ(canvas.LineCount(colours::White), 24u);

  // Two-byte cells: cell 5 would need bytes 9 and 10; only byte 9 exists.
  RedrawView(*scene, trig, view, flags, MakeMap(3, 2, "M16", 1), images, colours_, canvas);
  EXPECT_EQ(scene->Tuning.Modellpunkte[4].y, (107 * 256 + 108) / 128);
  EXPECT_EQ(scene->Tuning.Modellpunkte[5].y, 0);
  EXPECT_EQ(scene->Tuning.Modellpunkte[6].y, 0);

  // A start before the image reads nothing at all.
  RedrawView(*scene, trig, view, flags, MakeMap(2, 2, "I16", -2), images, colours_, canvas);
  EXPECT_EQ(scene->Tuning.Modellpunkte[1].y, 0);
  EXPECT_EQ(scene->Tuning.Modellpunkte[2].y, (101 * 256 + 100) / 128);

  // 32-bit cells past the end.
  RedrawView(*scene, trig, view, flags, MakeMap(2, 2, "I32", 4), images, colours_, canvas);
  EXPECT_EQ(scene->Tuning.Modellpunkte[2].y, 0);
}

TEST_F(GraphicsTest, OversizedMapsAreNeverBuilt) {
  flags.TuningZeigen = true;
  SetImage(images, ImageKind::Tuning, std::vector<std::uint8_t>(20000, 255));
  scene->Tuning.Modellpunkte[1] = Point3i{1, 2, 3};
  scene->Boden.Modellpunkte[1] = Point3i{1, 2, 3};
  for (const ActiveMap& m : {MakeMap(65, 2, "N"), MakeMap(2, 65, "N"), MakeMap(100, 100, "N"), MakeMap(0, 5, "N"),
                             MakeMap(-3, 5, "N")}) {
    BuildModelPoints(*scene, view, flags, m, images);
    EXPECT_EQ(scene->Tuning.Modellpunkte[1].x, 1);
    EXPECT_EQ(scene->Boden.Modellpunkte[1].x, 1);
    canvas.Clear();
    RedrawView(*scene, trig, view, flags, m, images, colours_, canvas);
    EXPECT_EQ(canvas.LineCount(colours::White), 0u);
    EXPECT_EQ(canvas.LineCount(colours::Gray), 0u);
  }
  ActiveMap lying = MakeMap(4, 4, "N");
  lying.KfZellen = 5000;
  BuildModelPoints(*scene, view, flags, lying, images);
  EXPECT_EQ(scene->Tuning.Modellpunkte[1].x, 1);
}

TEST_F(GraphicsTest, FullMapFillsEverySlot) {
  flags.TuningZeigen = true;
  SetImage(images, ImageKind::Tuning, std::vector<std::uint8_t>(8192, 0xFF));
  const ActiveMap m = MakeMap(64, 64, "M16");
  RedrawView(*scene, trig, view, flags, m, images, colours_, canvas);
  EXPECT_EQ(scene->Tuning.Modellpunkte[4096].x, 320);
  EXPECT_EQ(scene->Tuning.Modellpunkte[4096].y, 511);
  EXPECT_EQ(scene->Tuning.Modellpunkte[4096].z, 320);
  EXPECT_EQ(canvas.LineCount(colours::White), 2u * 64 * 63);
  EXPECT_EQ(canvas.LineCount(colours::Gray), 128u);
}

// ---------------------------------------------------------------- cross

TEST_F(GraphicsTest, CrossPointsByCorner) {
  const int a = 345, b = 345, a2 = 365, b2 = 365;
  struct Case { int corner; Point3i p[10]; };
  const Case cases[] = {
      {1, {{}, {-a, -20, -b}, {-a, -20, b}, {-a, -20, -b}, {a, -20, -b}, {-a, -20, -b}, {-a, 550, -b},
           {-a, -50, b2}, {a2, -50, -b}, {-a, 600, -b}}},
      {2, {{}, {a, -20, -b}, {a, -20, b}, {a, -20, -b}, {-a, -20, -b}, {a, -20, -b}, {a, 550, -b},
           {a, -50, b2}, {-a2, -50, -b}, {a, 600, -b}}},
      {3, {{}, {-a, -20, b}, {a, -20, b}, {-a, -20, b}, {-a, -20, -b}, {-a, -20, b}, {-a, 550, b},
           {a2, -50, b}, {-a, -50, -b2}, {-a, 600, b}}},
      {4, {{}, {a, -20, b}, {a, -20, -b}, {a, -20, b}, {-a, -20, b}, {a, -20, b}, {a, 550, b},
           {a, -50, -b2}, {-a2, -50, b}, {a, 600, b}}},
  };
  for (const Case& c : cases) {
    BuildModelPoints(*scene, view, flags, MakeMap(2, 2, "N", 0, c.corner), images);
    for (int i = 1; i <= 9; ++i) {
      const Point3i& got = scene->Kreuz.Modellpunkte[i];
      EXPECT_EQ(got.x, c.p[i].x) << "K" << c.corner << " slot " << i;
      EXPECT_EQ(got.y, c.p[i].y) << "K" << c.corner << " slot " << i;
      EXPECT_EQ(got.z, c.p[i].z) << "K" << c.corner << " slot " << i;
    }
    for (int i = 10; i <= 15; ++i) EXPECT_EQ(scene->Kreuz.Modellpunkte[i].x, 0);
  }
}

TEST_F(GraphicsTest, CrossAxesRunByCorner) {
  // In K1, K2 and K4 the axis 1-2 runs along the rows (z) and 3-4 along the
  // columns (x); K3 swaps them.
  for (int corner = 1; corner <= 4; ++corner) {
    BuildModelPoints(*scene, view, flags, MakeMap(2, 2, "N", 0, corner), images);
    const auto& p = scene->Kreuz.Modellpunkte;
    const bool swapped = corner == 3;
    EXPECT_EQ(p[1].x == p[2].x, !swapped) << corner;
    EXPECT_EQ(p[1].z == p[2].z, swapped) << corner;
    EXPECT_EQ(p[3].z == p[4].z, !swapped) << corner;
    EXPECT_EQ(p[3].x == p[4].x, swapped) << corner;
  }
}

TEST_F(GraphicsTest, UnknownCornerKeepsLastCross) {
  BuildModelPoints(*scene, view, flags, MakeMap(2, 2, "N", 0, 2), images);
  const auto before = scene->Kreuz.Modellpunkte;
  for (int corner : {0, 5, -1}) {
    BuildModelPoints(*scene, view, flags, MakeMap(2, 2, "N", 0, corner), images);
    for (int i = 1; i <= 9; ++i) EXPECT_EQ(scene->Kreuz.Modellpunkte[i].x, before[i].x) << corner;
  }
  flags.KreuzZeigen = false;
  BuildModelPoints(*scene, view, flags, MakeMap(2, 2, "N", 0, 1), images);
  EXPECT_EQ(scene->Kreuz.Modellpunkte[1].x, before[1].x);
}

// ---------------------------------------------------------------- drawing

TEST_F(GraphicsTest, LineCountsOfFloorAndSurfaces) {
  struct Case { int nx, ny; std::size_t floor, surface; };
  const Case cases[] = {{3, 2, 5, 7}, {2, 3, 5, 7}, {2, 2, 4, 4}, {16, 16, 32, 480}, {64, 64, 128, 8064}};
  flags.TuningZeigen = flags.OriginalZeigen = true;
  flags.KreuzZeigen = false;
  SetImage(images, ImageKind::Tuning, std::vector<std::uint8_t>(4096, 1));
  SetImage(images, ImageKind::Original, std::vector<std::uint8_t>(4096, 2));
  for (const Case& c : cases) {
    canvas.Clear();
    RedrawView(*scene, trig, view, flags, MakeMap(c.nx, c.ny, "N"), images, colours_, canvas);
    EXPECT_EQ(canvas.LineCount(colours::Gray), c.floor) << c.nx << "x" << c.ny;
    EXPECT_EQ(canvas.LineCount(colours::White), c.surface) << c.nx << "x" << c.ny;
    EXPECT_EQ(canvas.LineCount(colours::Lime), c.surface) << c.nx << "x" << c.ny;
    EXPECT_EQ(canvas.Lines().size(), c.floor + 2 * c.surface);
  }
}

TEST_F(GraphicsTest, SurfaceLinesRowsFirstThenColumns) {
  flags.TuningZeigen = true;
  flags.KreuzZeigen = flags.BodengitterZeigen = false;
  const ActiveMap m = MakeMap(3, 2, "N");
  SetImage(images, ImageKind::Tuning, std::vector<std::uint8_t>(6, 0));
  Chain(m);
  for (int k = 1; k <= 6; ++k) scene->Tuning.Bildpunkte[k] = Point2i{k, 10 * k};
  DrawScene(*scene, flags, m, images, colours_, canvas);
  const std::vector<Line> want = {
      {1, 10, 2, 20, colours::White}, {2, 20, 3, 30, colours::White},  // row 1
      {4, 40, 5, 50, colours::White}, {5, 50, 6, 60, colours::White},  // row 2
      {1, 10, 4, 40, colours::White}, {2, 20, 5, 50, colours::White}, {3, 30, 6, 60, colours::White},
  };
  EXPECT_EQ(canvas.Lines(), want);
  // Each line is a move to its first point and a line to its second.
  const auto& calls = canvas.Calls();
  ASSERT_EQ(calls.size(), 2u + 2 * want.size());
  for (std::size_t i = 2; i < calls.size(); i += 2) {
    EXPECT_EQ(calls[i].op, RecordingCanvas::Op::MoveTo);
    EXPECT_EQ(calls[i + 1].op, RecordingCanvas::Op::LineTo);
  }
}

TEST_F(GraphicsTest, LayerOrderColoursAndTexts) {
  flags.TuningZeigen = flags.OriginalZeigen = flags.PfeilZeigen = true;
  flags.PfeilZelle = 3;
  colours_.background = colours::Silver;
  SetImage(images, ImageKind::Tuning, std::vector<std::uint8_t>(16, 1));
  SetImage(images, ImageKind::Original, std::vector<std::uint8_t>(16, 2));
  images.VergleichPuffer.assign(17, 3);
  images.VergleichGroesse = 16;
  const ActiveMap m = MakeMap(3, 2, "N");
  RedrawView(*scene, trig, view, flags, m, images, colours_, canvas);
  ASSERT_FALSE(canvas.Calls().empty());
  EXPECT_EQ(canvas.Calls().front().op, RecordingCanvas::Op::Erase);
  EXPECT_EQ(canvas.Erases(), std::vector<Rgb>{colours::Silver});
  const std::vector<Rgb> pens = {colours::Yellow, colours::Gray, colours::Fuchsia,
                                 colours::White,  colours::Lime, colours::Red};
  EXPECT_EQ(canvas.PenSequence(), pens);
  EXPECT_EQ(canvas.LineCount(colours::Yellow), 3u);
  EXPECT_EQ(canvas.LineCount(colours::Red), 3u);

  const auto& k = scene->Kreuz.Bildpunkte;
  const std::vector<RecordingCanvas::Text> texts = {
      {k[7].x, k[7].y, m.KfYText}, {k[8].x, k[8].y, m.KfXText}, {k[9].x, k[9].y, "100%"}};
  EXPECT_EQ(canvas.Texts(), texts);
  const auto yellow = canvas.LinesOf(colours::Yellow);
  EXPECT_EQ(yellow[0], (Line{k[1].x, k[1].y, k[2].x, k[2].y, colours::Yellow}));
  EXPECT_EQ(yellow[2], (Line{k[5].x, k[5].y, k[6].x, k[6].y, colours::Yellow}));
  // The upright axis points up on the screen.
  EXPECT_LT(k[6].y, k[5].y);
}

TEST_F(GraphicsTest, CrossSwitchedOffRemovesAxesAndTexts) {
  flags.KreuzZeigen = false;
  RedrawView(*scene, trig, view, flags, MakeMap(3, 2, "N"), images, colours_, canvas);
  EXPECT_EQ(canvas.LineCount(colours::Yellow), 0u);
  EXPECT_TRUE(canvas.Texts().empty());
  EXPECT_EQ(canvas.LineCount(colours::Gray), 5u);
}

TEST_F(GraphicsTest, OneRowMapDrawsTheCrossAlone) {
  flags.TuningZeigen = true;
  SetImage(images, ImageKind::Tuning, std::vector<std::uint8_t>(16, 1));
  RedrawView(*scene, trig, view, flags, MakeMap(5, 1, "N"), images, colours_, canvas);
  EXPECT_EQ(canvas.LineCount(colours::Yellow), 3u);
  EXPECT_EQ(canvas.Lines().size(), 3u);
  EXPECT_EQ(scene->Tuning.Modellpunkte[5].x, 320);
  EXPECT_EQ(scene->Tuning.Modellpunkte[5].z, -320);
}

TEST_F(GraphicsTest, ArrowAtCell) {
  flags = SceneFlags{false, false, false, false, true, 4};
  const ActiveMap m = MakeMap(3, 2, "N");
  scene->Tuning.Bildpunkte[4] = Point2i{100, 200};
  DrawScene(*scene, flags, m, images, colours_, canvas);
  const std::vector<Line> want = {{100, 200, 100, 165, colours::Red},
                                  {100, 200, 103, 185, colours::Red},
                                  {100, 200, 97, 185, colours::Red}};
  EXPECT_EQ(canvas.Lines(), want);
  EXPECT_EQ(canvas.Calls().size(), 2u + 6u);  // erase, pen, three move-line pairs

  for (int cell : {0, -1, 7, 23, 5000}) {
    canvas.Clear();
    flags.PfeilZelle = cell;
    DrawScene(*scene, flags, m, images, colours_, canvas);
    EXPECT_TRUE(canvas.Lines().empty()) << cell;
  }
  canvas.Clear();
  flags.PfeilZelle = 6;  // the last cell counts
  DrawScene(*scene, flags, m, images, colours_, canvas);
  EXPECT_EQ(canvas.Lines().size(), 3u);
}

// ---------------------------------------------------------------- chart

class GraphicsChartTest : public GraphicsTest {
 protected:
  void SetUp() override {
    GraphicsTest::SetUp();
    flags.TuningZeigen = flags.OriginalZeigen = true;
  }
};

TEST_F(GraphicsChartTest, NineRowsAt800x600) {
  std::vector<std::uint8_t> tun(9, 0), org(9, 50);
  tun[0] = 100;
  tun[8] = 255;
  SetImage(images, ImageKind::Tuning, tun);
  SetImage(images, ImageKind::Original, org);
  for (const ActiveMap& m : {MakeMap(1, 9, "N", 0, 1), MakeMap(9, 1, "N", 0, 1)}) {
    canvas.Clear();
    DrawCurveChart(*scene, flags, m, images, colours_, canvas);
    const auto white = canvas.LinesOf(colours::White);
    ASSERT_EQ(white.size(), 8u);
    EXPECT_EQ(white[0], (Line{70, 460, 152, 560, colours::White}));
    EXPECT_EQ(white[7], (Line{644, 560, 726, 305, colours::White}));
    for (int i = 0; i < 9; ++i) EXPECT_EQ(scene->Tuning.Bildpunkte[i + 1].x, 70 + 82 * i);
    EXPECT_EQ(scene->Tuning.Bildpunkte[1].y, 460);
    EXPECT_EQ(scene->Tuning.Bildpunkte[9].y, 305);

    const auto gray = canvas.LinesOf(colours::Gray);
    ASSERT_EQ(gray.size(), 11u);
    EXPECT_EQ(gray[0], (Line{70, 560, 70, 305, colours::Gray}));
    EXPECT_EQ(gray[8], (Line{726, 560, 726, 305, colours::Gray}));
    EXPECT_EQ(gray[9], (Line{70, 560, 726, 560, colours::Gray}));
    EXPECT_EQ(gray[10], (Line{70, 305, 726, 305, colours::Gray}));

    const auto lime = canvas.LinesOf(colours::Lime);
    ASSERT_EQ(lime.size(), 8u);
    EXPECT_EQ(lime[3], (Line{316, 510, 398, 510, colours::Lime}));

    // The horizontal axis always carries the X caption.
    ASSERT_EQ(canvas.Texts().size(), 2u);
    EXPECT_EQ(canvas.Texts()[0], (RecordingCanvas::Text{730, 575, m.KfXText}));
    EXPECT_EQ(canvas.Texts()[1], (RecordingCanvas::Text{45, 260, m.KfYText}));
  }
}

TEST_F(GraphicsChartTest, ValuesByType) {
  // value: height above the baseline; a signed chart has its zero 128 above it.
  struct Case { const char* typ; std::vector<std::uint8_t> cell; int value; bool isSigned = false; };
  const Case cases[] = {
      {"N", {100}, 100},
      {"M16", {0x80, 0x00}, 128},
      {"M16", {0xFF, 0xFF}, 255},
      {"M16", {0x00, 0xFF}, 0},
      {"I16", {0x00, 0x80}, 128},
      {"I16", {0xFF, 0x01}, 1},
      {"M32", {0xFF, 0xFF, 0x7F, 0xFF}, 255},
      {"I32", {0x00, 0x00, 0x80, 0x00}, 1},   // 2^23
      {"I32", {0xFF, 0xFF, 0xFF, 0xFF}, 0},   // -1
      {"K", {0x80, 0x00}, 128},
      {"N", {0x00}, 128, true},
      {"N", {0x80}, 0, true},                      // -128 on the baseline
      {"N", {0x7F}, 255, true},                    // 127 on the top line
      {"N", {0xFF}, 127, true},
      {"M16", {0xFF, 0xFF}, 127, true},            // -1 / 256 rounded down
      {"M16", {0x80, 0x00}, 0, true},
      {"I16", {0xFF, 0x7F}, 255, true},
      {"M32", {0xFF, 0xFF, 0x7F, 0xFF}, 255, true},
      {"I32", {0x00, 0x00, 0x00, 0x80}, 0, true},  // -2^31
      {"I32", {0xFF, 0xFF, 0xFF, 0xFF}, 127, true},
  };
  flags.OriginalZeigen = false;
  for (const Case& c : cases) {
    std::vector<std::uint8_t> bytes;
    for (int i = 0; i < 3; ++i) bytes.insert(bytes.end(), c.cell.begin(), c.cell.end());
    SetImage(images, ImageKind::Tuning, bytes);
    ActiveMap m = MakeMap(1, 3, c.typ);
    m.KfSigned = c.isSigned;
    canvas.Clear();
    DrawCurveChart(*scene, flags, m, images, colours_, canvas);
    for (int i = 1; i <= 3; ++i) EXPECT_EQ(scene->Tuning.Bildpunkte[i].y, 560 - c.value) << c.typ << " " << c.isSigned;
    // The grid of a signed chart has a zero line halfway up.
    const auto gray = canvas.LinesOf(colours::Gray);
    ASSERT_EQ(gray.size(), c.isSigned ? 6u : 5u) << c.typ;
    if (c.isSigned) {
      EXPECT_EQ(gray.back(), (Line{70, 432, 730, 432, colours::Gray}));
    }
  }
}

TEST_F(GraphicsChartTest, CrowdedCurveStandsOnTheLeftEdge) {
  canvas.Resize(200, 400);  // Wd = 60
  SetImage(images, ImageKind::Tuning, std::vector<std::uint8_t>(100, 7));
  DrawCurveChart(*scene, flags, MakeMap(62, 1, "N"), images, colours_, canvas);
  for (int i = 1; i <= 62; ++i) EXPECT_EQ(scene->Tuning.Bildpunkte[i], (Point2i{70, 353})) << i;
  DrawCurveChart(*scene, flags, MakeMap(61, 1, "N"), images, colours_, canvas);
  EXPECT_EQ(scene->Tuning.Bildpunkte[61].x, 130);  // s = 1

  canvas.Resize(100, 400);  // Wd below 0
  DrawCurveChart(*scene, flags, MakeMap(3, 1, "N"), images, colours_, canvas);
  EXPECT_EQ(scene->Tuning.Bildpunkte[3].x, 70);
}

TEST_F(GraphicsChartTest, SinglePointAndOversizedCurves) {
  SetImage(images, ImageKind::Tuning, std::vector<std::uint8_t>(5000, 9));
  DrawCurveChart(*scene, flags, MakeMap(1, 1, "N"), images, colours_, canvas);
  EXPECT_EQ(scene->Tuning.Bildpunkte[1], (Point2i{70, 551}));
  EXPECT_EQ(canvas.LineCount(colours::White), 0u);
  EXPECT_EQ(canvas.LineCount(colours::Gray), 3u);

  canvas.Clear();
  DrawCurveChart(*scene, flags, MakeMap(1, 5000, "N"), images, colours_, canvas);
  EXPECT_EQ(canvas.LineCount(colours::White), 4095u);
}

TEST_F(GraphicsChartTest, OriginalPointsAreNeverStored) {
  SetImage(images, ImageKind::Original, std::vector<std::uint8_t>(4, 200));
  scene->Tuning.Bildpunkte[1] = Point2i{-1, -1};
  DrawCurveChart(*scene, flags, MakeMap(1, 4, "N"), images, colours_, canvas);  // no tuning image
  EXPECT_EQ(scene->Tuning.Bildpunkte[1], (Point2i{-1, -1}));
  EXPECT_EQ(canvas.LineCount(colours::White), 0u);
  EXPECT_EQ(canvas.LineCount(colours::Lime), 3u);
}

TEST_F(GraphicsChartTest, CellsPastTheImageReadAsZero) {
  SetImage(images, ImageKind::Tuning, {10, 20, 30});
  images.TuningPuffer.back() = 99;
  DrawCurveChart(*scene, flags, MakeMap(1, 4, "N", 1), images, colours_, canvas);
  EXPECT_EQ(scene->Tuning.Bildpunkte[1].y, 540);
  EXPECT_EQ(scene->Tuning.Bildpunkte[2].y, 530);
  EXPECT_EQ(scene->Tuning.Bildpunkte[3].y, 560);
  EXPECT_EQ(scene->Tuning.Bildpunkte[4].y, 560);
  DrawCurveChart(*scene, flags, MakeMap(1, 2, "M16", 2), images, colours_, canvas);
  EXPECT_EQ(scene->Tuning.Bildpunkte[1].y, 560);
  DrawCurveChart(*scene, flags, MakeMap(1, 2, "M16", -1), images, colours_, canvas);
  EXPECT_EQ(scene->Tuning.Bildpunkte[1].y, 560);
  EXPECT_EQ(scene->Tuning.Bildpunkte[2].y, 560 - (20 * 256 + 30) / 256);
}

TEST_F(GraphicsChartTest, AxesByCorner) {
  flags.TuningZeigen = flags.OriginalZeigen = flags.BodengitterZeigen = false;
  DrawCurveChart(*scene, flags, MakeMap(1, 9, "N", 0, 1), images, colours_, canvas);
  const std::vector<Line> k1 = {{65, 565, 750, 565, colours::Yellow}, {65, 565, 65, 279, colours::Yellow}};
  EXPECT_EQ(canvas.Lines(), k1);

  canvas.Clear();
  const ActiveMap m2 = MakeMap(1, 9, "N", 0, 2);
  DrawCurveChart(*scene, flags, m2, images, colours_, canvas);
  const std::vector<Line> k2 = {{50, 565, 735, 565, colours::Yellow},
                                {735, 565, 733, 565, colours::Yellow},
                                {733, 565, 733, 279, colours::Yellow}};
  EXPECT_EQ(canvas.Lines(), k2);
  const std::vector<RecordingCanvas::Text> t2 = {{40, 575, m2.KfXText}, {720, 260, m2.KfYText}};
  EXPECT_EQ(canvas.Texts(), t2);
  EXPECT_EQ(canvas.Calls()[2].op, RecordingCanvas::Op::MoveTo);  // one polyline
  EXPECT_EQ(canvas.Calls()[3].op, RecordingCanvas::Op::LineTo);
  EXPECT_EQ(canvas.Calls()[4].op, RecordingCanvas::Op::LineTo);

  for (int corner : {3, 4, 0, 7}) {
    canvas.Clear();
    DrawCurveChart(*scene, flags, MakeMap(1, 9, "N", 0, corner), images, colours_, canvas);
    EXPECT_TRUE(canvas.Lines().empty()) << corner;
    EXPECT_TRUE(canvas.Texts().empty()) << corner;
    EXPECT_EQ(canvas.Erases().size(), 1u);
  }
}

TEST_F(GraphicsChartTest, LayerOrder) {
  SetImage(images, ImageKind::Tuning, std::vector<std::uint8_t>(9, 1));
  SetImage(images, ImageKind::Original, std::vector<std::uint8_t>(9, 2));
  images.VergleichPuffer.assign(10, 3);
  images.VergleichGroesse = 9;
  colours_.background = colours::White;
  DrawCurveChart(*scene, flags, MakeMap(1, 9, "N", 0, 1), images, colours_, canvas);
  EXPECT_EQ(canvas.Calls().front().op, RecordingCanvas::Op::Erase);
  EXPECT_EQ(canvas.Erases(), std::vector<Rgb>{colours::White});
  const std::vector<Rgb> pens = {colours::Gray, colours::Fuchsia, colours::White, colours::Lime, colours::Yellow};
  EXPECT_EQ(canvas.LineCount(colours::Fuchsia), 8u);
  EXPECT_EQ(canvas.PenSequence(), pens);
}

// ---------------------------------------------------------------- drag

TEST(GraphicsDrag, TurnWrapsAndZoomClamps) {
  struct Case { int turn; int dx; int want; };
  const Case cases[] = {{355, 1, 1}, {347, 1, 359}, {348, 1, 1}, {5, -1, 359},
                        {13, -1, 1}, {12, -1, 359}, {235, 1, 247}, {235, -1, 223}, {235, 0, 235}};
  for (const Case& c : cases) {
    ViewParams v;
    v.Drehwinkel = c.turn;
    v.MausLetztX = 100;
    v.MausLetztY = 100;
    EXPECT_TRUE(DragStep(v, DragMode::TurnZoom, 100 + c.dx, 100));
    EXPECT_EQ(v.Drehwinkel, c.want) << c.turn << " " << c.dx;
    EXPECT_EQ(v.Zoomfaktor, 0.4);
    EXPECT_EQ(v.MausLetztX, 100 + c.dx);
  }

  ViewParams v;
  int y = 1000;
  for (int i = 0; i < 100; ++i) DragStep(v, DragMode::TurnZoom, 0, --y);  // up: zoom in
  EXPECT_EQ(v.Zoomfaktor, 1.0);
  for (int i = 0; i < 100; ++i) DragStep(v, DragMode::TurnZoom, 0, ++y);  // down: zoom out
  EXPECT_EQ(v.Zoomfaktor, 0.2);
  v.Zoomfaktor = 0.5;
  DragStep(v, DragMode::TurnZoom, 0, y + 50);  // only the direction counts
  EXPECT_NEAR(v.Zoomfaktor, 0.49, 1e-12);
  EXPECT_EQ(v.MausLetztY, y + 50);
}

TEST(GraphicsDrag, OneEventTurnsAndZooms) {
  ViewParams v;
  v.MausLetztX = 10;
  v.MausLetztY = 10;
  DragStep(v, DragMode::TurnZoom, 11, 9);
  EXPECT_EQ(v.Drehwinkel, 247);
  EXPECT_NEAR(v.Zoomfaktor, 0.41, 1e-12);
  EXPECT_EQ(v.MausLetztX, 11);
  EXPECT_EQ(v.MausLetztY, 9);
  EXPECT_EQ(v.MausX, 0);  // the caller owns the mouse position
}

TEST(GraphicsDrag, TiltClamps) {
  ViewParams v;
  int y = 0;
  for (int i = 0; i < 100; ++i) DragStep(v, DragMode::Tilt, 0, ++y);  // down: steeper
  EXPECT_EQ(v.Schraegwinkel, 70);
  EXPECT_EQ(v.MausLetztY, y);
  DragStep(v, DragMode::Tilt, 0, --y);
  EXPECT_EQ(v.Schraegwinkel, 69);
  for (int i = 0; i < 100; ++i) DragStep(v, DragMode::Tilt, 5, --y);
  EXPECT_EQ(v.Schraegwinkel, 1);
  EXPECT_EQ(v.Drehwinkel, 235);
  EXPECT_EQ(v.Zoomfaktor, 0.4);
  EXPECT_EQ(v.MausLetztX, 5);
}

TEST(GraphicsDrag, StretchClamps) {
  ViewParams v;
  int y = 0;
  DragStep(v, DragMode::Stretch, 0, --y);  // up: taller
  EXPECT_NEAR(v.Hoehenfaktor, 1.02, 1e-12);
  for (int i = 0; i < 100; ++i) DragStep(v, DragMode::Stretch, 0, --y);
  EXPECT_EQ(v.Hoehenfaktor, 1.5);
  for (int i = 0; i < 100; ++i) DragStep(v, DragMode::Stretch, 0, ++y);
  EXPECT_EQ(v.Hoehenfaktor, 0.8);
  EXPECT_EQ(v.Schraegwinkel, 11);
}

TEST(GraphicsDrag, NoModeChangesNothing) {
  ViewParams v;
  v.MausLetztX = 3;
  v.MausLetztY = 4;
  EXPECT_FALSE(DragStep(v, DragMode::None, 50, 60));
  EXPECT_EQ(v.MausLetztX, 3);
  EXPECT_EQ(v.MausLetztY, 4);
  EXPECT_EQ(v.Drehwinkel, 235);
  EXPECT_EQ(v.Zoomfaktor, 0.4);
}

}  // namespace
}  // namespace orv
