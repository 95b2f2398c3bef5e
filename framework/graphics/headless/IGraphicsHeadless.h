#pragma once
// An editor without a window, for tests, benchmarks and the command-line tool: it draws into the
// off-screen bitmap on demand, records the notices it is asked to show, answers file prompts from a
// queue and saves what it drew as PNG. Mouse and keys go straight to IGraphics' entry points.

#include <deque>
#include <string>
#include <vector>

#include "framework/graphics/IGraphics.h"

class IGraphicsHeadless : public IGraphics {
 public:
  struct Notice {
    std::string text;
    std::string caption;
    int type = 0;
  };
  struct FilePrompt {
    EFileAction action = kFileOpen;
    std::string file;  // as handed in
    std::string dir;
    std::string extensions;
  };

  IGraphicsHeadless(IEffectBase* plug, int w, int h, int refreshFPS = 0);
  ~IGraphicsHeadless() override;

  bool DrawScreen(IRECT* rect) override;
  int ShowMessageBox(const char* text, const char* caption, int type) override;
  void PromptForFile(std::string* file, EFileAction action = kFileOpen, std::string* dir = nullptr,
                     const char* extensions = "") override;
  bool OpenURL(const char* url, const char* msgWindowTitle = nullptr, const char* confirmMsg = nullptr,
               const char* errMsgOnFailure = nullptr) override;
  void* OpenWindow(void* parentWnd) override;
  void CloseWindow() override;
  void* GetWindow() override { return mWindowOpen ? this : nullptr; }

  // ---- drawing on demand ----
  // One timer tick: the controls' idle turn, then the dirty union is drawn, if any. Returns whether
  // anything was drawn.
  bool Tick();
  // Marks everything dirty and draws the whole editor.
  void RedrawAll();
  int ScreenCopies() const { return mScreenCopies; }
  const IRECT& LastScreenRECT() const { return mLastScreenRECT; }
  // Writes the draw bitmap as PNG; false when it cannot.
  bool SavePNG(const std::string& path) const;

  // ---- notices ----
  const std::vector<Notice>& Notices() const { return mNotices; }
  const Notice* LastNotice() const { return mNotices.empty() ? nullptr : &mNotices.back(); }
  void ClearNotices() { mNotices.clear(); }
  // Answer of the following message boxes (kIDOK unless set).
  void SetMessageBoxAnswer(int answer) { mMessageBoxAnswer = answer; }

  // ---- file prompts ----
  // Answers of the following prompts, in order; an empty path answers "cancelled". With no answer
  // queued a prompt is cancelled.
  void QueueFileAnswer(const std::string& path) { mFileAnswers.push_back(path); }
  int PendingFileAnswers() const { return int(mFileAnswers.size()); }
  const std::vector<FilePrompt>& FilePrompts() const { return mFilePrompts; }

  // ---- URLs ----
  const std::vector<std::string>& OpenedURLs() const { return mOpenedURLs; }

 private:
  std::vector<Notice> mNotices;
  int mMessageBoxAnswer = kIDOK;
  std::deque<std::string> mFileAnswers;
  std::vector<FilePrompt> mFilePrompts;
  std::vector<std::string> mOpenedURLs;
  bool mWindowOpen = false;
  int mScreenCopies = 0;
  IRECT mLastScreenRECT;
};
