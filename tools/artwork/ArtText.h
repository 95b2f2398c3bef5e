#pragma once
// Captions for the artwork, drawn with the editor's own fonts through the raster back-end.

#include <string>

#include "tools/artwork/ArtCanvas.h"

enum class ArtAlign { Left, Centre, Right };

struct ArtFont {
  int size;
  bool bold = false;
};

class ArtText {
 public:
  // fontDir holds DejaVuSans.ttf and DejaVuSans-Bold.ttf.
  explicit ArtText(std::string fontDir);
  ~ArtText();
  ArtText(const ArtText&) = delete;
  ArtText& operator=(const ArtText&) = delete;

  bool ok() const;
  // In editor pixels, as the text is drawn at 1x.
  int width(const ArtFont& font, const std::string& text);
  // Draws text in the box (editor pixels) (left..right, top..bottom), aligned horizontally and centred
  // vertically on the box's middle by the font's cap height.
  void draw(ArtCanvas& canvas, const ArtFont& font, const std::string& text, int left, int top, int right,
            int bottom, ArtColor colour, ArtAlign align);
  // The same with extra space between the letters, for small capitals captions.
  void draw_spaced(ArtCanvas& canvas, const ArtFont& font, const std::string& text, int left, int top,
                   int right, int bottom, ArtColor colour, ArtAlign align, int spacing);

 private:
  struct Impl;
  Impl* mImpl;
};
