#include "engine/Notice.h"

#include <atomic>
#include <cstdio>

namespace {

void standard_error_notice(const char* text, const char* caption) {
  std::fprintf(stderr, "%s: %s\n", caption ? caption : "Info", text ? text : "");
}

std::atomic<NoticeHook> notice_hook{nullptr};

}  // namespace

NoticeHook set_notice_hook(NoticeHook hook) { return notice_hook.exchange(hook); }

void myMessage(const char* text) {
  show_notice(text, "Info");
}

void show_notice(const char* text, const char* caption) {
  NoticeHook hook = notice_hook.load();
  (hook ? hook : standard_error_notice)(text ? text : "", caption ? caption : "Info");
}
