// The instance's channels as the host connects them, and the host buffers of each block.
#include <algorithm>
#include <cstring>
#include <limits>

#include "framework/core/IEffectBase.h"

namespace {
constexpr double kMaxFloatSample = std::numeric_limits<float>::max();
}  // namespace

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

void IEffectBase::ConnectChannels(int nIn, int nOut) {
  nIn = std::clamp(nIn, 0, NInChannels());
  nOut = std::clamp(nOut, 0, NOutChannels());
  SetInputChannelConnections(0, nIn, true);
  SetInputChannelConnections(nIn, NInChannels() - nIn, false);
  SetOutputChannelConnections(0, nOut, true);
  SetOutputChannelConnections(nOut, NOutChannels() - nOut, false);
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
  const ThreadCheck::AudioScope audio(mThreadCheck);
  if (nFrames <= 0) return;
  SetHostBypass(passThrough);
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
    RunPiece(n);
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
