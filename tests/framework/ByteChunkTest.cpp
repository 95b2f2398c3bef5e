#include <gtest/gtest.h>

#include <random>

#include "framework/core/ByteChunk.h"

TEST(ByteChunk, ValuesTextsAndChunksRoundTripLittleEndian) {
  ByteChunk c;
  const double d = 0.4444;
  const int i = 0x01020304;
  c.Put(&d);
  c.Put(&i);
  c.PutBool(true);
  c.PutStr("Kor5");
  c.PutStr("");
  ASSERT_EQ(c.Size(), 8 + 4 + 1 + 8 + 4);
  EXPECT_EQ(c.GetBytes()[8], 0x04);  // little-endian int
  EXPECT_EQ(c.GetBytes()[12], 1);

  double d2 = 0;
  int i2 = 0;
  bool b = false;
  std::string s, empty = "x";
  int pos = c.Get(&d2, 0);
  pos = c.Get(&i2, pos);
  pos = c.GetBool(&b, pos);
  pos = c.GetStr(&s, pos);
  pos = c.GetStr(&empty, pos);
  EXPECT_EQ(pos, c.Size());
  EXPECT_EQ(d2, d);
  EXPECT_EQ(i2, i);
  EXPECT_TRUE(b);
  EXPECT_EQ(s, "Kor5");
  EXPECT_EQ(empty, "");

  ByteChunk whole;
  whole.PutChunk(&c);
  whole.PutChunk(&whole);  // appending itself doubles it
  EXPECT_EQ(whole.Size(), 2 * c.Size());
  EXPECT_EQ(0, std::memcmp(whole.GetBytes() + c.Size(), c.GetBytes(), size_t(c.Size())));
}

TEST(ByteChunk, AnyNonZeroByteReadsAsTrueAndCapacityGrowsInSteps) {
  ByteChunk c;
  const unsigned char byte = 0x80;
  c.PutBytes(&byte, 1);
  bool b = false;
  EXPECT_EQ(c.GetBool(&b, 0), 1);
  EXPECT_TRUE(b);
  c.Resize(5000);
  EXPECT_EQ(c.Size(), 5000);
  EXPECT_EQ(c.GetBytes()[4999], 0);
  c.Resize(-3);
  EXPECT_EQ(c.Size(), 0);
}

TEST(ByteChunk, ReadsPastTheEndFailAtEveryTruncation) {
  ByteChunk full;
  const double d = 1.5;
  full.Put(&d);
  full.PutStr("payload text");
  for (int len = 0; len <= full.Size(); ++len) {
    ByteChunk cut;
    cut.PutBytes(full.GetBytes(), len);
    double v = -7.0;
    const int pos = cut.Get(&v, 0);
    if (len < 8) {
      EXPECT_EQ(pos, -1) << len;
      EXPECT_EQ(v, -7.0) << len;  // untouched
      continue;
    }
    std::string s = "keep";
    const int end = cut.GetStr(&s, pos);
    if (len == full.Size()) {
      EXPECT_EQ(end, len);
      EXPECT_EQ(s, "payload text");
    } else {
      EXPECT_EQ(end, -1) << len;
      EXPECT_EQ(s, "keep") << len;
    }
  }
  double v = 0;
  EXPECT_EQ(full.Get(&v, -1), -1);
  EXPECT_EQ(full.Get(&v, full.Size()), -1);
  EXPECT_EQ(full.Get(&v, 0x7FFFFFFF), -1);
}

TEST(ByteChunk, TextLengthsThatLieAreRefused) {
  for (int32_t n : {-1, -100, 0x7FFFFFFF, 5, int32_t(0x80000000)}) {
    ByteChunk c;
    c.Put(&n);
    c.PutBytes("abcd", 4);
    std::string s = "same";
    EXPECT_EQ(c.GetStr(&s, 0), -1) << n;
    EXPECT_EQ(s, "same");
  }
}

TEST(ByteChunk, RandomBytesNeverReadOutOfBounds) {
  std::mt19937 rng(20261208);
  for (int round = 0; round < 300; ++round) {
    ByteChunk c;
    const int size = int(rng() % 64);
    for (int k = 0; k < size; ++k) {
      const unsigned char byte = (unsigned char)(rng() & 0xFF);
      c.PutBytes(&byte, 1);
    }
    for (int pos = -2; pos <= size + 2; ++pos) {
      std::string s;
      double d;
      bool b;
      const int a = c.GetStr(&s, pos), e = c.Get(&d, pos), f = c.GetBool(&b, pos);
      for (int r : {a, e, f}) EXPECT_TRUE(r == -1 || (r > pos && r <= size));
    }
  }
}
