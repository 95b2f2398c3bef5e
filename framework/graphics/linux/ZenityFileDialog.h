#pragma once
// File dialogs through the zenity program, run as a child process (the arguments are passed as they
// are; no shell is involved).

#include <string>
#include <vector>

class ZenityFileDialog {
 public:
  enum class Outcome {
    kChosen,
    kCancelled,
    kUnavailable  // zenity is not installed or could not run
  };
  struct Request {
    bool save = false;
    std::string title;
    std::string folder;      // where the dialog starts; may be empty
    std::string file;        // proposed file name; may be empty
    std::string extensions;  // space-separated, without points ("txt text")
  };

  // The command line for a request.
  static std::vector<std::string> Arguments(const Request& request);
  // Shows the dialog and waits for it. On kChosen, path is the chosen file, with the first
  // extension added to a saved name that has none.
  static Outcome Run(const Request& request, std::string* path);
  // What the user reads when the dialog cannot be shown.
  static const char* UnavailableMessage();
};
