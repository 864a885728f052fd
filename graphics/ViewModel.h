#pragma once
// The 3D view: trigonometric tables, view parameters, scene flags, the four
// point sets of each layer and the chain that turns map cells into screen
// points. Everything lives in fixed arrays; a redraw allocates nothing.
#include <array>
#include <cstdint>

#include "graphics/Canvas.h"
#include "graphics/Geometry.h"
#include "project/Catalogue.h"
#include "project/Images.h"

namespace orv {

struct TrigTables {
  std::array<double, 361> SinTabelle{};
  std::array<double, 361> CosTabelle{};
};
// Entry i is the sine (cosine) of i degrees; the only source of both in the view.
void BuildTrigTables(TrigTables& t);

struct ViewParams {
  int Drehwinkel = 235;
  int Schraegwinkel = 11;
  double Zoomfaktor = 0.4;
  double Hoehenfaktor = 1.0;
  int Feldbreite = 640;
  int Feldtiefe = 640;
  int VerschiebungX = 0;
  int VerschiebungY = 0;
  int Sichtabstand = 2500;
  int MitteX = 0;
  int MitteY = 0;
  int MausLetztX = 0, MausLetztY = 0;
  int MausX = 0, MausY = 0;
};
// All parameters to their start values; MitteX/MitteY from the client size.
void ViewStart(ViewParams& v, int clientWidth, int clientHeight);
// "&Original Bilddarstellung": angles, zoom and height factor back to the start.
void ResetViewAngles(ViewParams& v);

struct SceneFlags {
  bool OriginalZeigen = false;
  bool TuningZeigen = false;
  bool BodengitterZeigen = true;
  bool KreuzZeigen = true;
  bool PfeilZeigen = false;
  std::int32_t PfeilZelle = 23;
  // The comparison image's surface; drawn only while a comparison image is loaded.
  bool VergleichZeigen = true;
};

template <int N>
struct PointSet {
  static constexpr int kSlots = N;
  std::array<Point3i, N + 1> Modellpunkte{};  // slot 0 unused
  std::array<Point3d, N + 1> Drehpunkte{};
  std::array<Point3d, N + 1> Zoompunkte{};
  std::array<Point2i, N + 1> Bildpunkte{};
};

struct Scene {
  PointSet<4096> Original;
  PointSet<4096> Tuning;
  PointSet<4096> Vergleich;
  PointSet<257> Boden;
  PointSet<15> Kreuz;
};

// Colours of the window: background and the font colour texts are drawn in
// (the canvas draws texts in its font colour; this is what the window holds).
struct WindowColours {
  Rgb background = colours::Black;
  Rgb font = colours::Red;
};

// The chain steps, in the order RedrawView runs them.
void BuildModelPoints(Scene& s, const ViewParams& v, const SceneFlags& f, const ActiveMap& m, const ImageSet& img);
void RotatePoints(Scene& s, const TrigTables& t, const ViewParams& v, const SceneFlags& f, const ActiveMap& m,
                  const ImageSet& img);
void ZoomPoints(Scene& s, const ViewParams& v, const SceneFlags& f, const ActiveMap& m, const ImageSet& img);
void PanPoints(Scene& s, const ViewParams& v, const SceneFlags& f, const ActiveMap& m, const ImageSet& img);
void ProjectPoints(Scene& s, const ViewParams& v, const SceneFlags& f, const ActiveMap& m, const ImageSet& img);

// Clears and draws the scene from the last screen points: cross with texts,
// floor grid, comparison surface, tuning surface, original surface, access arrow.
void DrawScene(const Scene& s, const SceneFlags& f, const ActiveMap& m, const ImageSet& img, const WindowColours& c,
               Canvas& canvas);

// The whole chain: build, rotate, zoom, pan, project, draw. Callers check the
// map size; a map with a dimension above 64 is never built.
void RedrawView(Scene& s, const TrigTables& t, const ViewParams& v, const SceneFlags& f, const ActiveMap& m,
                const ImageSet& img, const WindowColours& c, Canvas& canvas);

// The line chart of a map with one column or one row (comparison, tuning and
// original curves); stores the tuning curve's points in the tuning layer's
// Bildpunkte (slot i + 1 for point i).
void DrawCurveChart(Scene& s, const SceneFlags& f, const ActiveMap& m, const ImageSet& img, const WindowColours& c,
                    Canvas& canvas);

// Mouse modes of the tool buttons "ZD", "SR", "ST".
enum class DragMode { None, TurnZoom, Tilt, Stretch };
// One mouse-move step of a drag (the caller has checked that only the left
// button is held and "KF" is down). Updates the parameters and the last mouse
// position; returns true when the view should be redrawn.
bool DragStep(ViewParams& v, DragMode mode, int x, int y);

}  // namespace orv
