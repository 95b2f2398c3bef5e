#pragma once
// Which thread is where. Every build knows the thread in the audio path (InAudioPath): work that
// arrives there is handed over rather than done. Debug builds also check the thread contract the
// framework headers state; release builds check nothing. The audio thread is recorded at every entry
// to the audio path (hosts render offline, and tests process, from other threads than the real-time
// one), the editor thread when the editor window is created. Only rules that hold in every host are
// asserted:
//  - the audio path never enters the editor, never resizes buffers and never restores a preset;
//  - the editor window is closed on the thread that opened it, and never from the audio path.

#include <atomic>
#include <cassert>
#include <thread>

class ThreadCheck {
 public:
  // This thread is in the audio path for the scope's life. Scopes nest (an adapter's process entry
  // around the base's buffer run); the outer one puts the previous record back.
  class AudioScope {
   public:
    explicit AudioScope(ThreadCheck& check)
        : mCheck(check), mPrevious(check.mAudioThread.exchange(std::this_thread::get_id())) {
      check.mLastAudioThread.store(std::this_thread::get_id(), std::memory_order_relaxed);
    }
    ~AudioScope() { mCheck.mAudioThread.store(mPrevious); }
    AudioScope(const AudioScope&) = delete;
    AudioScope& operator=(const AudioScope&) = delete;

   private:
    ThreadCheck& mCheck;
    std::thread::id mPrevious;
  };

  bool InAudioPath() const { return mAudioThread.load() == std::this_thread::get_id(); }
  // This thread ran the audio path last: VST2 hosts send automation from it between blocks.
  bool OnLastAudioThread() const {
    return mLastAudioThread.load(std::memory_order_relaxed) == std::this_thread::get_id();
  }

#ifdef NDEBUG
  bool OnEditorThread() const {
    return true;
  }
  void EditorOpened() {}
  void EditorClosing() {}
#else
  // True while no window is open, or on the thread that opened it.
  bool OnEditorThread() const {
    const std::thread::id editor = mEditorThread.load();
    return editor == std::thread::id() || editor == std::this_thread::get_id();
  }
  void EditorOpened() {
    assert(!InAudioPath() && "the audio thread opens no window");
    mEditorThread.store(std::this_thread::get_id());
  }
  void EditorClosing() {
    assert(!InAudioPath() && "the audio thread closes no window");
    assert(OnEditorThread() && "the editor window closes on the thread that opened it");
    mEditorThread.store(std::thread::id());
  }
#endif

 private:
  std::atomic<std::thread::id> mAudioThread{};      // the thread in the audio path now, if any
  std::atomic<std::thread::id> mLastAudioThread{};  // the thread that entered the audio path last
#ifndef NDEBUG
  std::atomic<std::thread::id> mEditorThread{};  // the thread that opened the open window, if any
#endif
};
