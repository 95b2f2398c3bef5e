#include <gtest/gtest.h>
#include <zlib.h>

#include <string>
#include <vector>

#include "raster/PngCodec.h"

namespace {
void Put32(std::vector<uint8_t>& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(uint8_t(v >> shift));
}

void PutChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
  Put32(out, uint32_t(data.size()));
  std::vector<uint8_t> body(type, type + 4);
  body.insert(body.end(), data.begin(), data.end());
  out.insert(out.end(), body.begin(), body.end());
  Put32(out, uint32_t(crc32(0, body.data(), uInt(body.size()))));
}

// A PNG written by hand: signature, IHDR, one IDAT of unfiltered rows, IEND.
std::vector<uint8_t> MakePng(int w, int h, int colourType, int channels, const std::vector<uint8_t>& pixels) {
  std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<uint8_t> ihdr;
  Put32(ihdr, uint32_t(w));
  Put32(ihdr, uint32_t(h));
  ihdr.insert(ihdr.end(), {8, uint8_t(colourType), 0, 0, 0});
  PutChunk(out, "IHDR", ihdr);
  std::vector<uint8_t> raw;
  for (int y = 0; y < h; ++y) {
    raw.push_back(0);  // filter type none
    const auto row = pixels.begin() + std::ptrdiff_t(y) * w * channels;
    raw.insert(raw.end(), row, row + w * channels);
  }
  uLongf size = compressBound(uLong(raw.size()));
  std::vector<uint8_t> packed(size);
  compress(packed.data(), &size, raw.data(), uLong(raw.size()));
  packed.resize(size);
  PutChunk(out, "IDAT", packed);
  PutChunk(out, "IEND", {});
  return out;
}
}  // namespace

TEST(PngCodec, DecodesRgbaAndRgbImagesBuiltByHand) {
  // 2 x 2 RGBA: red, green / blue, half-transparent white.
  const std::vector<uint8_t> rgba = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 128};
  auto bitmap = PngCodec::Decode(MakePng(2, 2, 6, 4, rgba).data(), MakePng(2, 2, 6, 4, rgba).size());
  ASSERT_TRUE(bitmap);
  ASSERT_EQ(bitmap->Width(), 2);
  ASSERT_EQ(bitmap->Height(), 2);
  EXPECT_EQ(bitmap->GetPixel(0, 0), 0xFFFF0000u);
  EXPECT_EQ(bitmap->GetPixel(1, 0), 0xFF00FF00u);
  EXPECT_EQ(bitmap->GetPixel(0, 1), 0xFF0000FFu);
  EXPECT_EQ(bitmap->GetPixel(1, 1), 0x80FFFFFFu);

  // 3 x 1 RGB without alpha comes out opaque.
  const std::vector<uint8_t> rgb = {10, 20, 30, 40, 50, 60, 70, 80, 90};
  const std::vector<uint8_t> file = MakePng(3, 1, 2, 3, rgb);
  bitmap = PngCodec::Decode(file.data(), file.size());
  ASSERT_TRUE(bitmap);
  EXPECT_EQ(bitmap->GetPixel(0, 0), 0xFF0A141Eu);
  EXPECT_EQ(bitmap->GetPixel(2, 0), 0xFF46505Au);
}

TEST(PngCodec, RefusesDamagedInput) {
  const std::vector<uint8_t> good = MakePng(2, 2, 6, 4, std::vector<uint8_t>(16, 7));
  EXPECT_FALSE(PngCodec::Decode(nullptr, 0));
  EXPECT_FALSE(PngCodec::Decode(good.data(), 7));
  for (size_t cut : {size_t(20), size_t(33), good.size() - 20, good.size() - 13})
    EXPECT_FALSE(PngCodec::Decode(good.data(), cut)) << "cut at " << cut;
  std::vector<uint8_t> badCrc = good;
  badCrc[30] ^= 0xFF;  // inside IHDR
  EXPECT_FALSE(PngCodec::Decode(badCrc.data(), badCrc.size()));
  const std::string text = "not a png at all, just text";
  EXPECT_FALSE(PngCodec::Decode(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
  // Header claiming an enormous image.
  std::vector<uint8_t> huge = MakePng(1, 1, 6, 4, std::vector<uint8_t>(4, 0));
  huge[16] = 0x7F;  // width high byte
  Put32(huge, 0);   // (CRC now wrong as well; refused either way)
  EXPECT_FALSE(PngCodec::Decode(huge.data(), huge.size()));
  EXPECT_FALSE(PngCodec::DecodeFile("/nonexistent/folder/image.png"));
}

TEST(PngCodec, EncodeThenDecodeGivesTheSamePixels) {
  RasterBitmap bitmap(5, 3);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x)
      bitmap.SetPixel(x, y,
                      uint32_t(0x10 + 40 * y) << 24 | uint32_t(x * 50) << 16 | uint32_t(y * 90) << 8 | 7u);
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(PngCodec::Encode(bitmap, &bytes));
  auto decoded = PngCodec::Decode(bytes.data(), bytes.size());
  ASSERT_TRUE(decoded);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) EXPECT_EQ(decoded->GetPixel(x, y), bitmap.GetPixel(x, y));

  const std::string path = std::string(RESONIX_BINARY_DIR) + "/test-home/png-roundtrip.png";
  ASSERT_TRUE(PngCodec::EncodeFile(bitmap, path));
  decoded = PngCodec::DecodeFile(path);
  ASSERT_TRUE(decoded);
  EXPECT_EQ(decoded->GetPixel(4, 2), bitmap.GetPixel(4, 2));
  EXPECT_FALSE(PngCodec::EncodeFile(bitmap, "/nonexistent/folder/out.png"));
  EXPECT_FALSE(PngCodec::Encode(RasterBitmap(), &bytes));
}
