// The exported entry of the plug-in module.  It needs the plug-in's
// createEffectInstance, so it is linked only into programs and modules that
// carry the plug-in object.
#include "audio_effect.h"

extern "C" AEffect* VST_ENTRY VSTPluginMain(audioMasterCallback audioMaster) {
  return VSTPluginEntry(audioMaster, createEffectInstance);
}

// Exported as _MAIN.
extern "C" AEffect* VST_ENTRY VSTPluginMainForward(audioMasterCallback audioMaster) {
  return VSTPluginMain(audioMaster);
}
