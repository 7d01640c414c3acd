// The entry point the package loader calls when liborvane.so is loaded.
#include "vcl/designintf.h"

namespace orvane {
void Register();
}  // namespace orvane

ZYL_PACKAGE_ENTRY(orvane)
