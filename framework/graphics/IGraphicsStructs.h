#pragma once
// Plain value types shared by the editor, its controls and the platform windows.

#include <algorithm>
#include <cstdint>
#include <cstring>

class RasterBitmap;
class RasterFont;

// Rectangle in editor pixels; right and bottom are exclusive. All four 0 is the empty rectangle.
struct IRECT {
  int L = 0, T = 0, R = 0, B = 0;

  IRECT() = default;
  IRECT(int l, int t, int r, int b) : L(l), T(t), R(r), B(b) {}

  bool Empty() const { return L == 0 && T == 0 && R == 0 && B == 0; }
  void Clear() { L = T = R = B = 0; }
  int W() const { return R - L; }
  int H() const { return B - T; }
  int MW() const { return (L + R) / 2; }
  int MH() const { return (T + B) / 2; }

  bool operator==(const IRECT& o) const { return L == o.L && T == o.T && R == o.R && B == o.B; }
  bool operator!=(const IRECT& o) const { return !(*this == o); }

  // Left and top inclusive, right and bottom exclusive.
  bool Contains(int x, int y) const { return !Empty() && x >= L && x < R && y >= T && y < B; }
  bool Contains(const IRECT& o) const {
    return !Empty() && !o.Empty() && o.L >= L && o.R <= R && o.T >= T && o.B <= B;
  }
  bool Intersects(const IRECT& o) const {
    return !Empty() && !o.Empty() && L < o.R && o.L < R && T < o.B && o.T < B;
  }
  // An empty rectangle takes the other one.
  IRECT Union(const IRECT& o) const {
    if (Empty()) return o;
    if (o.Empty()) return *this;
    return IRECT(std::min(L, o.L), std::min(T, o.T), std::max(R, o.R), std::max(B, o.B));
  }
  // The overlap, or the empty rectangle.
  IRECT Intersect(const IRECT& o) const {
    if (!Intersects(o)) return IRECT();
    return IRECT(std::max(L, o.L), std::max(T, o.T), std::min(R, o.R), std::min(B, o.B));
  }
};

// Colour, each channel 0..255.
struct IColor {
  int A = 255, R = 0, G = 0, B = 0;

  constexpr IColor() = default;
  constexpr IColor(int a, int r, int g, int b) : A(a), R(r), G(g), B(b) {}

  bool operator==(const IColor& o) const { return A == o.A && R == o.R && G == o.G && B == o.B; }
  bool operator!=(const IColor& o) const { return !(*this == o); }

  // Packed 0xAARRGGBB as the raster back-end stores pixels; channels are clamped to 0..255.
  constexpr uint32_t ARGB() const {
    auto c = [](int v) { return uint32_t(v < 0 ? 0 : v > 255 ? 255 : v); };
    return (c(A) << 24) | (c(R) << 16) | (c(G) << 8) | c(B);
  }
};

inline constexpr IColor COLOR_TRANSPARENT(0, 0, 0, 0);
inline constexpr IColor COLOR_BLACK(255, 0, 0, 0);
inline constexpr IColor COLOR_GRAY(255, 127, 127, 127);
inline constexpr IColor COLOR_WHITE(255, 255, 255, 255);
inline constexpr IColor COLOR_RED(255, 255, 0, 0);
inline constexpr IColor COLOR_GREEN(255, 0, 255, 0);
inline constexpr IColor COLOR_BLUE(255, 0, 0, 255);
inline constexpr IColor COLOR_YELLOW(255, 255, 255, 0);
inline constexpr IColor COLOR_ORANGE(255, 255, 127, 0);

// Text style. The face name selects the bundled sans-serif for every face this plug-in names.
struct IText {
  enum EStyle { kStyleNormal = 0, kStyleBold = 1, kStyleItalic = 2 };
  enum EAlign { kAlignNear = 0, kAlignCenter = 1, kAlignFar = 2 };
  enum EQuality {
    kQualityDefault = 0,
    kQualityNonAntiAliased = 1,
    kQualityAntiAliased = 2,
    kQualityClearType = 3
  };
  static constexpr int kFontSize = 32;

  char mFont[kFontSize] = "Verdana";
  int mSize = 12;
  IColor mColor = COLOR_BLACK;
  IColor mTextEntryBGColor = COLOR_WHITE;
  IColor mTextEntryFGColor = COLOR_BLACK;
  EStyle mStyle = kStyleNormal;
  EAlign mAlign = kAlignCenter;
  int mOrientation = 0;
  EQuality mQuality = kQualityDefault;
  mutable RasterFont* mCached = nullptr;  // filled from the font cache on first use
  // The same font for a denser screen, and the scale it was made for.
  mutable RasterFont* mCachedScaled = nullptr;
  mutable double mCachedScale = 0.0;

  IText() = default;
  IText(int size, const IColor* color = nullptr, const char* font = nullptr, EStyle style = kStyleNormal,
        EAlign align = kAlignCenter, int orientation = 0, EQuality quality = kQualityDefault,
        const IColor* textEntryBGColor = nullptr, const IColor* textEntryFGColor = nullptr)
      : mSize(size), mStyle(style), mAlign(align), mOrientation(orientation), mQuality(quality) {
    if (color) mColor = *color;
    if (font) SetFont(font);
    if (textEntryBGColor) mTextEntryBGColor = *textEntryBGColor;
    if (textEntryFGColor) mTextEntryFGColor = *textEntryFGColor;
  }
  explicit IText(const IColor* color) : IText(12, color) {}

  // Longer names are cut to the field's 31 characters.
  void SetFont(const char* font) {
    std::memset(mFont, 0, sizeof mFont);
    if (font) std::strncpy(mFont, font, sizeof mFont - 1);
  }
};

// A decoded image of N frames stacked vertically (or side by side when horizontal), in editor
// pixels. The same artwork drawn for denser screens comes along where the editor has it.
// Without image (mData null) it draws nothing.
struct IBitmap {
  static constexpr int kMaxDensity = 3;

  RasterBitmap* mData = nullptr;
  int W = 0;
  int H = 0;  // of the whole image
  int N = 1;
  bool mFramesAreHorizontal = false;
  // Id in the editors' bitmap cache, where the artwork for denser screens is loaded when a screen
  // first needs it (IGraphics::ImageAtDensity); -1 for an image that did not come from the cache.
  int mCacheId = -1;

  IBitmap() = default;
  IBitmap(RasterBitmap* data, int w, int h, int n = 1, bool framesAreHorizontal = false)
      : mData(data), W(w), H(h), N(n < 1 ? 1 : n), mFramesAreHorizontal(framesAreHorizontal) {}
  int FrameWidth() const { return mFramesAreHorizontal ? W / N : W; }
  int FrameHeight() const { return mFramesAreHorizontal ? H : H / N; }
};

// How a blit or fill combines with what is already drawn; the weight is the blit's alpha.
struct IChannelBlend {
  enum EBlendMethod {
    kBlendNone = 0,   // copy with source alpha
    kBlendClobber,    // plain copy
    kBlendAdd,        // add with alpha
    kBlendColorDodge  // colour dodge with alpha
  };
  EBlendMethod mMethod = kBlendNone;
  float mWeight = 1.0f;

  IChannelBlend() = default;
  IChannelBlend(EBlendMethod method, float weight = 1.0f) : mMethod(method), mWeight(weight) {}
};

// Mouse buttons and modifier keys of one mouse event.
struct IMouseMod {
  bool L = false, R = false, S = false, C = false, A = false;

  IMouseMod() = default;
  IMouseMod(bool l, bool r = false, bool s = false, bool c = false, bool a = false)
      : L(l), R(r), S(s), C(c), A(a) {}
};

enum EFileAction { kFileOpen = 0, kFileSave = 1 };

enum EDirection { kVertical = 0, kHorizontal = 1 };

// Key codes the platform windows translate keys into; other keys go on to the host.
enum EKeyCode {
  KEY_NONE = -1,
  KEY_SPACE = 0,
  KEY_UPARROW = 1,
  KEY_DOWNARROW = 2,
  KEY_LEFTARROW = 3,
  KEY_RIGHTARROW = 4,
  KEY_DIGIT_0 = 5,
  KEY_DIGIT_9 = 14,
  KEY_ALPHA_A = 15,
  KEY_ALPHA_Z = 40
};

// Message box types and answers, with the values of the Windows API.
enum EMessageBoxType { kMB_OK = 0, kMB_OKCANCEL = 1, kMB_YESNOCANCEL = 3, kMB_YESNO = 4 };
enum EMessageBoxResult { kIDOK = 1, kIDCANCEL = 2, kIDYES = 6, kIDNO = 7 };
