#include "support/tempdir.h"

#include <cstdlib>
#include <stdexcept>
#include <system_error>

namespace zyltest {

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "zyl-test-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot create a temporary directory");
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

}  // namespace zyltest
