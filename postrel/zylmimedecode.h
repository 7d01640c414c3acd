// Reading what arrives in mail: header fields (RFC 5322), content types and their parameters
// (RFC 2045, RFC 2231), encoded words (RFC 2047), address lists, the transfer decodings (base64,
// quoted-printable, uuencode), and attachment names made safe to use as file names.
//
// Everything here takes bytes from outside and never fails on them: what cannot be read is passed
// over or kept as it stands, as the comments say.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace postrel {

// ---------------------------------------------------------------------------------------------
// Lines and header fields

// The lines of a text, split at LF with a CR before it removed; a text ending with a line end has
// no empty last line. NUL bytes are ordinary characters.
std::vector<std::string_view> SplitMailLines(std::string_view text);

// One header field: the name as written and the value with its continuation lines joined (the line
// breaks removed, the blanks kept), without the blanks that follow the colon.
struct TZylHeaderField {
    std::string name;
    std::string value;
};

// Whether the line opens a header field: a name of printable characters other than the colon and
// the blank, then a colon.
bool IsHeaderFieldLine(std::string_view line);

// Reads the header block at the start of lines: every leading line that opens a field or continues
// one (it begins with a blank or a tab). Returns how many lines the block takes, counting the empty
// line that ends it, if it is there; the body begins after them. Without any field the block is
// empty and every line is body.
size_t ReadHeaderBlock(std::span<const std::string_view> lines, std::vector<TZylHeaderField>& fields);

// The first field of that name (compared without regard to case), or nullptr.
const TZylHeaderField* FindHeaderField(const std::vector<TZylHeaderField>& fields, std::string_view name);

// A structured value such as that of Content-Type or Content-Disposition: the part before the first
// semicolon, trimmed and in lower case, and the parameters with their names in lower case. Quoted
// values are unquoted; RFC 2231 continuations ("name*0", "name*1*") are joined and their charset
// decoded to UTF-8; a value written as encoded words (RFC 2047) is decoded as well.
struct TZylHeaderValue {
    std::string value;
    std::vector<std::pair<std::string, std::string>> parameters;

    // The parameter's value, or nullptr when it is absent.
    const std::string* Parameter(std::string_view name) const;
};
TZylHeaderValue ParseHeaderValue(std::string_view text);

// Whether the text reads as a MIME type: token "/" token.
bool IsMimeTypeText(std::string_view text);

// ---------------------------------------------------------------------------------------------
// Text in other charsets

// Converts bytes in a charset to UTF-8: UTF-8 and US-ASCII pass as they are; ISO-8859-1,
// ISO-8859-15 and windows-1252 (and their usual aliases) are converted. False for any other
// charset, with out untouched.
bool CharsetToUtf8(std::string_view bytes, std::string_view charset, std::string& out);

// Decodes the encoded words of an unstructured header value (RFC 2047, "B" and "Q") to UTF-8; the
// blanks between two adjacent encoded words are dropped. An encoded word in an unknown charset or
// with a broken encoding stays as written.
std::string DecodeHeaderText(std::string_view text);

// ---------------------------------------------------------------------------------------------
// Addresses

struct TZylMailAddress {
    std::string name;     // the display name, unquoted and decoded; empty when there is none
    std::string address;  // the address without angle brackets or blanks
};

// The addresses of an address list ("Ann <ann@example.com>, bob@example.org, Group: c@d;"): commas
// and angle brackets inside quoted strings and comments do not count, groups are flattened, and a
// comment after a bare address serves as its display name.
std::vector<TZylMailAddress> ParseAddressList(std::string_view text);

// ---------------------------------------------------------------------------------------------
// Attachment names

inline constexpr const char* kFallbackAttachmentName = "_Cosa_";

// A name that stays inside whatever folder it is saved in: the last component of a path (after "/"
// or "\"), without control characters, without the characters \ / : * ? " < > |, without leading
// dots (so no "." or "..") and without leading or trailing blanks and trailing dots, at most 255
// bytes long (cut at a character boundary, the extension kept). "_Cosa_" when nothing is left.
std::string SafeAttachmentName(std::string_view name);

// ---------------------------------------------------------------------------------------------
// Transfer decodings

// Base64 over any number of pieces: the group of four characters runs on across pieces, characters
// outside the alphabet (line ends, blanks, anything else) are skipped, "=" ends a group, and a tail
// of two or three characters without fill still gives its bytes.
class TZylBase64Decoder {
public:
    void Decode(std::string_view text, std::string& out);
    // Appends what an unfinished group holds and starts afresh.
    void Finish(std::string& out);

private:
    uint32_t bits_ = 0;
    int count_ = 0;
};

// The bytes of a whole base64 text.
std::string DecodeBase64Text(std::string_view text);

// Quoted-printable (RFC 2045): "=XX" gives the byte (either letter case), a line ending in "="
// joins the next, blanks at line ends are dropped, other line ends become CR LF (not after the last
// line), and an "=" that starts nothing valid stays as it is.
std::string DecodeQuotedPrintable(std::span<const std::string_view> lines);
// The same for the encoded words of headers: "_" is a blank, no line structure.
std::string DecodeQuotedPrintableWord(std::string_view text);

// A uuencode "begin" line: "begin", one blank, three octal digits below 777, one blank and a name
// (returned without surrounding blanks).
bool IsUUBeginLine(std::string_view line, std::string* fileName = nullptr);
// Whether the line ends a uuencoded block: "end" or a single grave accent, blanks around allowed.
bool IsUUEndLine(std::string_view line);
// Appends the bytes of one uuencoded line: its first character gives the count, the grave accent
// and the blank count as 0, characters missing at the end count as 0. False (with nothing
// appended) when a character lies outside the blank..grave accent range.
bool DecodeUULine(std::string_view line, std::string& out);

}  // namespace postrel
