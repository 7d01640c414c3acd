// Helpers the sources of the enhanced buttons share.
#pragma once

#include "vcl/system.h"

namespace lumaro::zylbuttons {

// Half of a length, rounded to nearest with halves to even (the framework's Round).
inline vcl::Integer HalfRounded(vcl::Integer length) {
    return static_cast<vcl::Integer>(vcl::Round(length / 2.0));
}

}  // namespace lumaro::zylbuttons
