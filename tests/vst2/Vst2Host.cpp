#include "vst2/Vst2Host.h"

#include <dlfcn.h>

#include <cstdlib>
#include <cstring>

using namespace vst2;

namespace vst2test {

namespace {

VstIntPtr host_callback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                        float opt) {
  HostState& h = host();
  {
    std::lock_guard<std::mutex> lock(h.mutex);
    h.calls.push_back({opcode, index, value, opt});
  }
  switch (opcode) {
    case audioMasterVersion:
      return kVstVersion;
    case audioMasterGetProductString:
      if (ptr) {
        std::strncpy(static_cast<char*>(ptr), h.product.c_str(), kVstMaxProductStrLen - 1);
        static_cast<char*>(ptr)[kVstMaxProductStrLen - 1] = 0;
      }
      return !h.product.empty();
    case audioMasterGetVendorVersion:
      return h.vendor_version;
    case audioMasterGetCurrentProcessLevel:
      return h.process_level;
    case audioMasterGetTime:
      return reinterpret_cast<VstIntPtr>(&h.time);
    default:
      return 0;
  }
}

}  // namespace

void HostState::clear() {
  std::lock_guard<std::mutex> lock(mutex);
  calls.clear();
}

std::vector<HostCall> HostState::calls_with(VstInt32 opcode) {
  std::lock_guard<std::mutex> lock(mutex);
  std::vector<HostCall> out;
  for (const HostCall& c : calls)
    if (c.opcode == opcode) out.push_back(c);
  return out;
}

HostState& host() {
  static HostState state;
  return state;
}

Vst2Module& Vst2Module::get() {
  static Vst2Module module;
  return module;
}

// The built module, or an installed one the package test names.
static std::string module_path() {
  const char* installed = std::getenv("RESONIX_TEST_VST2_MODULE");
  return installed && *installed ? installed : std::string(RESONIX_BINARY_DIR) + "/KorvaneResonix.so";
}

Vst2Module::Vst2Module() : path_(module_path()) {
  handle_ = dlopen(path_.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle_) {
    const char* e = dlerror();
    error_ = e ? e : "dlopen failed";
    return;
  }
  entry_ = reinterpret_cast<EntryProc>(dlsym(handle_, "VSTPluginMain"));
  if (!entry_) error_ = "no VSTPluginMain";
}

void* Vst2Module::symbol(const char* name) const {
  return handle_ ? dlsym(handle_, name) : nullptr;
}

Vst2Instance::Vst2Instance(bool open, double rate, int block) {
  Vst2Module& m = Vst2Module::get();
  if (!m.entry()) return;
  effect_ = m.entry()(host_callback);
  if (!effect_ || !open) return;
  dispatch(effOpen);
  dispatch(effSetSampleRate, 0, 0, nullptr, float(rate));
  dispatch(effSetBlockSize, 0, block);
  dispatch(effMainsChanged, 0, 1);
}

Vst2Instance::~Vst2Instance() {
  close();
}

void Vst2Instance::close() {
  if (!effect_) return;
  dispatch(effMainsChanged, 0, 0);
  effect_->dispatcher(effect_, effClose, 0, 0, nullptr, 0.0f);
  effect_ = nullptr;
}

VstIntPtr Vst2Instance::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
  return effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
}

std::string Vst2Instance::text(VstInt32 opcode, VstInt32 index) {
  // Hosts hand out buffers well above the documented sizes; a marker shows overruns.
  char buf[512];
  std::memset(buf, 0x7f, sizeof buf);
  buf[0] = 0;
  dispatch(opcode, index, 0, buf);
  buf[sizeof buf - 1] = 0;
  return buf;
}

VstIntPtr Vst2Instance::can_do(const char* what) {
  return dispatch(effCanDo, 0, 0, const_cast<char*>(what));
}

float Vst2Instance::get(int index) {
  return effect_->getParameter(effect_, index);
}

void Vst2Instance::set(int index, float value) {
  effect_->setParameter(effect_, index, value);
}

std::string Vst2Instance::display(int index) {
  return text(effGetParamDisplay, index);
}

std::vector<uint8_t> Vst2Instance::chunk(bool program) {
  void* data = nullptr;
  VstIntPtr size = dispatch(effGetChunk, program ? 1 : 0, 0, &data);
  if (size <= 0 || !data) return {};
  const uint8_t* p = static_cast<const uint8_t*>(data);
  return std::vector<uint8_t>(p, p + size);
}

VstIntPtr Vst2Instance::set_chunk(bool program, std::vector<uint8_t> bytes) {
  // The host owns these bytes only for the duration of the call.
  return dispatch(effSetChunk, program ? 1 : 0, VstIntPtr(bytes.size()),
                  bytes.empty() ? nullptr : bytes.data());
}

std::vector<double> Vst2Instance::process_double(const std::vector<double>& in) {
  std::vector<double> input = in, output(in.size(), -7.0);
  double* ins[1] = {input.data()};
  double* outs[1] = {output.data()};
  effect_->processDoubleReplacing(effect_, ins, outs, VstInt32(in.size()));
  return output;
}

std::vector<float> Vst2Instance::process_float(const std::vector<float>& in) {
  std::vector<float> input = in, output(in.size(), -7.0f);
  float* ins[1] = {input.data()};
  float* outs[1] = {output.data()};
  effect_->processReplacing(effect_, ins, outs, VstInt32(in.size()));
  return output;
}

std::vector<float> Vst2Instance::process_accumulating(const std::vector<float>& in, float already_there) {
  std::vector<float> input = in, output(in.size(), already_there);
  float* ins[1] = {input.data()};
  float* outs[1] = {output.data()};
  effect_->process(effect_, ins, outs, VstInt32(in.size()));
  return output;
}

}  // namespace vst2test
