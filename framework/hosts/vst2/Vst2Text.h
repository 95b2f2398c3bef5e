#pragma once
// Text into the host's fixed-size buffers.

#include <cstring>

namespace vst2 {

// Copies at most size - 1 characters and always terminates; a null text writes an empty one.
inline void CopyText(void* dest, const char* text, int size) {
  if (!dest || size <= 0) return;
  if (!text) text = "";
  char* out = static_cast<char*>(dest);
  const size_t n = strnlen(text, size_t(size) - 1);
  std::memcpy(out, text, n);
  out[n] = 0;
}

}  // namespace vst2
