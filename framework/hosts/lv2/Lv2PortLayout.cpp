#include "framework/hosts/lv2/Lv2PortLayout.h"

#include <algorithm>
#include <cmath>

std::string Lv2PortLayout::Uri() const {
  const std::string base = ThePlugDescription().lv2Uri;
  return channels == 2 ? base + "-stereo" : base;
}

std::string Lv2PortLayout::UiUri() {
  return std::string(ThePlugDescription().lv2Uri) + "#ui";
}

double Lv2PortToNormalized(const PlugLv2Port& port, double plain) {
  const double span = port.maximum - port.minimum;
  if (!std::isfinite(plain) || !(span > 0.0)) return 0.0;
  if (port.enumeration) plain = std::round(plain);
  return std::clamp((plain - port.minimum) / span, 0.0, 1.0);
}

double Lv2PortFromNormalized(const PlugLv2Port& port, double normalized) {
  const double plain = port.minimum + std::clamp(normalized, 0.0, 1.0) * (port.maximum - port.minimum);
  return port.enumeration ? std::round(plain) : plain;
}
