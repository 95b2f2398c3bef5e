#include "raster/FontCache.h"

#include <map>
#include <tuple>

namespace {
using Key = std::tuple<std::string, int, bool, bool, bool>;
struct Cache {
  std::mutex mutex;
  std::map<Key, std::unique_ptr<RasterFont>> fonts;  // a failed spec keeps a null entry
};
// Never destroyed: editors may draw text until the very end of the process.
Cache& TheCache() {
  static Cache* cache = new Cache;
  return *cache;
}
}  // namespace

RasterFont* FontCache::Get(const RasterFont::Spec& spec) {
  Cache& cache = TheCache();
  const Key key{spec.file, spec.height, spec.italic, spec.bold, spec.antiAlias};
  std::lock_guard<std::mutex> lock(cache.mutex);
  auto it = cache.fonts.find(key);
  if (it == cache.fonts.end()) it = cache.fonts.emplace(key, RasterFont::Create(spec)).first;
  return it->second.get();
}
