#pragma once
// The modal "Info" notice. The platform installs a hook that shows it; without one the text goes
// to standard error, so nothing is ever lost silently.

// Shows text with the given caption ("Info" or "Error").
using NoticeHook = void (*)(const char* text, const char* caption);

// Installs the process-wide hook; null restores the standard-error fallback. Returns the previous.
NoticeHook set_notice_hook(NoticeHook hook);

// Any thread: the notice titled "Info" with one "OK" button.
void myMessage(const char* text);

// Any thread: the same notice with another caption ("Error" for the few platform failures).
void show_notice(const char* text, const char* caption);
