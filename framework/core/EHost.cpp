#include "framework/core/EHost.h"

#include <algorithm>
#include <cctype>
#include <string>

namespace {

struct HostKey {
  const char* key;
  EHost host;
};

// Order matters: the first key the name contains decides ("reaper" before "live").
constexpr HostKey kHostKeys[] = {
    {"cubase", kHostCubase},         {"reaper", kHostReaper},
    {"nuendo", kHostNuendo},         {"cakewalk", kHostSonar},
    {"samplitude", kHostSamplitude}, {"fruity", kHostFL},
    {"live", kHostAbletonLive},      {"melodyne", kHostMelodyne},
    {"vstmanlib", kHostVSTScanner},  {"aulab", kHostAULab},
    {"garageband", kHostGarageBand}, {"forte", kHostForte},
    {"chainer", kHostChainer},       {"audition", kHostAudition},
    {"orion", kHostOrion},           {"sawstudio", kHostSAWStudio},
    {"logic", kHostLogic},           {"digital", kHostDigitalPerformer},
    {"audiomulch", kHostAudioMulch}, {"presonus", kHostStudioOne},
    {"vst3plugintesthost", kHostVST3TestHost},
    {"protools", kHostProTools},     {"ardour", kHostArdour},
    {"openmpt", kHostOpenMPT},       {"renoise", kHostRenoise},
    {"standalone", kHostStandalone},
};

}  // namespace

EHost LookUpHost(const char* hostName) {
  if (!hostName) return kHostUnknown;
  std::string name(hostName);
  std::transform(name.begin(), name.end(), name.begin(),
                 [](unsigned char c) { return char(std::tolower(c)); });
  for (const HostKey& entry : kHostKeys)
    if (name.find(entry.key) != std::string::npos) return entry.host;
  return kHostUnknown;
}

const char* GetHostNameStr(EHost host) {
  switch (host) {
    case kHostReaper: return "Reaper";
    case kHostProTools: return "ProTools";
    case kHostCubase: return "Cubase";
    case kHostNuendo: return "Nuendo";
    case kHostSonar: return "Sonar";
    case kHostVegas: return "Vegas";
    case kHostFL: return "FLStudio";
    case kHostSamplitude: return "Samplitude";
    case kHostAbletonLive: return "Live";
    case kHostVSTScanner: return "VSTScanner";
    case kHostAULab: return "AULab";
    case kHostForte: return "Forte";
    case kHostChainer: return "Chainer";
    case kHostAudition: return "Audition";
    case kHostOrion: return "Orion";
    case kHostSAWStudio: return "SAWStudio";
    case kHostLogic: return "Logic";
    case kHostGarageBand: return "GarageBand";
    case kHostDigitalPerformer: return "DigitalPerformer";
    case kHostStandalone: return "Standalone";
    case kHostAudioMulch: return "AudioMulch";
    case kHostStudioOne: return "StudioOne";
    case kHostVST3TestHost: return "VST3PluginTestHost";
    case kHostArdour: return "Ardour";
    case kHostRenoise: return "Renoise";
    case kHostOpenMPT: return "OpenMPT";
    default: return "Unknown";
  }
}
