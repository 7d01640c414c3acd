// File names, searching and file facts of the run-time library.
#pragma once

namespace vcl {}
