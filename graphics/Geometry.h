#pragma once
// Point types of the view chain: whole-number model points, real rotated and
// zoomed points, whole-pixel screen points.

namespace orv {

struct Point3i { int x = 0, y = 0, z = 0; };
struct Point3d { double x = 0, y = 0, z = 0; };
struct Point2i {
  int x = 0, y = 0;
  bool operator==(const Point2i&) const = default;
};

}  // namespace orv
