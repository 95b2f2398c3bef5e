#include "framework/core/ByteChunk.h"

#include <limits>

void ByteChunk::Reserve(size_t size) {
  if (size <= mBytes.capacity()) return;
  const size_t steps = (size + kGrowStep - 1) / kGrowStep;
  mBytes.reserve(steps * kGrowStep);
}

int ByteChunk::PutBytes(const void* data, int size) {
  if (size <= 0 || !data) return Size();
  const size_t newSize = mBytes.size() + size_t(size);
  if (newSize > size_t(std::numeric_limits<int>::max())) return Size();
  Reserve(newSize);
  const uint8_t* bytes = static_cast<const uint8_t*>(data);
  mBytes.insert(mBytes.end(), bytes, bytes + size);
  return Size();
}

int ByteChunk::PutBool(bool value) {
  const uint8_t byte = value ? 1 : 0;
  return PutBytes(&byte, 1);
}

int ByteChunk::PutStr(const char* text) {
  if (!text) text = "";
  const size_t length = std::strlen(text);
  if (length > size_t(std::numeric_limits<int>::max() - 4)) return Size();
  const int32_t n = int32_t(length);
  Put(&n);
  return PutBytes(text, n);
}

int ByteChunk::PutChunk(const ByteChunk* other) {
  if (!other || other == this) {
    if (other == this) {
      const std::vector<uint8_t> copy = mBytes;
      return PutBytes(copy.data(), int(copy.size()));
    }
    return Size();
  }
  return PutBytes(other->GetBytes(), other->Size());
}

int ByteChunk::GetBool(bool* value, int pos) const {
  uint8_t byte = 0;
  const int next = Get(&byte, pos);
  if (next >= 0) *value = byte != 0;
  return next;
}

int ByteChunk::GetStr(std::string* text, int pos) const {
  int32_t n = 0;
  const int start = Get(&n, pos);
  if (start < 0) return -1;
  if (n < 0 || !Fits(start, size_t(n))) return -1;
  text->assign(reinterpret_cast<const char*>(mBytes.data()) + start, size_t(n));
  return start + n;
}

int ByteChunk::Resize(int size) {
  if (size < 0) size = 0;
  Reserve(size_t(size));
  mBytes.resize(size_t(size), 0);
  return Size();
}
