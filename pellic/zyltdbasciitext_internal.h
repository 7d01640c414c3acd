// The record layer of the dataset text files: writing a value into a delimited line, and reading
// records back into their cells. Outside input goes through ReadRecord only.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace pellic::dbasciitext {

// One cell of a record: where its raw text starts within the record, and its value with any
// quoting taken off.
struct Cell {
    size_t start = 0;
    std::string value;
};

// Whether quoting is in use with this delimiter: not when the delimiter is itself a quote or a line
// break, where values are written and read as they stand.
bool QuotingApplies(char delimiter);

// Whether a value has to be quoted to read back as itself: it holds the delimiter, a quote or a
// line break.
bool NeedsQuotes(std::string_view value, char delimiter);

// Appends the value, in quotes with inner quotes doubled when NeedsQuotes says so.
void AppendValue(std::string& line, std::string_view value, char delimiter);

// Reads the record starting at `pos`: its raw text (without the line end) and its cells. A record
// ends at CR LF, LF or CR outside quotes; a quote opens a quoted cell only at the start of a cell,
// and text after the closing quote is kept as it stands. Leaves `pos` after the line end; returns
// false when `pos` is at the end of `text`. `cells` always gets at least one cell.
bool ReadRecord(std::string_view text, size_t& pos, char delimiter, std::string_view& raw,
                std::vector<Cell>& cells);

// The values of `columns` columns from the cells of a record: every column but the last takes the
// next cell while another follows it, else an empty value; the last column takes the one cell left,
// or the raw rest of the record when more are left. Takes the text out of the cells it uses.
void SplitColumns(std::string_view raw, std::vector<Cell>& cells, size_t columns,
                  std::vector<std::string>& values);

}  // namespace pellic::dbasciitext
