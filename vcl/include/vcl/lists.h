#pragma once

#include "vcl/objects.h"

namespace vcl {}
