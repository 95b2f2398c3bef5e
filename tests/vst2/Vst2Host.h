#pragma once
// A small VST 2.4 host for the tests: loads the built KorvaneResonix.so like a DAW does, creates
// instances through its entry point and records what the plug-in asks of the host.

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "framework/hosts/vst2/Vst2Interface.h"

namespace vst2test {

// One host callback the plug-in made.
struct HostCall {
  vst2::VstInt32 opcode;
  vst2::VstInt32 index;
  vst2::VstIntPtr value;
  float opt;
};

// What the host answers and what it has been told; shared by every instance of a test.
struct HostState {
  std::string product = "Vst2TestHost";
  vst2::VstIntPtr vendor_version = 10203;  // 1.2.3
  vst2::VstIntPtr process_level = 1;       // realtime
  vst2::VstTimeInfo time{};

  std::mutex mutex;
  std::vector<HostCall> calls;

  void clear();
  std::vector<HostCall> calls_with(vst2::VstInt32 opcode);
};

HostState& host();

// The loaded plug-in module; loaded once per process and kept loaded.
class Vst2Module {
 public:
  static Vst2Module& get();

  bool loaded() const { return handle_ != nullptr; }
  const std::string& error() const { return error_; }
  const std::string& path() const { return path_; }
  void* symbol(const char* name) const;

  using EntryProc = vst2::AEffect* (*)(vst2::HostCallback);
  EntryProc entry() const { return entry_; }

 private:
  Vst2Module();
  std::string path_;
  std::string error_;
  void* handle_ = nullptr;
  EntryProc entry_ = nullptr;
};

// One plug-in instance, opened like a host does (entry point, open, rate, block size, resume) and
// closed in its destructor.
class Vst2Instance {
 public:
  explicit Vst2Instance(bool open = true, double rate = 44100.0, int block = 512);
  ~Vst2Instance();
  Vst2Instance(const Vst2Instance&) = delete;
  Vst2Instance& operator=(const Vst2Instance&) = delete;

  vst2::AEffect* effect() const { return effect_; }
  explicit operator bool() const { return effect_ != nullptr; }

  vst2::VstIntPtr dispatch(vst2::VstInt32 opcode, vst2::VstInt32 index = 0, vst2::VstIntPtr value = 0,
                           void* ptr = nullptr, float opt = 0.0f);
  std::string text(vst2::VstInt32 opcode, vst2::VstInt32 index = 0);
  vst2::VstIntPtr can_do(const char* what);

  float get(int index);
  void set(int index, float value);
  std::string display(int index);

  // Program (index 1) or bank (index 0) chunk, copied out of the plug-in.
  std::vector<uint8_t> chunk(bool program);
  vst2::VstIntPtr set_chunk(bool program, std::vector<uint8_t> bytes);

  // Mono processing of one block; returns the output.
  std::vector<double> process_double(const std::vector<double>& in);
  std::vector<float> process_float(const std::vector<float>& in);
  std::vector<float> process_accumulating(const std::vector<float>& in, float already_there);

  void close();

 private:
  vst2::AEffect* effect_ = nullptr;
};

}  // namespace vst2test
