// Host state through the plug-in base: the instance's own payload, the parameter values alone and
// the preset bank, chosen by the first byte. A refused chunk changes nothing; an accepted one plays
// finite audio, and a whole state (payload or bank) is saved back as it was read.

#include "FuzzInstance.h"
#include "framework/core/ByteChunk.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  ByteChunk chunk;
  chunk.PutBytes(data + 1, int(size - 1));
  FuzzInstance& f = FuzzInstance::get();
  IResonix& plug = f.plug();
  const std::vector<uint8_t> before = f.state();
  ByteChunk whole;
  plug.SerializeState(&whole);

  int pos = -1;
  const int path = data[0] % 3;
  switch (path) {
    case 0:
      pos = plug.UnserializeState(&chunk, 0);
      break;
    case 1:
      pos = plug.UnserializeParams(&chunk, 0);
      break;
    default:
      pos = plug.UnserializePresets(&chunk, 0);
      break;
  }
  if (pos < 0) {
    if (f.state() != before) fuzz_fail("refused chunk changed the state");
    return 0;
  }
  if (pos > chunk.Size()) fuzz_fail("read past the chunk");
  f.require_finite_audio();
  if (path == 1) {
    // Parameter values alone leave the slider and note mirrors as they were; the next input starts
    // from the whole state again.
    plug.UnserializeState(&whole, 0);
    return 0;
  }

  ByteChunk saved;
  plug.HostGetState(&saved);
  const std::vector<uint8_t> loaded = f.state();
  if (plug.UnserializeState(&saved, 0) != saved.Size() || f.state() != loaded)
    fuzz_fail("accepted state does not survive its own save");
  return 0;
}
