// Shipped binaries carry their own unwinder, which finds unwind tables through our
// _dl_find_object stand-in: an exception thrown a few frames down must still be caught.
#include <cstdio>
#include <stdexcept>
#include <string>

namespace {

[[gnu::noinline]] int deepest(int depth) {
  if (depth == 0) throw std::runtime_error("unwound");
  return deepest(depth - 1) + 1;
}

[[gnu::noinline]] std::string catch_it(int depth) {
  try {
    deepest(depth);
  } catch (const std::exception& e) {
    return e.what();
  }
  return "not thrown";
}

}  // namespace

int main() {
  for (int depth : {0, 1, 8}) {
    const std::string got = catch_it(depth);
    if (got != "unwound") {
      std::fprintf(stderr, "depth %d: %s\n", depth, got.c_str());
      return 1;
    }
  }
  return 0;
}
