// Shared between the shell units.
#pragma once

#include <string>
#include <vector>

#include "files/files_internal.h"
#include "win32/imagelist.h"
#include "win32/shell.h"

namespace win32::shell {

// Names of a double-NUL-terminated list.
std::vector<std::string> SplitNameList(const char* list);

// The kind of item a path names, for icons and type names.
int IconIndexFor(const std::string& name, DWORD attributes, UINT driveType, bool isRoot);

// The system image list (16-pixel icons when `small`) of the built-in icon set.
HIMAGELIST SystemImageList(bool small);

// The native folder of a CSIDL value, or empty when it has none.
std::string SpecialFolderNative(int csidl);

// A new item ID list holding a drive path.
PIDLIST_ABSOLUTE MakeIdList(const std::string& windowsPath);
// The drive path inside one of this platform's item ID lists; false for others.
bool IdListPath(PCIDLIST_ABSOLUTE pidl, std::string& windowsPath);

}  // namespace win32::shell
