// The exported class table: every class the command language can name, in
// table order.  A class's parameter table chains to its base's.
#include "ZR_effect.h"
#include "ZR_deline.h"
#include "ZR_effect_arith.h"
#include "ZR_effect_filter.h"
#include "ZR_effect_pitch.h"
#include "ZR_fourier.h"

extern "C" const ZR_class __ZR[] = {
    {"ZR_Object", ZR_Object::paramTable},
    {"ZR_Soundpipe", ZR_Soundpipe::paramTable},
    {"ZR_Buffer", ZR_Buffer::paramTable},
    {"ZR_Effect", ZR_Effect::paramTable},
    {"ZR_Effect_Zero", ZR_Effect_Zero::paramTable},
    {"ZR_Effect_Hipass", ZR_Effect_Hipass::paramTable},
    {"ZR_Effect_Lopass", ZR_Effect_Lopass::paramTable},
    {"ZR_Effect_Freqmul", ZR_Effect_Freqmul::paramTable},
    {"ZR_Effect_Nefreqmul", ZR_Effect_Nefreqmul::paramTable},
    {"ZR_Effect_Gtzero", ZR_Effect_Gtzero::paramTable},
    {"ZR_Effect_Ltzero", ZR_Effect_Ltzero::paramTable},
    {"ZR_Effect_Bapass", ZR_Effect_Bapass::paramTable},
    {"ZR_Effect_Ampdet", ZR_Effect_Ampdet::paramTable},
    {"ZR_Effect_Copy", ZR_Effect_Copy::paramTable},
    {"ZR_Effect_Oper", ZR_Effect_Oper::paramTable},
    {"ZR_Effect_Koef", ZR_Effect_Koef::paramTable},
    {"ZR_Effect_Dist", ZR_Effect_Dist::paramTable},
    {"ZR_Effect_Deline", ZR_Effect_Deline::paramTable},
    {"ZR_Effect_Oversam", ZR_Effect_Oversam::paramTable},
    {"ZR_Effect_Shift", ZR_Effect_Shift::paramTable},
    {"ZR_Effect_Nshift", ZR_Effect_Nshift::paramTable},
    {"ZR_Fourier_Transform", ZR_Fourier_Transform::paramTable},
    {"ZR_Fourier_Noisegate", ZR_Fourier_Noisegate::paramTable},
    {nullptr, nullptr},
};
