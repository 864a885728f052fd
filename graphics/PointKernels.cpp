#include "graphics/PointKernels.h"

#include <array>
#include <atomic>
#include <type_traits>

#if defined(__GNUC__) && defined(__x86_64__)
#if !defined(__clang__)
// GCC 12 takes the deliberately undefined pass-through registers inside the
// AVX-512 intrinsics for uninitialised variables.
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#pragma GCC diagnostic ignored "-Wuninitialized"
#endif
#include <immintrin.h>
#define ORV_WIDE_KERNELS 1
#endif

namespace orv::kernels {

static_assert(sizeof(Point3i) == 3 * sizeof(int) && std::is_standard_layout_v<Point3i>);
static_assert(sizeof(Point3d) == 3 * sizeof(double) && std::is_standard_layout_v<Point3d>);
static_assert(sizeof(Point2i) == 2 * sizeof(int) && std::is_standard_layout_v<Point2i>);

namespace {

// Real to the nearest whole number, halves to the even neighbour: adding and
// taking away 1.5 * 2^52 leaves a value below 2^51 rounded by the FPU's default
// mode (nearest, ties to even), much cheaper than a library call per point.
// Needs strict IEEE arithmetic (no -ffast-math), which the build uses.
constexpr double kRoundMagic = 6755399441055744.0;

inline int RoundToInt(double v) { return static_cast<int>((Hold(v) + kRoundMagic) - kRoundMagic); }

inline Point3d RotateOne(const Point3i& q, const Turn& t) {
  const double x = q.x, y = q.y, z = q.z;
  const double x1 = t.cA * x + t.sA * z;
  const double z1 = t.cA * z - t.sA * x;
  return Point3d{x1, t.cB * y - t.sB * z1, t.cB * z1 + t.sB * y};
}

inline Point2i ProjectOne(const Point3d& q, double d, int mx, int my) {
  const double w = q.z + d;
  return Point2i{RoundToInt(q.x * d / w) + mx, RoundToInt(-q.y * d / w) + my};
}

// Signed 16-bit values are shifted, not divided: the shift rounds down, so
// -1 to -128 lie one step below the floor as 1 to 127 lie on it.
inline int RawHeight(const std::uint8_t* b, CellBytes kind) {
  switch (kind) {
    case CellBytes::Byte: return b[0] * 2;
    case CellBytes::HighFirst16: return (b[0] * 256 + b[1]) / 128;
    case CellBytes::LowFirst16: return (b[1] * 256 + b[0]) / 128;
    case CellBytes::SignedByte: return static_cast<std::int8_t>(b[0]) * 2;
    case CellBytes::SignedHighFirst16: return static_cast<std::int16_t>(b[0] * 256 + b[1]) >> 7;
    case CellBytes::SignedLowFirst16: return static_cast<std::int16_t>(b[1] * 256 + b[0]) >> 7;
  }
  return 0;
}

void RotateScalar(const Point3i* in, Point3d* out, std::size_t n, const Turn& t) {
  for (std::size_t i = 0; i < n; ++i) out[i] = RotateOne(in[i], t);
}

void ZoomScalar(const Point3d* in, Point3d* out, std::size_t n, double f) {
  for (std::size_t i = 0; i < n; ++i) out[i] = Point3d{in[i].x * f, in[i].y * f, in[i].z * f};
}

void ProjectScalar(const Point3d* in, Point2i* out, std::size_t n, double d, int mx, int my) {
  for (std::size_t i = 0; i < n; ++i) out[i] = ProjectOne(in[i], d, mx, my);
}

void SurfaceRowScalar(const std::uint8_t* cells, CellBytes kind, std::size_t n, const int* xs, int z, double factor,
                      Point3i* out) {
  const std::size_t width = BytesPerCell(kind);
  for (std::size_t c = 0; c < n; ++c)
    out[c] = Point3i{xs[c], TruncToInt(factor * RawHeight(cells + c * width, kind)), z};
}

#ifdef ORV_WIDE_KERNELS

// Permute tables. Points are stored as triples: coordinate c of point p in a
// block is element 3p + c.
template <int Lanes>
struct Interleave {
  // Output lane l of register j: element g = Lanes * j + l, point g / 3,
  // coordinate g % 3. pick chooses from (x, y) of that point (x: p, y: Lanes + p
  // in the two-table permute); z lanes are filled from a third source.
  std::array<std::array<int, Lanes>, 3> pick{};
  std::array<std::array<int, Lanes>, 3> zpick{};
  std::array<unsigned, 3> ymask{};
  std::array<unsigned, 3> zmask{};
  constexpr Interleave() {
    for (int j = 0; j < 3; ++j)
      for (int l = 0; l < Lanes; ++l) {
        const int g = Lanes * j + l, p = g / 3, c = g % 3;
        pick[j][l] = c == 0 ? p : c == 1 ? Lanes + p : 0;
        zpick[j][l] = c == 2 ? p : 0;
        if (c == 1) ymask[j] |= 1u << l;
        if (c == 2) zmask[j] |= 1u << l;
      }
  }
};

template <int Lanes>
struct Deinterleave {
  // Coordinate c of point p (p < Lanes) is element g = 3p + c of the three
  // loaded registers: below 2 * Lanes from the first two (two-table permute),
  // else from the third.
  std::array<std::array<int, Lanes>, 3> first{};
  std::array<std::array<int, Lanes>, 3> third{};
  std::array<unsigned, 3> thirdMask{};
  constexpr Deinterleave() {
    for (int c = 0; c < 3; ++c)
      for (int p = 0; p < Lanes; ++p) {
        const int g = 3 * p + c;
        if (g < 2 * Lanes) {
          first[c][p] = g;
        } else {
          third[c][p] = g - 2 * Lanes;
          thirdMask[c] |= 1u << p;
        }
      }
  }
};

// ---- four and eight lanes (AVX2). Four points (twelve values) are three
// registers; 128-bit halves are swapped into place and the pairs in each half
// are picked, which turns triples into registers of x, y and z and back.

#define ORV_AVX2 __attribute__((target("avx2")))

struct Lanes3 {
  __m256d x, y, z;
};

// Four triples [x0 y0 z0 x1] [y1 z1 x2 y2] [z2 x3 y3 z3] into x, y and z.
ORV_AVX2 inline Lanes3 Split(__m256d d0, __m256d d1, __m256d d2) {
  const __m256d a = _mm256_permute2f128_pd(d0, d1, 0x30);  // x0 y0 | x2 y2
  const __m256d b = _mm256_permute2f128_pd(d0, d2, 0x21);  // z0 x1 | z2 x3
  const __m256d c = _mm256_permute2f128_pd(d1, d2, 0x30);  // y1 z1 | y3 z3
  return Lanes3{_mm256_shuffle_pd(a, b, 0b1010), _mm256_shuffle_pd(a, c, 0b0101), _mm256_shuffle_pd(b, c, 0b1010)};
}

// The reverse of Split: stores x, y and z of four points as triples at dst.
ORV_AVX2 inline void StoreTriples(double* dst, __m256d x, __m256d y, __m256d z) {
  const __m256d a = _mm256_shuffle_pd(x, y, 0b0000);  // x0 y0 | x2 y2
  const __m256d b = _mm256_shuffle_pd(z, x, 0b1010);  // z0 x1 | z2 x3
  const __m256d c = _mm256_shuffle_pd(y, z, 0b1111);  // y1 z1 | y3 z3
  _mm256_storeu_pd(dst, _mm256_permute2f128_pd(a, b, 0x20));
  _mm256_storeu_pd(dst + 4, _mm256_permute2f128_pd(c, a, 0x30));
  _mm256_storeu_pd(dst + 8, _mm256_permute2f128_pd(b, c, 0x31));
}

ORV_AVX2 void RotateAvx2(const Point3i* in, Point3d* out, std::size_t n, const Turn& t) {
  const __m256d cA = _mm256_set1_pd(t.cA), sA = _mm256_set1_pd(t.sA);
  const __m256d cB = _mm256_set1_pd(t.cB), sB = _mm256_set1_pd(t.sB);
  std::size_t i = 0;
  for (; i + 4 <= n; i += 4) {
    const auto* src = reinterpret_cast<const __m128i*>(&in[i].x);
    const Lanes3 p = Split(_mm256_cvtepi32_pd(_mm_loadu_si128(src)), _mm256_cvtepi32_pd(_mm_loadu_si128(src + 1)),
                           _mm256_cvtepi32_pd(_mm_loadu_si128(src + 2)));
    const __m256d x1 = _mm256_add_pd(_mm256_mul_pd(cA, p.x), _mm256_mul_pd(sA, p.z));
    const __m256d zt = _mm256_sub_pd(_mm256_mul_pd(cA, p.z), _mm256_mul_pd(sA, p.x));
    const __m256d y2 = _mm256_sub_pd(_mm256_mul_pd(cB, p.y), _mm256_mul_pd(sB, zt));
    const __m256d z2 = _mm256_add_pd(_mm256_mul_pd(cB, zt), _mm256_mul_pd(sB, p.y));
    StoreTriples(&out[i].x, x1, y2, z2);
  }
  RotateScalar(in + i, out + i, n - i, t);
}

ORV_AVX2 void ZoomAvx2(const Point3d* in, Point3d* out, std::size_t n, double f) {
  const __m256d k = _mm256_set1_pd(f);
  std::size_t i = 0;
  for (; i + 4 <= n; i += 4) {  // four triples are three registers; the layout does not matter
    const double* src = &in[i].x;
    double* dst = &out[i].x;
    _mm256_storeu_pd(dst, _mm256_mul_pd(_mm256_loadu_pd(src), k));
    _mm256_storeu_pd(dst + 4, _mm256_mul_pd(_mm256_loadu_pd(src + 4), k));
    _mm256_storeu_pd(dst + 8, _mm256_mul_pd(_mm256_loadu_pd(src + 8), k));
  }
  ZoomScalar(in + i, out + i, n - i, f);
}

ORV_AVX2 void ProjectAvx2(const Point3d* in, Point2i* out, std::size_t n, double d, int mx, int my) {
  const __m256d dd = _mm256_set1_pd(d);
  const __m256d lo = _mm256_set1_pd(-kIntLimit), hi = _mm256_set1_pd(kIntLimit);
  const __m256d sign = _mm256_set1_pd(-0.0);
  const __m128i vmx = _mm_set1_epi32(mx), vmy = _mm_set1_epi32(my);
  constexpr int kNearest = _MM_FROUND_TO_NEAREST_INT | _MM_FROUND_NO_EXC;
  std::size_t i = 0;
  for (; i + 4 <= n; i += 4) {
    const double* src = &in[i].x;
    const Lanes3 p = Split(_mm256_loadu_pd(src), _mm256_loadu_pd(src + 4), _mm256_loadu_pd(src + 8));
    const __m256d w = _mm256_add_pd(p.z, dd);
    __m256d sx = _mm256_div_pd(_mm256_mul_pd(p.x, dd), w);
    __m256d sy = _mm256_div_pd(_mm256_mul_pd(_mm256_xor_pd(p.y, sign), dd), w);
    // max returns its second operand when the first is NaN: NaN goes to the lower end
    sx = _mm256_round_pd(_mm256_min_pd(_mm256_max_pd(sx, lo), hi), kNearest);
    sy = _mm256_round_pd(_mm256_min_pd(_mm256_max_pd(sy, lo), hi), kNearest);
    const __m128i px = _mm_add_epi32(_mm256_cvttpd_epi32(sx), vmx);
    const __m128i py = _mm_add_epi32(_mm256_cvttpd_epi32(sy), vmy);
    auto* dst = reinterpret_cast<__m128i*>(&out[i].x);
    _mm_storeu_si128(dst, _mm_unpacklo_epi32(px, py));
    _mm_storeu_si128(dst + 1, _mm_unpackhi_epi32(px, py));
  }
  ProjectScalar(in + i, out + i, n - i, d, mx, my);
}

// Eight raw heights, stretched by factor and cut toward zero.
ORV_AVX2 inline __m256i Stretch8(__m256i h, __m256d factor) {
  const __m256d lo = _mm256_set1_pd(-kIntLimit), hi = _mm256_set1_pd(kIntLimit);
  const __m256d a = _mm256_mul_pd(_mm256_cvtepi32_pd(_mm256_castsi256_si128(h)), factor);
  const __m256d b = _mm256_mul_pd(_mm256_cvtepi32_pd(_mm256_extracti128_si256(h, 1)), factor);
  const __m128i ta = _mm256_cvttpd_epi32(_mm256_min_pd(_mm256_max_pd(a, lo), hi));
  const __m128i tb = _mm256_cvttpd_epi32(_mm256_min_pd(_mm256_max_pd(b, lo), hi));
  return _mm256_set_m128i(tb, ta);
}

constexpr Interleave<8> kOut8{};  // eight triples, of ints (AVX2) or of doubles (AVX-512)

// One register of eight triples: x and y picked by the same table (the
// single-table permute reads the low three bits of each index), z blended in.
template <unsigned YMask, unsigned ZMask>
ORV_AVX2 inline __m256i Place(__m256i x, __m256i y, __m256i z, __m256i pick) {
  const __m256i xy =
      _mm256_blend_epi32(_mm256_permutevar8x32_epi32(x, pick), _mm256_permutevar8x32_epi32(y, pick), YMask);
  return _mm256_blend_epi32(xy, z, ZMask);
}

ORV_AVX2 void SurfaceRowAvx2(const std::uint8_t* cells, CellBytes kind, std::size_t n, const int* xs, int z,
                             double factor, Point3i* out) {
  const __m256d k = _mm256_set1_pd(factor);
  const __m256i zv = _mm256_set1_epi32(z);
  const __m256i p0 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(kOut8.pick[0].data()));
  const __m256i p1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(kOut8.pick[1].data()));
  const __m256i p2 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(kOut8.pick[2].data()));
  const std::size_t width = BytesPerCell(kind);
  const bool highFirst = kind == CellBytes::HighFirst16 || kind == CellBytes::SignedHighFirst16;
  std::size_t c = 0;
  for (; c + 8 <= n; c += 8) {
    __m256i raw;
    if (width == 1) {
      const __m128i v = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(cells + c));
      raw = _mm256_slli_epi32(IsSigned(kind) ? _mm256_cvtepi8_epi32(v) : _mm256_cvtepu8_epi32(v), 1);
    } else {
      __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(cells + 2 * c));
      if (highFirst) v = _mm_or_si128(_mm_slli_epi16(v, 8), _mm_srli_epi16(v, 8));
      raw = IsSigned(kind) ? _mm256_srai_epi32(_mm256_cvtepi16_epi32(v), 7)
                           : _mm256_srli_epi32(_mm256_cvtepu16_epi32(v), 7);
    }
    const __m256i y = Stretch8(raw, k);
    const __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(xs + c));
    auto* dst = reinterpret_cast<__m256i*>(&out[c].x);
    _mm256_storeu_si256(dst, Place<kOut8.ymask[0], kOut8.zmask[0]>(x, y, zv, p0));
    _mm256_storeu_si256(dst + 1, Place<kOut8.ymask[1], kOut8.zmask[1]>(x, y, zv, p1));
    _mm256_storeu_si256(dst + 2, Place<kOut8.ymask[2], kOut8.zmask[2]>(x, y, zv, p2));
  }
  SurfaceRowScalar(cells + c * width, kind, n - c, xs + c, z, factor, out + c);
}

#define ORV_AVX512 __attribute__((target("avx512f,avx512bw,avx512vl")))

constexpr Interleave<16> kOut16{};  // sixteen triples of ints
constexpr Deinterleave<8> kIn3d{};      // 8 points from 24 doubles

template <std::size_t N>
ORV_AVX512 inline __m512i IndexI(const std::array<int, N>& a) {
  static_assert(N == 16);
  return _mm512_loadu_si512(a.data());
}

template <std::size_t N>
ORV_AVX512 inline __m512i IndexQ(const std::array<int, N>& a) {
  static_assert(N == 8);
  return _mm512_cvtepi32_epi64(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(a.data())));
}

ORV_AVX512 void RotateAvx512(const Point3i* in, Point3d* out, std::size_t n, const Turn& t) {
  const __m512d cA = _mm512_set1_pd(t.cA), sA = _mm512_set1_pd(t.sA);
  const __m512d cB = _mm512_set1_pd(t.cB), sB = _mm512_set1_pd(t.sB);
  // x, y, z of 8 points from the 24 ints held in two registers
  const __m512i ix = _mm512_setr_epi32(0, 3, 6, 9, 12, 15, 18, 21, 0, 0, 0, 0, 0, 0, 0, 0);
  const __m512i iy = _mm512_setr_epi32(1, 4, 7, 10, 13, 16, 19, 22, 0, 0, 0, 0, 0, 0, 0, 0);
  const __m512i iz = _mm512_setr_epi32(2, 5, 8, 11, 14, 17, 20, 23, 0, 0, 0, 0, 0, 0, 0, 0);
  const __m512i p0 = IndexQ(kOut8.pick[0]), p1 = IndexQ(kOut8.pick[1]), p2 = IndexQ(kOut8.pick[2]);
  const __m512i q0 = IndexQ(kOut8.zpick[0]), q1 = IndexQ(kOut8.zpick[1]), q2 = IndexQ(kOut8.zpick[2]);
  const auto m0 = static_cast<__mmask8>(kOut8.zmask[0]), m1 = static_cast<__mmask8>(kOut8.zmask[1]),
             m2 = static_cast<__mmask8>(kOut8.zmask[2]);
  std::size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    const int* src = &in[i].x;
    double* dst = &out[i].x;
    const __m512i a = _mm512_loadu_si512(src);
    const __m512i b = _mm512_castsi256_si512(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + 16)));
    const __m512d x = _mm512_cvtepi32_pd(_mm512_castsi512_si256(_mm512_permutex2var_epi32(a, ix, b)));
    const __m512d y = _mm512_cvtepi32_pd(_mm512_castsi512_si256(_mm512_permutex2var_epi32(a, iy, b)));
    const __m512d z = _mm512_cvtepi32_pd(_mm512_castsi512_si256(_mm512_permutex2var_epi32(a, iz, b)));
    const __m512d x1 = _mm512_add_pd(_mm512_mul_pd(cA, x), _mm512_mul_pd(sA, z));
    const __m512d zt = _mm512_sub_pd(_mm512_mul_pd(cA, z), _mm512_mul_pd(sA, x));
    const __m512d y2 = _mm512_sub_pd(_mm512_mul_pd(cB, y), _mm512_mul_pd(sB, zt));
    const __m512d z2 = _mm512_add_pd(_mm512_mul_pd(cB, zt), _mm512_mul_pd(sB, y));
    _mm512_storeu_pd(dst, _mm512_mask_permutexvar_pd(_mm512_permutex2var_pd(x1, p0, y2), m0, q0, z2));
    _mm512_storeu_pd(dst + 8, _mm512_mask_permutexvar_pd(_mm512_permutex2var_pd(x1, p1, y2), m1, q1, z2));
    _mm512_storeu_pd(dst + 16, _mm512_mask_permutexvar_pd(_mm512_permutex2var_pd(x1, p2, y2), m2, q2, z2));
  }
  RotateScalar(in + i, out + i, n - i, t);
}

ORV_AVX512 void ZoomAvx512(const Point3d* in, Point3d* out, std::size_t n, double f) {
  const __m512d k = _mm512_set1_pd(f);
  std::size_t i = 0;
  for (; i + 8 <= n; i += 8) {  // eight triples are three registers; the layout does not matter
    const double* src = &in[i].x;
    double* dst = &out[i].x;
    _mm512_storeu_pd(dst, _mm512_mul_pd(_mm512_loadu_pd(src), k));
    _mm512_storeu_pd(dst + 8, _mm512_mul_pd(_mm512_loadu_pd(src + 8), k));
    _mm512_storeu_pd(dst + 16, _mm512_mul_pd(_mm512_loadu_pd(src + 16), k));
  }
  ZoomScalar(in + i, out + i, n - i, f);
}

ORV_AVX512 void ProjectAvx512(const Point3d* in, Point2i* out, std::size_t n, double d, int mx, int my) {
  const __m512d dd = _mm512_set1_pd(d);
  const __m512d lo = _mm512_set1_pd(-kIntLimit), hi = _mm512_set1_pd(kIntLimit);
  const __m512i sign = _mm512_set1_epi64(static_cast<long long>(0x8000000000000000ull));
  const __m256i vmx = _mm256_set1_epi32(mx), vmy = _mm256_set1_epi32(my);
  __m512i f[3], t[3];
  __mmask8 tm[3];
  for (int c = 0; c < 3; ++c) {
    f[c] = IndexQ(kIn3d.first[c]);
    t[c] = IndexQ(kIn3d.third[c]);
    tm[c] = static_cast<__mmask8>(kIn3d.thirdMask[c]);
  }
  const __m512i pair = _mm512_setr_epi32(0, 16, 1, 17, 2, 18, 3, 19, 4, 20, 5, 21, 6, 22, 7, 23);
  std::size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    const double* src = &in[i].x;
    const __m512d r0 = _mm512_loadu_pd(src), r1 = _mm512_loadu_pd(src + 8), r2 = _mm512_loadu_pd(src + 16);
    const __m512d x = _mm512_mask_permutexvar_pd(_mm512_permutex2var_pd(r0, f[0], r1), tm[0], t[0], r2);
    const __m512d y = _mm512_mask_permutexvar_pd(_mm512_permutex2var_pd(r0, f[1], r1), tm[1], t[1], r2);
    const __m512d z = _mm512_mask_permutexvar_pd(_mm512_permutex2var_pd(r0, f[2], r1), tm[2], t[2], r2);
    const __m512d w = _mm512_add_pd(z, dd);
    const __m512d negY = _mm512_castsi512_pd(_mm512_xor_si512(_mm512_castpd_si512(y), sign));
    __m512d sx = _mm512_div_pd(_mm512_mul_pd(x, dd), w);
    __m512d sy = _mm512_div_pd(_mm512_mul_pd(negY, dd), w);
    // max returns its second operand when the first is NaN: NaN goes to the lower end
    sx = _mm512_min_pd(_mm512_max_pd(sx, lo), hi);
    sy = _mm512_min_pd(_mm512_max_pd(sy, lo), hi);
    constexpr int kNearest = _MM_FROUND_TO_NEAREST_INT | _MM_FROUND_NO_EXC;
    const __m256i px = _mm256_add_epi32(_mm512_cvt_roundpd_epi32(sx, kNearest), vmx);
    const __m256i py = _mm256_add_epi32(_mm512_cvt_roundpd_epi32(sy, kNearest), vmy);
    _mm512_storeu_si512(&out[i].x,
                        _mm512_permutex2var_epi32(_mm512_castsi256_si512(px), pair, _mm512_castsi256_si512(py)));
  }
  ProjectScalar(in + i, out + i, n - i, d, mx, my);
}

// Sixteen raw heights, stretched by factor and cut toward zero.
ORV_AVX512 inline __m512i Stretch(__m512i h, __m512d factor) {
  const __m512d lo = _mm512_set1_pd(-kIntLimit), hi = _mm512_set1_pd(kIntLimit);
  const __m512d a = _mm512_mul_pd(_mm512_cvtepi32_pd(_mm512_castsi512_si256(h)), factor);
  const __m512d b = _mm512_mul_pd(_mm512_cvtepi32_pd(_mm512_extracti64x4_epi64(h, 1)), factor);
  const __m256i ta = _mm512_cvttpd_epi32(_mm512_min_pd(_mm512_max_pd(a, lo), hi));
  const __m256i tb = _mm512_cvttpd_epi32(_mm512_min_pd(_mm512_max_pd(b, lo), hi));
  return _mm512_inserti64x4(_mm512_castsi256_si512(ta), tb, 1);
}

ORV_AVX512 void SurfaceRowAvx512(const std::uint8_t* cells, CellBytes kind, std::size_t n, const int* xs, int z,
                                 double factor, Point3i* out) {
  const __m512d k = _mm512_set1_pd(factor);
  const __m512i zv = _mm512_set1_epi32(z);
  const __m512i p0 = IndexI(kOut16.pick[0]), p1 = IndexI(kOut16.pick[1]), p2 = IndexI(kOut16.pick[2]);
  const auto m0 = static_cast<__mmask16>(kOut16.zmask[0]), m1 = static_cast<__mmask16>(kOut16.zmask[1]),
             m2 = static_cast<__mmask16>(kOut16.zmask[2]);
  const std::size_t width = BytesPerCell(kind);
  const bool highFirst = kind == CellBytes::HighFirst16 || kind == CellBytes::SignedHighFirst16;
  std::size_t c = 0;
  for (; c + 16 <= n; c += 16) {
    __m512i raw;
    if (width == 1) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(cells + c));
      raw = _mm512_slli_epi32(IsSigned(kind) ? _mm512_cvtepi8_epi32(v) : _mm512_cvtepu8_epi32(v), 1);
    } else {
      __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(cells + 2 * c));
      if (highFirst) v = _mm256_or_si256(_mm256_slli_epi16(v, 8), _mm256_srli_epi16(v, 8));
      raw = IsSigned(kind) ? _mm512_srai_epi32(_mm512_cvtepi16_epi32(v), 7)
                           : _mm512_srli_epi32(_mm512_cvtepu16_epi32(v), 7);
    }
    const __m512i y = Stretch(raw, k);
    const __m512i x = _mm512_loadu_si512(xs + c);
    int* dst = &out[c].x;
    _mm512_storeu_si512(dst, _mm512_mask_blend_epi32(m0, _mm512_permutex2var_epi32(x, p0, y), zv));
    _mm512_storeu_si512(dst + 16, _mm512_mask_blend_epi32(m1, _mm512_permutex2var_epi32(x, p1, y), zv));
    _mm512_storeu_si512(dst + 32, _mm512_mask_blend_epi32(m2, _mm512_permutex2var_epi32(x, p2, y), zv));
  }
  SurfaceRowScalar(cells + c * width, kind, n - c, xs + c, z, factor, out + c);
}

Width Detect() {
  __builtin_cpu_init();
  if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vl"))
    return Width::Avx512;
  if (__builtin_cpu_supports("avx2")) return Width::Avx2;
  return Width::Scalar;
}

#else

Width Detect() { return Width::Scalar; }

#endif

std::atomic<int>& InUse() {
  static std::atomic<int> w{static_cast<int>(Widest())};
  return w;
}

Width Now() { return static_cast<Width>(InUse().load(std::memory_order_relaxed)); }

}  // namespace

Width Widest() {
  static const Width w = Detect();
  return w;
}

Width Current() { return Now(); }

Width Use(Width w) {
  const Width chosen = static_cast<int>(w) <= static_cast<int>(Widest()) ? w : Widest();
  InUse().store(static_cast<int>(chosen), std::memory_order_relaxed);
  return chosen;
}

void Rotate(const Point3i* in, Point3d* out, std::size_t n, const Turn& t) {
  switch (Now()) {
#ifdef ORV_WIDE_KERNELS
    case Width::Avx512: RotateAvx512(in, out, n, t); return;
    case Width::Avx2: RotateAvx2(in, out, n, t); return;
#endif
    default: RotateScalar(in, out, n, t); return;
  }
}

void Zoom(const Point3d* in, Point3d* out, std::size_t n, double f) {
  switch (Now()) {
#ifdef ORV_WIDE_KERNELS
    case Width::Avx512: ZoomAvx512(in, out, n, f); return;
    case Width::Avx2: ZoomAvx2(in, out, n, f); return;
#endif
    default: ZoomScalar(in, out, n, f); return;
  }
}

void Project(const Point3d* in, Point2i* out, std::size_t n, double d, int mx, int my) {
  switch (Now()) {
#ifdef ORV_WIDE_KERNELS
    case Width::Avx512: ProjectAvx512(in, out, n, d, mx, my); return;
    case Width::Avx2: ProjectAvx2(in, out, n, d, mx, my); return;
#endif
    default: ProjectScalar(in, out, n, d, mx, my); return;
  }
}

void SurfaceRow(const std::uint8_t* cells, CellBytes kind, std::size_t n, const int* xs, int z, double factor,
                Point3i* out) {
  switch (Now()) {
#ifdef ORV_WIDE_KERNELS
    case Width::Avx512: SurfaceRowAvx512(cells, kind, n, xs, z, factor, out); return;
    case Width::Avx2: SurfaceRowAvx2(cells, kind, n, xs, z, factor, out); return;
#endif
    default: SurfaceRowScalar(cells, kind, n, xs, z, factor, out); return;
  }
}

}  // namespace orv::kernels
