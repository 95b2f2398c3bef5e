// The shipped binaries link libgcc's unwinder statically. Built against glibc 2.35 or newer, it
// finds a frame's unwind tables through _dl_find_object, which older systems lack; the linker
// sends those calls here (--wrap), where dl_iterate_phdr (every glibc) answers them the way the
// unwinder itself did before. Only exceptions thrown and caught inside the binary come this way.
#include <dlfcn.h>
#include <link.h>

#include <cstdint>
#include <cstring>

namespace {

struct Search {
  std::uintptr_t pc;
  dl_find_object* result;
  bool found;
};

int visit(dl_phdr_info* info, size_t, void* data) {
  auto* s = static_cast<Search*>(data);
  std::uintptr_t lo = UINTPTR_MAX, hi = 0;
  bool contains = false;
  const void* eh_frame = nullptr;
  for (int i = 0; i < info->dlpi_phnum; ++i) {
    const ElfW(Phdr)& ph = info->dlpi_phdr[i];
    const std::uintptr_t start = info->dlpi_addr + ph.p_vaddr;
    if (ph.p_type == PT_LOAD) {
      if (start < lo) lo = start;
      if (start + ph.p_memsz > hi) hi = start + ph.p_memsz;
      if (s->pc >= start && s->pc < start + ph.p_memsz) contains = true;
    } else if (ph.p_type == PT_GNU_EH_FRAME) {
      eh_frame = reinterpret_cast<const void*>(start);
    }
  }
  if (!contains) return 0;
  std::memset(s->result, 0, sizeof *s->result);
  s->result->dlfo_map_start = reinterpret_cast<void*>(lo);
  s->result->dlfo_map_end = reinterpret_cast<void*>(hi);
  s->result->dlfo_eh_frame = const_cast<void*>(eh_frame);
  s->found = true;
  return 1;
}

}  // namespace

extern "C" __attribute__((visibility("hidden"))) int __wrap__dl_find_object(void* pc,
                                                                            dl_find_object* result) {
  Search s{reinterpret_cast<std::uintptr_t>(pc), result, false};
  dl_iterate_phdr(visit, &s);
  return s.found ? 0 : -1;
}
