#pragma once
// Where each port of an LV2 plug-in of this framework sits: the audio inputs, the audio outputs,
// the plug-in's control ports in the description's order, then the host's bypass, free-wheeling
// and latency ports. The adapter and the TTL writer both read it, so the two always agree.

#include <string>

#include "framework/core/PlugDescription.h"

struct Lv2PortLayout {
  explicit Lv2PortLayout(int channels) : channels(channels) {}

  int channels;  // 1 (mono) or 2 (stereo), in and out alike

  int AudioIn(int c) const { return c; }
  int AudioOut(int c) const { return channels + c; }
  int Control(int k) const { return 2 * channels + k; }  // k-th of the description's control ports
  int Enabled() const { return Control(ThePlugDescription().lv2PortCount); }
  int FreeWheeling() const { return Enabled() + 1; }
  int Latency() const { return Enabled() + 2; }
  int Count() const { return Enabled() + 3; }

  // The plug-in's URI for this channel count.
  std::string Uri() const;
  static std::string UiUri();
};

// A control port's plain value and the parameter's normalised value.
double Lv2PortToNormalized(const PlugLv2Port& port, double plain);
double Lv2PortFromNormalized(const PlugLv2Port& port, double normalized);
