#pragma once
// The small drawing surface the scene is drawn onto. The window paints into its
// back buffer through it; tests record what is drawn.
#include <cstdint>
#include <string_view>

namespace orv {

struct Rgb {
  std::uint8_t r = 0, g = 0, b = 0;
  bool operator==(const Rgb&) const = default;
};

namespace colours {
inline constexpr Rgb Black{0, 0, 0};
inline constexpr Rgb White{255, 255, 255};
inline constexpr Rgb Silver{192, 192, 192};
inline constexpr Rgb Gray{128, 128, 128};
inline constexpr Rgb Lime{0, 255, 0};
inline constexpr Rgb Yellow{255, 255, 0};
inline constexpr Rgb Red{255, 0, 0};
inline constexpr Rgb Fuchsia{255, 0, 255};
}  // namespace colours

class Canvas {
 public:
  virtual ~Canvas() = default;
  // Client size in pixels.
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  // Fills the whole client area with the colour ("refresh").
  virtual void Erase(Rgb colour) = 0;
  // Pen colour of the following lines (always one pixel wide).
  virtual void SetPen(Rgb colour) = 0;
  virtual void MoveTo(int x, int y) = 0;
  // Draws from the current position to (x, y), which becomes the current position.
  virtual void LineTo(int x, int y) = 0;
  // Text (Windows-1252 bytes) in the window's font and font colour, top left at (x, y).
  virtual void TextOut(int x, int y, std::string_view cp1252) = 0;
};

}  // namespace orv
