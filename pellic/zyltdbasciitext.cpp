#include "pellic/zyltdbasciitext_internal.h"

namespace pellic::dbasciitext {

namespace {

constexpr char kQuote = '"';

bool IsLineEnd(char c) {
    return c == '\r' || c == '\n';
}

}  // namespace

bool QuotingApplies(char delimiter) {
    return delimiter != kQuote && !IsLineEnd(delimiter);
}

bool NeedsQuotes(std::string_view value, char delimiter) {
    if (!QuotingApplies(delimiter)) return false;
    for (const char c : value)
        if (c == delimiter || c == kQuote || IsLineEnd(c)) return true;
    return false;
}

void AppendValue(std::string& line, std::string_view value, char delimiter) {
    if (!NeedsQuotes(value, delimiter)) {
        line.append(value);
        return;
    }
    line += kQuote;
    size_t from = 0;
    for (size_t quote = value.find(kQuote); quote != std::string_view::npos;
         quote = value.find(kQuote, quote + 1)) {
        line.append(value.substr(from, quote + 1 - from));
        line += kQuote;
        from = quote + 1;
    }
    line.append(value.substr(from));
    line += kQuote;
}

bool ReadRecord(std::string_view text, size_t& pos, char delimiter, std::string_view& raw,
                std::vector<Cell>& cells) {
    if (pos >= text.size()) {
        cells.clear();
        return false;
    }
    const size_t begin = pos;
    size_t i = pos;
    // The cells of the last record are filled again: their text keeps its storage from line to line.
    size_t used = 0;
    auto nextCell = [&cells, &used](size_t start) -> Cell& {
        if (used == cells.size()) cells.emplace_back();
        Cell& next = cells[used++];
        next.start = start;
        next.value.clear();
        return next;
    };
    Cell* cell = &nextCell(0);
    const bool quoting = QuotingApplies(delimiter);
    bool atCellStart = true;
    while (i < text.size()) {
        const char c = text[i];
        if (atCellStart && quoting && c == kQuote) {
            atCellStart = false;
            ++i;
            // Inside quotes everything but a quote is data; a doubled quote is one quote.
            while (i < text.size()) {
                const size_t quote = text.find(kQuote, i);
                const size_t stop = quote == std::string_view::npos ? text.size() : quote;
                cell->value.append(text.substr(i, stop - i));
                i = stop;
                if (i >= text.size()) break;
                if (i + 1 < text.size() && text[i + 1] == kQuote) {
                    cell->value += kQuote;
                    i += 2;
                    continue;
                }
                ++i;
                break;
            }
            continue;
        }
        if (c == delimiter) {
            cell = &nextCell(i + 1 - begin);
            atCellStart = true;
            ++i;
            continue;
        }
        if (IsLineEnd(c)) break;
        // Plain text up to the next delimiter or line end in one step.
        size_t stop = i + 1;
        while (stop < text.size() && text[stop] != delimiter && !IsLineEnd(text[stop]))
            ++stop;
        cell->value.append(text.substr(i, stop - i));
        atCellStart = false;
        i = stop;
    }
    cells.resize(used);
    raw = text.substr(begin, i - begin);
    if (i < text.size() && text[i] == '\r') ++i;
    if (i < text.size() && text[i] == '\n') ++i;
    pos = i;
    return true;
}

void SplitColumns(std::string_view raw, std::vector<Cell>& cells, size_t columns,
                  std::vector<std::string>& values) {
    values.resize(columns);
    for (std::string& value : values)
        value.clear();
    if (columns == 0 || cells.empty()) return;
    // Swapped rather than copied: both strings keep their storage for the next record.
    size_t next = 0;
    for (size_t column = 0; column + 1 < columns; ++column) {
        if (next + 1 < cells.size()) std::swap(values[column], cells[next++].value);
    }
    if (next + 1 == cells.size())
        std::swap(values[columns - 1], cells[next].value);
    else
        values[columns - 1].assign(raw.substr(cells[next].start));
}

}  // namespace pellic::dbasciitext
