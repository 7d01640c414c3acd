// Generated locale folders, laid out as /usr/lib/locale: compiled locales as folders of their own
// and others in a glibc locale-archive file.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace zyltest {

// The bytes of a locale-archive naming `names` (each with a locale record).
std::string LocaleArchive(const std::vector<std::string>& names);

// Makes `folder` hold a folder with LC_IDENTIFICATION for each of `compiled` and, when `archived`
// is not empty, a locale-archive naming those.
void WriteLocaleFolder(const std::filesystem::path& folder, const std::vector<std::string>& compiled,
                       const std::vector<std::string>& archived);

}  // namespace zyltest
