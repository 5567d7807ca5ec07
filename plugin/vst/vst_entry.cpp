// The work of the exported entry, with the plug-in's factory as argument.
#include "audio_effect.h"

AEffect* VSTPluginEntry(audioMasterCallback audioMaster, VstEffectFactory factory) {
  // A host that does not answer its version is not one we can talk to.
  if (!audioMaster || !factory) return nullptr;
  if (audioMaster(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0) return nullptr;
  AudioEffect* effect = nullptr;
  try {
    effect = factory(audioMaster);
  } catch (...) {
    // Out of memory, or a constructor that gave up: nothing may cross the
    // host boundary but a null answer.
    return nullptr;
  }
  return effect ? effect->getAeffect() : nullptr;
}
