#pragma once
// Xlib's default error handler ends the process. The editor's own connections must never take the
// host down (a window the host destroyed first, a focus request that came too early), so while any
// of them is open a process-wide handler swallows their errors and hands all others on to the
// handler that was installed before.

struct _XDisplay;

class X11ErrorTrap {
 public:
  // Opens a connection whose errors are swallowed; null when there is no X server.
  static _XDisplay* Open();
  // Closes a connection opened with Open.
  static void Close(_XDisplay* display);
  // Number of errors swallowed on that connection so far.
  static int ErrorCount(_XDisplay* display);
};
