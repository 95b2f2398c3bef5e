#pragma once
// A straight-alpha ARGB picture with the anti-aliased shapes the editor artwork is made of.
// Shapes are sampled 4 x 4 per pixel, which is plenty for pictures drawn once at build time.
// Coordinates are editor pixels; a canvas of density d has d x d image pixels per editor pixel, so
// the same drawing code paints the artwork for every screen density.

#include <cstdint>
#include <functional>
#include <vector>

#include "raster/RasterBitmap.h"

struct ArtColor {
  int a, r, g, b;
};

constexpr ArtColor art_rgb(int rgb, int alpha = 255) {
  return {alpha, (rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF};
}

// Linear mix of two colours, t = 0 gives from.
ArtColor art_mix(ArtColor from, ArtColor to, double t);

class ArtCanvas {
 public:
  ArtCanvas(int width, int height, ArtColor fill, int density = 1);

  // In editor pixels.
  int width() const { return mWidth; }
  int height() const { return mHeight; }
  int density() const { return mDensity; }
  // The picture itself, straight alpha, in image pixels, for text drawing and PNG encoding.
  const RasterBitmap& bitmap() const { return mBitmap; }
  RasterBitmap& bitmap() { return mBitmap; }
  // One image pixel.
  ArtColor at(int x, int y) const;

  // Source-over one colour with a coverage of 0..1 on one image pixel.
  void blend(int x, int y, ArtColor c, double coverage = 1.0);

  // Any shape given as an inside test, coloured by a vertical gradient from top to bottom of
  // the rows y0..y1.
  void fill_shape(double x0, double y0, double x1, double y1,
                  const std::function<bool(double, double)>& inside, ArtColor top, ArtColor bottom);

  void fill_rect(int x0, int y0, int x1, int y1, ArtColor c);
  void fill_gradient(int x0, int y0, int x1, int y1, ArtColor top, ArtColor bottom);
  void fill_round_rect(double x0, double y0, double x1, double y1, double radius, ArtColor top,
                       ArtColor bottom);
  // A ring of the given width just inside the rounded rectangle.
  void stroke_round_rect(double x0, double y0, double x1, double y1, double radius, double width, ArtColor c);
  void fill_circle(double cx, double cy, double radius, ArtColor top, ArtColor bottom);
  void fill_triangle(double ax, double ay, double bx, double by, double cx, double cy, ArtColor c);
  // One-pixel axis-aligned lines, right and bottom ends exclusive.
  void hline(int x0, int x1, int y, ArtColor c);
  void vline(int x, int y0, int y1, ArtColor c);

 private:
  int mWidth, mHeight, mDensity;
  RasterBitmap mBitmap;
};
