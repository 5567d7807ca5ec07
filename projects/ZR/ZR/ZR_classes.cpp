// The exported class table: every class the command language can name, in
// table order.  A class's parameter table chains to its base's.
#include "ZR_effect.h"
#include "ZR_deline.h"

extern "C" const ZR_class __ZR[] = {
    {"ZR_Object", ZR_Object::paramTable},
    {"ZR_Soundpipe", ZR_Soundpipe::paramTable},
    {"ZR_Buffer", ZR_Buffer::paramTable},
    {"ZR_Effect", ZR_Effect::paramTable},
    {"ZR_Effect_Deline", ZR_Effect_Deline::paramTable},
    {nullptr, nullptr},
};
