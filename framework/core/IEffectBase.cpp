#include "framework/core/IEffectBase.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>

namespace {
constexpr double kMaxFloatSample = std::numeric_limits<float>::max();

// No host asks for more; a larger count in an I/O string is a typo, not a request for memory.
constexpr int kMaxChannels = 64;
// Scratch buffers never grow past this; longer host blocks are processed in pieces.
constexpr int kMaxScratchFrames = 65536;
constexpr int kMaxLatency = 1 << 20;

void copy_name(char* dest, const char* src, int size) {
  std::snprintf(dest, size_t(size), "%s", src ? src : "");
}

// "1-1 2-2": pairs of input and output counts separated by spaces; anything else ends the list.
std::vector<std::pair<int, int>> parse_channel_io(const char* text) {
  std::vector<std::pair<int, int>> pairs;
  if (!text) return pairs;
  const char* p = text;
  while (*p) {
    while (*p == ' ') ++p;
    if (!*p) break;
    char* end = nullptr;
    const long nIn = std::strtol(p, &end, 10);
    if (end == p || *end != '-') break;
    p = end + 1;
    const long nOut = std::strtol(p, &end, 10);
    if (end == p) break;
    p = end;
    pairs.emplace_back(int(std::clamp(nIn, 0L, long(kMaxChannels))),
                       int(std::clamp(nOut, 0L, long(kMaxChannels))));
  }
  return pairs;
}

void write_version(char* out, int outSize, int version) {
  if (!out || outSize <= 0) return;
  std::snprintf(out, size_t(outSize), "v%d.%d.%d", (version >> 16) & 0xFFFF, (version >> 8) & 0xFF,
                version & 0xFF);
}

int decimal_version(int version) {
  return ((version >> 16) & 0xFFFF) * 10000 + ((version >> 8) & 0xFF) * 100 + (version & 0xFF);
}

}  // namespace

IEffectBase::IEffectBase(int nParams, const char* channelIOStr, int nPresets, const char* effectName,
                         const char* productName, const char* mfrName, int vendorVersion, int uniqueID,
                         int mfrID, int latency, bool plugDoesMidi, bool plugDoesChunks, bool plugIsInst,
                         EAPI plugAPI)
    : mUniqueID(uniqueID),
      mMfrID(mfrID),
      mVersion(vendorVersion),
      mAPI(plugAPI),
      mDoesMIDI(plugDoesMidi),
      mStateChunks(plugDoesChunks),
      mIsInst(plugIsInst) {
  copy_name(mEffectName, effectName, kNameSize);
  copy_name(mProductName, productName, kNameSize);
  copy_name(mMfrName, mfrName, kNameSize);

  for (int i = 0; i < nParams; ++i) mParams.push_back(std::make_unique<IParam>());
  mPresets.resize(size_t(std::max(nPresets, 0)));

  mChannelIO = parse_channel_io(channelIOStr);
  int nIn = 0, nOut = 0;
  for (const auto& [in, out] : mChannelIO) {
    nIn = std::max(nIn, in);
    nOut = std::max(nOut, out);
  }
  mInChannels.resize(size_t(nIn));
  mOutChannels.resize(size_t(nOut));
  mInData.assign(size_t(nIn), nullptr);
  mOutData.assign(size_t(nOut), nullptr);
  // Channels start connected; the adapter disconnects what its host does not supply.
  for (InChannel& ch : mInChannels) ch.mConnected = true;
  for (OutChannel& ch : mOutChannels) ch.mConnected = true;
  for (int i = 0; i < nIn; ++i) mInChannels[size_t(i)].mLabel = "input " + std::to_string(i + 1);
  for (int i = 0; i < nOut; ++i) mOutChannels[size_t(i)].mLabel = "output " + std::to_string(i + 1);

  mLatency = std::clamp(latency, 0, kMaxLatency);
  if (nIn > 0) mLatencyRing.assign(size_t(mLatency) * size_t(nIn), 0.0);
}

// ---------------------------------------------------------------- default hooks

void IEffectBase::Reset() {
  Lock lock(mMutex);
}

void IEffectBase::OnParamChange(int paramIdx) {
  Lock lock(mMutex);
}

void IEffectBase::OnActivate(bool active) {
  Lock lock(mMutex);
}

void IEffectBase::ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames) {
  PassThrough(inputs, outputs, nFrames, false);
}

bool IEffectBase::SerializeState(ByteChunk* chunk) {
  return SerializeParams(chunk);
}

int IEffectBase::UnserializeState(ByteChunk* chunk, int startPos) {
  return UnserializeParams(chunk, startPos);
}

bool IEffectBase::CompareState(const unsigned char* incomingState, int startPos) {
  if (!incomingState || startPos < 0) return false;
  ByteChunk current;
  SerializeParams(&current);
  return std::memcmp(incomingState + startPos, current.GetBytes(), size_t(current.Size())) == 0;
}

void IEffectBase::GetTimeSig(int* numerator, int* denominator) {
  if (numerator) *numerator = 0;
  if (denominator) *denominator = 0;
}

void IEffectBase::SetParameterFromGUI(int paramIdx, double normalizedValue) {
  Lock lock(mMutex);
  IParam* param = GetParam(paramIdx);
  if (!param) return;
  param->SetNormalized(normalizedValue);
  InformHostOfParamChange(paramIdx, normalizedValue);
  OnParamChange(paramIdx);
}

void IEffectBase::SetLatency(int samples) {
  Lock lock(mMutex);
  mLatency = std::clamp(samples, 0, kMaxLatency);
  mLatencyPos = 0;
  if (mInChannels.empty()) return;
  try {
    mLatencyRing.assign(size_t(mLatency) * mInChannels.size(), 0.0);
  } catch (const std::bad_alloc&) {
    mLatency = 0;
    mLatencyRing.clear();
  }
}

void IEffectBase::SetBlockSize(int blockSize) {
  Lock lock(mMutex);
  const int size = std::clamp(blockSize, 0, kMaxScratchFrames);
  if (size == mBlockSize) return;
  try {
    for (InChannel& ch : mInChannels) ch.mScratch.assign(size_t(size), 0.0);
    for (OutChannel& ch : mOutChannels) ch.mScratch.assign(size_t(size), 0.0);
    mBlockSize = size;
  } catch (const std::bad_alloc&) {
    // Keep every buffer at one consistent size: the old one.
    for (InChannel& ch : mInChannels) ch.mScratch.assign(size_t(mBlockSize), 0.0);
    for (OutChannel& ch : mOutChannels) ch.mScratch.assign(size_t(mBlockSize), 0.0);
  }
}

// ---------------------------------------------------------------- parameters

void IEffectBase::OnParamReset() {
  for (int i = 0; i < NParams(); ++i) OnParamChange(i);
}

void IEffectBase::DirtyParameters() {
  Lock lock(mMutex);
  for (int i = 0; i < NParams(); ++i) InformHostOfParamChange(i, mParams[size_t(i)]->GetNormalized());
}

// ---------------------------------------------------------------- identity

int IEffectBase::GetEffectVersion(bool decimal) const {
  return decimal ? decimal_version(mVersion) : mVersion;
}

void IEffectBase::GetEffectVersionStr(char* out, int outSize) const {
  write_version(out, outSize, mVersion);
}

std::string IEffectBase::GetEffectVersionStr() const {
  char text[32];
  GetEffectVersionStr(text, sizeof text);
  return text;
}

int IEffectBase::GetHostVersion(bool decimal) const {
  return decimal ? decimal_version(mHostVersion) : mHostVersion;
}

void IEffectBase::GetHostVersionStr(char* out, int outSize) const {
  write_version(out, outSize, mHostVersion);
}

std::string IEffectBase::GetHostVersionStr() const {
  char text[32];
  GetHostVersionStr(text, sizeof text);
  return text;
}

void IEffectBase::SetHost(const char* hostName, int hostVersion) {
  mHost = LookUpHost(hostName);
  mHostVersion = hostVersion;
}

const char* IEffectBase::GetAPIString() const {
  switch (mAPI) {
    case kAPIVST2:
      return "VST2";
    case kAPIVST3:
      return "VST3";
    default:
      return "Headless";
  }
}

// ---------------------------------------------------------------- channels

bool IEffectBase::LegalIO(int nIn, int nOut) const {
  for (const auto& [in, out] : mChannelIO)
    if ((nIn < 0 || nIn == in) && (nOut < 0 || nOut == out)) return true;
  return false;
}

void IEffectBase::GetChannelIO(int idx, int* nIn, int* nOut) const {
  const bool valid = idx >= 0 && idx < NChannelIO();
  if (nIn) *nIn = valid ? mChannelIO[size_t(idx)].first : 0;
  if (nOut) *nOut = valid ? mChannelIO[size_t(idx)].second : 0;
}

void IEffectBase::LimitToStereoIO() {
  if (NInChannels() > 2) SetInputChannelConnections(2, NInChannels() - 2, false);
  if (NOutChannels() > 2) SetOutputChannelConnections(2, NOutChannels() - 2, false);
}

void IEffectBase::SetInputChannelConnections(int idx, int n, bool connected) {
  const int first = std::max(idx, 0);
  const int last = std::min<long long>((long long)idx + n, NInChannels());
  for (int i = first; i < last; ++i) mInChannels[size_t(i)].mConnected = connected;
}

void IEffectBase::SetOutputChannelConnections(int idx, int n, bool connected) {
  const int first = std::max(idx, 0);
  const int last = std::min<long long>((long long)idx + n, NOutChannels());
  for (int i = first; i < last; ++i) mOutChannels[size_t(i)].mConnected = connected;
}

bool IEffectBase::IsInChannelConnected(int chIdx) const {
  return chIdx >= 0 && chIdx < NInChannels() && mInChannels[size_t(chIdx)].mConnected;
}

bool IEffectBase::IsOutChannelConnected(int chIdx) const {
  return chIdx >= 0 && chIdx < NOutChannels() && mOutChannels[size_t(chIdx)].mConnected;
}

// ---------------------------------------------------------------- buffers

// Channels idx .. idx + n - 1 that exist, each with its host buffer (null without one).
template <typename Channel, typename Sample, typename Assign>
static void attach(std::vector<Channel>& channels, int idx, int n, Sample** ppData, Assign assign) {
  for (int i = 0; i < n; ++i) {
    const long long c = (long long)idx + i;
    if (c < 0 || c >= (long long)channels.size()) continue;
    assign(channels[size_t(c)], ppData ? ppData[i] : nullptr);
  }
}

void IEffectBase::AttachInputBuffers(int idx, int n, double** ppData, int nFrames) {
  attach(mInChannels, idx, n, ppData, [](InChannel& ch, double* data) {
    ch.mSrc = data;
    ch.mSrcFloat = nullptr;
  });
}

void IEffectBase::AttachInputBuffers(int idx, int n, float** ppData, int nFrames) {
  attach(mInChannels, idx, n, ppData, [](InChannel& ch, float* data) {
    ch.mSrcFloat = data;
    ch.mSrc = nullptr;
  });
}

void IEffectBase::AttachOutputBuffers(int idx, int n, double** ppData) {
  attach(mOutChannels, idx, n, ppData, [](OutChannel& ch, double* data) {
    ch.mDest = data;
    ch.mFDest = nullptr;
  });
}

void IEffectBase::AttachOutputBuffers(int idx, int n, float** ppData) {
  attach(mOutChannels, idx, n, ppData, [](OutChannel& ch, float* data) {
    ch.mFDest = data;
    ch.mDest = nullptr;
  });
}

void IEffectBase::ProcessBuffers(double, int nFrames) {
  RunBuffers(nFrames, false);
}
void IEffectBase::ProcessBuffers(float, int nFrames) {
  RunBuffers(nFrames, false);
}
void IEffectBase::PassThroughBuffers(double, int nFrames) {
  RunBuffers(nFrames, true);
}
void IEffectBase::PassThroughBuffers(float, int nFrames) {
  RunBuffers(nFrames, true);
}

// Audio thread: no allocation. Host double buffers are used in place; float samples and
// unconnected channels go through the scratch buffers, at most one block size at a time.
void IEffectBase::RunBuffers(int nFrames, bool passThrough) {
  if (nFrames <= 0) return;
  bool direct = true;  // double buffers on every channel: no scratch needed, any length works
  for (const InChannel& ch : mInChannels) direct = direct && ch.mConnected && ch.mSrc;
  for (const OutChannel& ch : mOutChannels) direct = direct && ch.mConnected && ch.mDest;
  const int piece = mBlockSize > 0 ? mBlockSize : (direct ? nFrames : 0);
  if (piece <= 0) {
    // No block size from the host yet: nothing can be converted, so the host hears silence.
    for (OutChannel& ch : mOutChannels) {
      if (ch.mDest) std::fill(ch.mDest, ch.mDest + nFrames, 0.0);
      if (ch.mFDest) std::fill(ch.mFDest, ch.mFDest + nFrames, 0.0f);
    }
    return;
  }
  for (int offset = 0; offset < nFrames; offset += piece) {
    const int n = std::min(piece, nFrames - offset);
    for (size_t c = 0; c < mInChannels.size(); ++c) {
      InChannel& ch = mInChannels[c];
      double* scratch = ch.mScratch.data();
      if (ch.mConnected && ch.mSrc) {
        mInData[c] = ch.mSrc + offset;
      } else if (ch.mConnected && ch.mSrcFloat) {
        for (int s = 0; s < n; ++s) scratch[s] = double(ch.mSrcFloat[offset + s]);
        mInData[c] = scratch;
      } else {
        std::fill(scratch, scratch + n, 0.0);
        mInData[c] = scratch;
      }
    }
    for (size_t c = 0; c < mOutChannels.size(); ++c) {
      OutChannel& ch = mOutChannels[c];
      mOutData[c] = ch.mConnected && ch.mDest ? ch.mDest + offset : ch.mScratch.data();
    }
    if (passThrough)
      PassThrough(mInData.data(), mOutData.data(), n, true);
    else
      ProcessDoubleReplacing(mInData.data(), mOutData.data(), n);
    for (OutChannel& ch : mOutChannels) {
      if (!ch.mConnected || !ch.mFDest || ch.mDest) continue;
      // Beyond float's range the conversion is undefined: the loudest float stands in.
      for (int s = 0; s < n; ++s)
        ch.mFDest[offset + s] = float(std::clamp(ch.mScratch[size_t(s)], -kMaxFloatSample, kMaxFloatSample));
    }
  }
}

// Input c to output c, delayed (when asked) by the latency through the ring; outputs without an input are
// silent.
void IEffectBase::PassThrough(double** inputs, double** outputs, int nFrames, bool delayed) {
  if (!inputs || !outputs || nFrames <= 0) return;
  const int nIn = NInChannels();
  const int latency = delayed && !mLatencyRing.empty() ? mLatency : 0;
  for (int c = 0; c < NOutChannels(); ++c) {
    double* out = outputs[c];
    if (!out) continue;
    const double* in = c < nIn ? inputs[c] : nullptr;
    if (!in) {
      std::fill(out, out + nFrames, 0.0);
      continue;
    }
    if (latency == 0) {
      if (out != in) std::memmove(out, in, sizeof(double) * size_t(nFrames));
      continue;
    }
    double* ring = mLatencyRing.data() + size_t(c) * size_t(latency);
    int pos = mLatencyPos;
    for (int s = 0; s < nFrames; ++s) {
      const double delayed = ring[pos];
      ring[pos] = in[s];
      out[s] = delayed;
      if (++pos == latency) pos = 0;
    }
  }
  if (latency > 0) mLatencyPos = int((mLatencyPos + (long long)nFrames) % latency);
}
