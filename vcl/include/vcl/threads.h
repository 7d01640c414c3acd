// Threads of the framework.
#pragma once

namespace vcl {}
