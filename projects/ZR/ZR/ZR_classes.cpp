// The exported class table: every class the command language can name, in
// table order.  A class's parameter table chains to its base's.
#include "ZR_command.h"

extern "C" const ZR_class __ZR[] = {
    {"ZR_Object", ZR_Object::paramTable},
    {nullptr, nullptr},
};
