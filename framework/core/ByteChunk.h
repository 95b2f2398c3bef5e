#pragma once
// Growable little-endian byte buffer for state and preset chunks. Every read is bounds-checked and
// returns the position after the value, or -1 (leaving the value unchanged) when it does not fit.

#include <cstdint>
#include <cstring>
#include <string>
#include <type_traits>
#include <vector>

class ByteChunk {
 public:
  static constexpr int kGrowStep = 4096;

  ByteChunk() = default;

  template <typename T>
  int Put(const T* value) {
    static_assert(std::is_trivially_copyable_v<T>, "only plain values go into a chunk");
    return PutBytes(value, int(sizeof(T)));
  }
  int PutBool(bool value);
  int PutStr(const char* text);
  int PutStr(const std::string& text) { return PutStr(text.c_str()); }
  int PutChunk(const ByteChunk* other);
  int PutBytes(const void* data, int size);

  template <typename T>
  int Get(T* value, int pos) const {
    static_assert(std::is_trivially_copyable_v<T>, "only plain values come out of a chunk");
    if (!Fits(pos, sizeof(T))) return -1;
    std::memcpy(value, mBytes.data() + pos, sizeof(T));
    return pos + int(sizeof(T));
  }
  int GetBool(bool* value, int pos) const;
  // A text whose length is negative or runs past the end is refused with -1.
  int GetStr(std::string* text, int pos) const;

  void Clear() { mBytes.clear(); }
  int Size() const { return int(mBytes.size()); }
  // Grows (zero-filled) or shrinks to size bytes; returns the new size.
  int Resize(int size);
  uint8_t* GetBytes() { return mBytes.data(); }
  const uint8_t* GetBytes() const { return mBytes.data(); }
  bool IsEqual(const ByteChunk& other) const { return mBytes == other.mBytes; }

 private:
  bool Fits(int pos, size_t size) const {
    return pos >= 0 && uint64_t(pos) + size <= uint64_t(mBytes.size());
  }
  void Reserve(size_t size);

  std::vector<uint8_t> mBytes;
};
