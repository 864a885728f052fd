#pragma once
// The inner loops of the view chain over whole point arrays, in as many lanes
// as the processor offers. Every width computes exactly the same numbers: the
// same correctly rounded operations in the same order, no fused multiply-add,
// so a picture never depends on the machine it is drawn on.
#include <cstddef>
#include <cstdint>

#include "graphics/Geometry.h"

namespace orv::kernels {

// Whole numbers of the chain stay within +-2^30, so a centre offset or an arrow
// length added later cannot overflow whatever the view parameters hold.
inline constexpr double kIntLimit = 1073741824.0;

// Holds a real within +-kIntLimit; NaN goes to the lower end. Written as two
// selects so the loops around it stay free of branches.
inline double Hold(double v) {
  v = v > -kIntLimit ? v : -kIntLimit;
  return v < kIntLimit ? v : kIntLimit;
}

// Real to int, cut toward zero; no parameter can make the conversion undefined.
inline int TruncToInt(double v) { return static_cast<int>(Hold(v)); }

enum class Width { Scalar = 0, Avx2 = 1, Avx512 = 2 };

// The widest loops this processor (and its operating system) can run.
Width Widest();
// The width the loops run at now; starts at Widest().
Width Current();
// Runs the loops at w, at most Widest(); returns the width now in use. For
// tests and benchmarks that compare the widths.
Width Use(Width w);

// Sines and cosines of the turn (A) and the tilt (B).
struct Turn {
  double sA, cA, sB, cB;
};

// out[i] = the model point in[i] turned about the upright axis, then tilted.
void Rotate(const Point3i* in, Point3d* out, std::size_t n, const Turn& t);
// out[i] = in[i] times f, each coordinate.
void Zoom(const Point3d* in, Point3d* out, std::size_t n, double f);
// out[i] = the screen point of in[i]: x * d / (z + d) and -y * d / (z + d),
// each held within +-2^30 (NaN to the lower end), rounded half to even, plus
// (mx, my).
void Project(const Point3d* in, Point2i* out, std::size_t n, double d, int mx, int my);

// How a surface cell's bytes give its raw height: unsigned cells 0 to 511 (a
// byte times 2, a 16-bit value div 128); signed cells (two's complement) the
// same scale around zero, -256 to 255 (a byte times 2, a 16-bit value divided
// by 128 and rounded down), so zero is the floor and negative values lie below.
enum class CellBytes { Byte, HighFirst16, LowFirst16, SignedByte, SignedHighFirst16, SignedLowFirst16 };

inline constexpr bool IsSigned(CellBytes k) { return k >= CellBytes::SignedByte; }
inline constexpr std::size_t BytesPerCell(CellBytes k) {
  return k == CellBytes::Byte || k == CellBytes::SignedByte ? 1 : 2;
}

// Model points of n cells of one surface row, all of whose bytes lie at cells:
// out[c] = (xs[c], height of cell c stretched by factor and cut toward zero, z).
void SurfaceRow(const std::uint8_t* cells, CellBytes kind, std::size_t n, const int* xs, int z, double factor,
                Point3i* out);

}  // namespace orv::kernels
