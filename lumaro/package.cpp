// The entry point the package loader calls when liblumaro.so is loaded.
#include "vcl/designintf.h"

namespace lumaro {
void Register();
}  // namespace lumaro

ZYL_PACKAGE_ENTRY(lumaro)
