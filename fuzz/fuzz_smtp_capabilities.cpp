// Arbitrary EHLO replies for the capability parser: whatever the lines hold, the mechanisms it
// reports are upper-case words without repeats, and no more than it keeps.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "postrel/zylsmtpreply.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> lines;
    std::string line;
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == '\n') {
            lines.push_back(line);
            line.clear();
        } else {
            line += static_cast<char>(data[i]);
        }
    }
    lines.push_back(line);
    const postrel::TZylSMTPCapabilities offered = postrel::ParseEhloCapabilities(lines);
    if (offered.AuthMechanisms.size() > 32) abort();
    for (size_t i = 0; i < offered.AuthMechanisms.size(); ++i) {
        const std::string& mechanism = offered.AuthMechanisms[i];
        if (mechanism.empty() || mechanism.find_first_of(" =") != std::string::npos) abort();
        for (char c : mechanism)
            if (c >= 'a' && c <= 'z') abort();
        for (size_t j = 0; j < i; ++j)
            if (offered.AuthMechanisms[j] == mechanism) abort();
    }
    return 0;
}
