// Standard controls: labels, edits and memos, buttons, check and radio boxes, group boxes, scroll
// bars, list boxes and combo boxes. The unit is large, so its classes live in three headers.
#pragma once

#include "vcl/stdctrls_button.h"
#include "vcl/stdctrls_edit.h"
#include "vcl/stdctrls_list.h"
