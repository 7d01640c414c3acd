// Text files for the dataset import come from anywhere: reading records must never crash, always
// move on, and the cells it finds must come back unchanged once written out and read again.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "pellic/zyltdbasciitext_internal.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    namespace text = pellic::dbasciitext;
    if (size < 1) return 0;
    // The first byte chooses the delimiter, NUL included.
    const char delimiter = static_cast<char>(data[0]);
    const std::string_view input(reinterpret_cast<const char*>(data + 1), size - 1);
    size_t pos = 0;
    std::string_view raw;
    std::vector<text::Cell> cells, again;
    std::vector<std::string> values;
    while (pos < input.size()) {
        const size_t before = pos;
        if (!text::ReadRecord(input, pos, delimiter, raw, cells) || pos <= before || cells.empty())
            __builtin_trap();
        for (const text::Cell& cell : cells)
            if (cell.start > raw.size()) __builtin_trap();
        std::vector<text::Cell> taken = cells;
        text::SplitColumns(raw, taken, 3, values);

        if (!text::QuotingApplies(delimiter)) continue;
        std::string line;
        for (size_t i = 0; i < cells.size(); ++i) {
            if (i > 0) line += delimiter;
            text::AppendValue(line, cells[i].value, delimiter);
        }
        size_t linePos = 0;
        std::string_view lineRaw;
        if (line.empty()) continue;
        if (!text::ReadRecord(line, linePos, delimiter, lineRaw, again) || linePos != line.size() ||
            again.size() != cells.size())
            __builtin_trap();
        for (size_t i = 0; i < cells.size(); ++i)
            if (again[i].value != cells[i].value) __builtin_trap();
    }
    return 0;
}
