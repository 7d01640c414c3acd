// What the background units share; not installed.
#pragma once

#include "vcl/graphics.h"

namespace lumaro::detail {

// Makes `sheet` a 32-bit off-screen bitmap of the given size; freed with its DC on every path out
// of a paint.
inline void PrepareSheet(vcl::TBitmap& sheet, vcl::Integer width, vcl::Integer height) {
    sheet.SetPixelFormat(vcl::pf32bit);
    sheet.SetSize(width, height);
}

}  // namespace lumaro::detail
