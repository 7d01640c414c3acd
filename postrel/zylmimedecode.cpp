// Header fields, parameters, encoded words, addresses, safe names and the transfer decodings of
// received mail.
#include "zylmimedecode.h"

#include <algorithm>
#include <cstring>
#include <map>

namespace postrel {

namespace mimedecode {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string LowerAscii(std::string_view text) {
    std::string result(text);
    for (char& c : result)
        c = AsciiLower(c);
    return result;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    return true;
}

std::string_view TrimBlanks(std::string_view text) {
    size_t begin = 0, end = text.size();
    while (begin < end && static_cast<unsigned char>(text[begin]) <= ' ')
        ++begin;
    while (end > begin && static_cast<unsigned char>(text[end - 1]) <= ' ')
        --end;
    return text.substr(begin, end - begin);
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

void AppendUtf8(uint32_t code, std::string& out) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// windows-1252 in 0x80..0x9F; the five unassigned bytes keep their C1 code points.
constexpr uint16_t kWindows1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                           0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                           0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                           0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

uint32_t Latin9CodePoint(unsigned char c) {
    switch (c) {
        case 0xA4:
            return 0x20AC;
        case 0xA6:
            return 0x0160;
        case 0xA8:
            return 0x0161;
        case 0xB4:
            return 0x017D;
        case 0xB8:
            return 0x017E;
        case 0xBC:
            return 0x0152;
        case 0xBD:
            return 0x0153;
        case 0xBE:
            return 0x0178;
        default:
            return c;
    }
}

enum class SingleByteCharset { Latin1, Latin9, Windows1252 };

bool SingleByteCharsetOf(std::string_view name, SingleByteCharset& charset) {
    static constexpr std::string_view kLatin1[] = {"iso-8859-1", "iso8859-1", "iso_8859-1", "latin1",
                                                   "latin-1",    "l1",        "cp819",      "iso-ir-100"};
    static constexpr std::string_view kLatin9[] = {"iso-8859-15", "iso8859-15", "iso_8859-15", "latin9",
                                                   "latin-9"};
    static constexpr std::string_view kWindows[] = {"windows-1252", "cp1252", "x-cp1252"};
    for (auto alias : kLatin1)
        if (name == alias) return charset = SingleByteCharset::Latin1, true;
    for (auto alias : kLatin9)
        if (name == alias) return charset = SingleByteCharset::Latin9, true;
    for (auto alias : kWindows)
        if (name == alias) return charset = SingleByteCharset::Windows1252, true;
    return false;
}

std::string PercentDecoded(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            int high = HexValue(text[i + 1]), low = HexValue(text[i + 2]);
            if (high >= 0 && low >= 0) {
                result += static_cast<char>(high << 4 | low);
                i += 2;
                continue;
            }
        }
        result += text[i];
    }
    return result;
}

// A parameter as written, before RFC 2231 sections are put together.
struct RawParameter {
    std::string base;  // the name without "*n" or "*"
    int section = -1;  // -1: not sectioned
    bool extended = false;
    std::string value;
};

RawParameter SplitParameterName(std::string name, std::string value) {
    RawParameter parameter;
    parameter.value = std::move(value);
    if (!name.empty() && name.back() == '*') {
        parameter.extended = true;
        name.pop_back();
    }
    size_t star = name.rfind('*');
    if (star != std::string::npos && star + 1 < name.size() &&
        std::all_of(name.begin() + static_cast<std::ptrdiff_t>(star) + 1, name.end(),
                    [](char c) { return c >= '0' && c <= '9'; }) &&
        name.size() - star - 1 <= 4) {
        parameter.section = std::stoi(name.substr(star + 1));
        name.resize(star);
    }
    parameter.base = std::move(name);
    return parameter;
}

// "charset'language'text" of an extended value: the charset and the text.
std::pair<std::string, std::string_view> SplitExtendedValue(std::string_view value) {
    size_t first = value.find('\'');
    if (first == std::string_view::npos) return {{}, value};
    size_t second = value.find('\'', first + 1);
    if (second == std::string_view::npos) return {{}, value};
    return {LowerAscii(value.substr(0, first)), value.substr(second + 1)};
}

std::string ToUtf8OrAsIs(std::string bytes, const std::string& charset) {
    std::string converted;
    if (!charset.empty() && CharsetToUtf8(bytes, charset, converted)) return converted;
    return bytes;
}

// Puts the sections of RFC 2231 parameters together, in the order the names first appear; an
// extended value is preferred to a plain one of the same name.
std::vector<std::pair<std::string, std::string>> AssembleParameters(std::vector<RawParameter>& raw) {
    std::vector<std::string> order;
    std::map<std::string, std::vector<const RawParameter*>> byName;
    for (const RawParameter& parameter : raw) {
        auto& group = byName[parameter.base];
        if (group.empty()) order.push_back(parameter.base);
        group.push_back(&parameter);
    }
    std::vector<std::pair<std::string, std::string>> result;
    for (const std::string& name : order) {
        const auto& group = byName[name];
        std::vector<const RawParameter*> sections;
        const RawParameter* plain = nullptr;
        const RawParameter* whole = nullptr;
        for (const RawParameter* parameter : group) {
            if (parameter->section >= 0)
                sections.push_back(parameter);
            else if (parameter->extended)
                whole = whole ? whole : parameter;
            else
                plain = plain ? plain : parameter;
        }
        std::string value;
        if (!sections.empty()) {
            std::stable_sort(
                sections.begin(), sections.end(),
                [](const RawParameter* a, const RawParameter* b) { return a->section < b->section; });
            std::string charset;
            int expected = 0;
            for (const RawParameter* section : sections) {
                if (section->section != expected) break;  // a gap ends the value
                ++expected;
                std::string_view text = section->value;
                if (section->extended) {
                    if (section->section == 0) {
                        auto split = SplitExtendedValue(text);
                        charset = split.first;
                        text = split.second;
                    }
                    value += PercentDecoded(text);
                } else {
                    value += text;
                }
            }
            value = ToUtf8OrAsIs(std::move(value), charset);
        } else if (whole) {
            auto split = SplitExtendedValue(whole->value);
            value = ToUtf8OrAsIs(PercentDecoded(split.second), split.first);
        } else if (plain) {
            value =
                plain->value.find("=?") != std::string::npos ? DecodeHeaderText(plain->value) : plain->value;
        }
        result.emplace_back(name, std::move(value));
    }
    return result;
}

// Reads a quoted string starting at the opening quote; returns its text without escapes and moves
// position past the closing quote (or to the end when it is missing).
std::string ReadQuoted(std::string_view text, size_t& position) {
    std::string result;
    ++position;
    while (position < text.size()) {
        char c = text[position++];
        if (c == '"') return result;
        if (c == '\\' && position < text.size()) c = text[position++];
        result += c;
    }
    return result;
}

// Reads a comment starting at its "(", nested ones included; returns its text.
std::string ReadComment(std::string_view text, size_t& position) {
    std::string result;
    int depth = 0;
    while (position < text.size()) {
        char c = text[position++];
        if (c == '(') {
            if (depth++ > 0) result += c;
        } else if (c == ')') {
            if (--depth == 0) return result;
            result += c;
        } else {
            if (c == '\\' && position < text.size()) c = text[position++];
            result += c;
        }
    }
    return result;
}

std::string WithoutBlanks(std::string_view text) {
    std::string result;
    for (char c : text)
        if (static_cast<unsigned char>(c) > ' ') result += c;
    return result;
}

// Base64 values: 0..63, kPad for "=", kSkip for everything else.
constexpr uint8_t kPad = 0x40;
constexpr uint8_t kSkip = 0x80;
struct Base64Table {
    uint8_t values[256];
    constexpr Base64Table() : values{} {
        for (auto& value : values)
            value = kSkip;
        const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
        for (int i = 0; i < 64; ++i)
            values[static_cast<unsigned char>(alphabet[i])] = static_cast<uint8_t>(i);
        values[static_cast<unsigned char>('=')] = kPad;
    }
};
constexpr Base64Table kBase64;

}  // namespace mimedecode

// ---------------------------------------------------------------------------------------------
// Lines and header fields

std::vector<std::string_view> SplitMailLines(std::string_view text) {
    std::vector<std::string_view> lines;
    lines.reserve(text.size() / 64 + 1);
    size_t start = 0;
    while (start < text.size()) {
        const void* hit = std::memchr(text.data() + start, '\n', text.size() - start);
        size_t end = hit ? static_cast<size_t>(static_cast<const char*>(hit) - text.data()) : text.size();
        size_t stop = end;
        if (stop > start && text[stop - 1] == '\r') --stop;
        lines.emplace_back(text.data() + start, stop - start);
        start = end + 1;
    }
    return lines;
}

bool IsHeaderFieldLine(std::string_view line) {
    size_t i = 0;
    while (i < line.size() && line[i] != ':') {
        auto c = static_cast<unsigned char>(line[i]);
        if (c <= ' ' || c >= 127) return false;
        ++i;
    }
    return i > 0 && i < line.size();
}

size_t ReadHeaderBlock(std::span<const std::string_view> lines, std::vector<TZylHeaderField>& fields) {
    const size_t firstField = fields.size();
    size_t i = 0;
    for (; i < lines.size(); ++i) {
        std::string_view line = lines[i];
        if (line.empty()) {
            ++i;
            break;
        }
        if (mimedecode::IsBlank(line[0])) {
            if (fields.size() == firstField) break;
            fields.back().value += line;
            continue;
        }
        if (!IsHeaderFieldLine(line)) break;
        size_t colon = line.find(':');
        size_t valueStart = colon + 1;
        while (valueStart < line.size() && mimedecode::IsBlank(line[valueStart]))
            ++valueStart;
        fields.push_back({std::string(line.substr(0, colon)), std::string(line.substr(valueStart))});
    }
    for (size_t k = firstField; k < fields.size(); ++k)
        fields[k].value = std::string(mimedecode::TrimBlanks(fields[k].value));
    return i;
}

const TZylHeaderField* FindHeaderField(const std::vector<TZylHeaderField>& fields, std::string_view name) {
    for (const TZylHeaderField& field : fields)
        if (mimedecode::EqualsNoCase(field.name, name)) return &field;
    return nullptr;
}

const std::string* TZylHeaderValue::Parameter(std::string_view name) const {
    for (const auto& parameter : parameters)
        if (parameter.first == name) return &parameter.second;
    return nullptr;
}

TZylHeaderValue ParseHeaderValue(std::string_view text) {
    TZylHeaderValue result;
    size_t position = text.find(';');
    result.value = mimedecode::LowerAscii(mimedecode::TrimBlanks(text.substr(0, position)));
    std::vector<mimedecode::RawParameter> raw;
    while (position < text.size()) {
        ++position;  // the semicolon
        while (position < text.size() && static_cast<unsigned char>(text[position]) <= ' ')
            ++position;
        size_t nameStart = position;
        while (position < text.size() && text[position] != '=' && text[position] != ';')
            ++position;
        std::string name =
            mimedecode::LowerAscii(mimedecode::TrimBlanks(text.substr(nameStart, position - nameStart)));
        if (position >= text.size() || text[position] == ';') continue;  // a name without value
        ++position;                                                      // the equals sign
        while (position < text.size() && mimedecode::IsBlank(text[position]))
            ++position;
        std::string value;
        if (position < text.size() && text[position] == '"') {
            value = mimedecode::ReadQuoted(text, position);
            position = std::min(text.find(';', position), text.size());
        } else {
            size_t valueStart = position;
            position = std::min(text.find(';', position), text.size());
            value = std::string(mimedecode::TrimBlanks(text.substr(valueStart, position - valueStart)));
        }
        if (!name.empty()) raw.push_back(mimedecode::SplitParameterName(std::move(name), std::move(value)));
    }
    result.parameters = mimedecode::AssembleParameters(raw);
    return result;
}

bool IsMimeTypeText(std::string_view text) {
    auto isToken = [](std::string_view token) {
        if (token.empty() || token.size() > 127) return false;
        for (char c : token) {
            auto u = static_cast<unsigned char>(c);
            if (u <= ' ' || u >= 127 ||
                std::string_view("()<>@,;:\\\"/[]?=").find(c) != std::string_view::npos)
                return false;
        }
        return true;
    };
    size_t slash = text.find('/');
    return slash != std::string_view::npos && isToken(text.substr(0, slash)) &&
           isToken(text.substr(slash + 1));
}

// ---------------------------------------------------------------------------------------------
// Charsets and encoded words

bool CharsetToUtf8(std::string_view bytes, std::string_view charset, std::string& out) {
    std::string name = mimedecode::LowerAscii(mimedecode::TrimBlanks(charset));
    if (name.size() >= 2 && name.front() == '"' && name.back() == '"') name = name.substr(1, name.size() - 2);
    if (name == "utf-8" || name == "utf8" || name == "us-ascii" || name == "ascii" ||
        name == "ansi_x3.4-1968") {
        out.assign(bytes);
        return true;
    }
    mimedecode::SingleByteCharset single;
    if (!mimedecode::SingleByteCharsetOf(name, single)) return false;
    std::string result;
    result.reserve(bytes.size() + bytes.size() / 8);
    for (char c : bytes) {
        auto u = static_cast<unsigned char>(c);
        if (u < 0x80) {
            result += c;
            continue;
        }
        uint32_t code = u;
        if (single == mimedecode::SingleByteCharset::Latin9) code = mimedecode::Latin9CodePoint(u);
        if (single == mimedecode::SingleByteCharset::Windows1252 && u < 0xA0)
            code = mimedecode::kWindows1252High[u - 0x80];
        mimedecode::AppendUtf8(code, result);
    }
    out = std::move(result);
    return true;
}

std::string DecodeHeaderText(std::string_view text) {
    std::string result;
    size_t copied = 0;       // text before this has been dealt with
    bool afterWord = false;  // the text since `copied` follows an encoded word
    size_t search = 0;
    while (search < text.size()) {
        size_t start = text.find("=?", search);
        if (start == std::string_view::npos) break;
        size_t charsetEnd = text.find('?', start + 2);
        if (charsetEnd == std::string_view::npos) break;
        size_t textStart = charsetEnd + 3;
        size_t end = textStart <= text.size() ? text.find("?=", textStart) : std::string_view::npos;
        std::string_view charset = text.substr(start + 2, charsetEnd - start - 2);
        bool shaped = end != std::string_view::npos && charsetEnd + 2 < text.size() &&
                      text[charsetEnd + 2] == '?' && !charset.empty();
        std::string_view encoded = shaped ? text.substr(textStart, end - textStart) : std::string_view();
        if (shaped)
            for (char c : encoded)
                if (static_cast<unsigned char>(c) <= ' ') shaped = false;
        std::string decoded;
        if (shaped) {
            char encoding = mimedecode::AsciiLower(text[charsetEnd + 1]);
            std::string bytes;
            if (encoding == 'b')
                bytes = DecodeBase64Text(encoded);
            else if (encoding == 'q')
                bytes = DecodeQuotedPrintableWord(encoded);
            else
                shaped = false;
            std::string_view charsetName = charset.substr(0, charset.find('*'));  // RFC 2231 language
            if (shaped) shaped = CharsetToUtf8(bytes, charsetName, decoded);
        }
        if (!shaped) {
            search = start + 2;
            continue;
        }
        std::string_view between = text.substr(copied, start - copied);
        if (!(afterWord && mimedecode::TrimBlanks(between).empty())) result += between;
        result += decoded;
        copied = search = end + 2;
        afterWord = true;
    }
    result += text.substr(copied);
    return result;
}

// ---------------------------------------------------------------------------------------------
// Addresses

std::vector<TZylMailAddress> ParseAddressList(std::string_view text) {
    std::vector<TZylMailAddress> addresses;
    std::string phrase, comment, angle;
    bool hasAngle = false;
    auto finish = [&] {
        TZylMailAddress entry;
        if (hasAngle) {
            std::string address = mimedecode::WithoutBlanks(angle);
            // An obsolete source route ("@relay,@relay:user@host") is not part of the address.
            if (!address.empty() && address[0] == '@' && address.find(':') != std::string::npos)
                address = address.substr(address.find(':') + 1);
            entry.address = address;
            entry.name = DecodeHeaderText(mimedecode::TrimBlanks(phrase));
        } else {
            entry.address = mimedecode::WithoutBlanks(phrase);
            entry.name = DecodeHeaderText(mimedecode::TrimBlanks(comment));
        }
        if (!entry.address.empty()) addresses.push_back(std::move(entry));
        phrase.clear();
        comment.clear();
        angle.clear();
        hasAngle = false;
    };
    size_t position = 0;
    while (position < text.size()) {
        char c = text[position];
        if (c == '"') {
            phrase += mimedecode::ReadQuoted(text, position);
        } else if (c == '(') {
            std::string inner = mimedecode::ReadComment(text, position);
            if (comment.empty()) comment = inner;
        } else if (c == '<') {
            size_t close = text.find('>', position + 1);
            size_t stop = close == std::string_view::npos ? text.size() : close;
            angle = std::string(text.substr(position + 1, stop - position - 1));
            hasAngle = true;
            position = close == std::string_view::npos ? text.size() : close + 1;
        } else if (c == ':' && !hasAngle) {
            // A group's name; its members follow.
            phrase.clear();
            comment.clear();
            ++position;
        } else if (c == ',' || c == ';') {
            finish();
            ++position;
        } else {
            phrase += c;
            ++position;
        }
    }
    finish();
    return addresses;
}

// ---------------------------------------------------------------------------------------------
// Attachment names

std::string SafeAttachmentName(std::string_view name) {
    size_t cut = name.find_last_of("/\\");
    if (cut != std::string_view::npos) name = name.substr(cut + 1);
    std::string clean;
    for (char c : name) {
        auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F) continue;
        if (std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos) continue;
        clean += c;
    }
    auto trim = [](std::string& text) {
        size_t begin = 0;
        while (begin < text.size() && (text[begin] == '.' || text[begin] == ' '))
            ++begin;
        size_t end = text.size();
        while (end > begin && (text[end - 1] == '.' || text[end - 1] == ' '))
            --end;
        text = text.substr(begin, end - begin);
    };
    trim(clean);
    constexpr size_t kMaxNameBytes = 255;
    if (clean.size() > kMaxNameBytes) {
        size_t dot = clean.rfind('.');
        std::string extension = dot != std::string::npos && clean.size() - dot <= 16 ? clean.substr(dot) : "";
        size_t keep = kMaxNameBytes - extension.size();
        // Not inside a UTF-8 sequence (at most three bytes back: beyond that it is no UTF-8).
        for (int back = 0; back < 3 && keep > 0 && (static_cast<unsigned char>(clean[keep]) & 0xC0) == 0x80;
             ++back)
            --keep;
        std::string stem = clean.substr(0, keep);
        trim(stem);  // the cut may leave a blank or a dot at the end
        clean = (stem.empty() ? std::string(kFallbackAttachmentName) : stem) + extension;
    }
    return clean.empty() ? kFallbackAttachmentName : clean;
}

// ---------------------------------------------------------------------------------------------
// Transfer decodings

void TZylBase64Decoder::Decode(std::string_view text, std::string& out) {
    const auto* in = reinterpret_cast<const unsigned char*>(text.data());
    const auto* end = in + text.size();
    size_t start = out.size();
    out.resize(start + (text.size() + 3) / 4 * 3 + 3);
    auto* o = reinterpret_cast<unsigned char*>(out.data()) + start;
    const auto* const first = o;
    while (in < end) {
        if (count_ == 0) {
            // Whole groups of alphabet characters, the common case, four at a time.
            while (end - in >= 4) {
                uint32_t a = mimedecode::kBase64.values[in[0]], b = mimedecode::kBase64.values[in[1]],
                         c = mimedecode::kBase64.values[in[2]], d = mimedecode::kBase64.values[in[3]];
                if ((a | b | c | d) & (mimedecode::kPad | mimedecode::kSkip)) break;
                uint32_t bits = a << 18 | b << 12 | c << 6 | d;
                o[0] = static_cast<unsigned char>(bits >> 16);
                o[1] = static_cast<unsigned char>(bits >> 8);
                o[2] = static_cast<unsigned char>(bits);
                o += 3;
                in += 4;
            }
            if (in == end) break;
        }
        uint8_t value = mimedecode::kBase64.values[*in++];
        if (value < 64) {
            bits_ = bits_ << 6 | value;
            if (++count_ == 4) {
                o[0] = static_cast<unsigned char>(bits_ >> 16);
                o[1] = static_cast<unsigned char>(bits_ >> 8);
                o[2] = static_cast<unsigned char>(bits_);
                o += 3;
                count_ = 0;
                bits_ = 0;
            }
        } else if (value == mimedecode::kPad) {
            if (count_ == 2) {
                *o++ = static_cast<unsigned char>(bits_ >> 4);
            } else if (count_ == 3) {
                *o++ = static_cast<unsigned char>(bits_ >> 10);
                *o++ = static_cast<unsigned char>(bits_ >> 2);
            }
            count_ = 0;
            bits_ = 0;
        }
    }
    out.resize(start + static_cast<size_t>(o - first));
}

void TZylBase64Decoder::Finish(std::string& out) {
    if (count_ == 2) {
        out += static_cast<char>(bits_ >> 4);
    } else if (count_ == 3) {
        out += static_cast<char>(bits_ >> 10);
        out += static_cast<char>(bits_ >> 2);
    }
    count_ = 0;
    bits_ = 0;
}

std::string DecodeBase64Text(std::string_view text) {
    std::string out;
    TZylBase64Decoder decoder;
    decoder.Decode(text, out);
    decoder.Finish(out);
    return out;
}

std::string DecodeQuotedPrintable(std::span<const std::string_view> lines) {
    std::string out;
    for (size_t index = 0; index < lines.size(); ++index) {
        std::string_view line = lines[index];
        while (!line.empty() && mimedecode::IsBlank(line.back()))
            line.remove_suffix(1);
        bool soft = !line.empty() && line.back() == '=';
        if (soft) line.remove_suffix(1);
        for (size_t i = 0; i < line.size(); ++i) {
            if (line[i] == '=' && i + 2 < line.size()) {
                int high = mimedecode::HexValue(line[i + 1]), low = mimedecode::HexValue(line[i + 2]);
                if (high >= 0 && low >= 0) {
                    out += static_cast<char>(high << 4 | low);
                    i += 2;
                    continue;
                }
            }
            out += line[i];
        }
        if (!soft && index + 1 < lines.size()) out += "\r\n";
    }
    return out;
}

std::string DecodeQuotedPrintableWord(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '_') {
            out += ' ';
        } else if (c == '=' && i + 2 < text.size() && mimedecode::HexValue(text[i + 1]) >= 0 &&
                   mimedecode::HexValue(text[i + 2]) >= 0) {
            out +=
                static_cast<char>(mimedecode::HexValue(text[i + 1]) << 4 | mimedecode::HexValue(text[i + 2]));
            i += 2;
        } else {
            out += c;
        }
    }
    return out;
}

bool IsUUBeginLine(std::string_view line, std::string* fileName) {
    if (line.size() < 11 || line.substr(0, 6) != "begin " || line[9] != ' ') return false;
    for (size_t i = 6; i < 9; ++i)
        if (line[i] < '0' || line[i] > '7') return false;
    if (line.substr(6, 3) == "777") return false;
    std::string_view name = mimedecode::TrimBlanks(line.substr(10));
    if (name.empty()) return false;
    if (fileName) *fileName = std::string(name);
    return true;
}

bool IsUUEndLine(std::string_view line) {
    std::string_view trimmed = mimedecode::TrimBlanks(line);
    return trimmed == "`" || mimedecode::EqualsNoCase(trimmed, "end");
}

bool DecodeUULine(std::string_view line, std::string& out) {
    if (line.empty()) return true;
    auto valueOf = [](char c, uint32_t& value) {
        auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u > 0x60) return false;
        value = (u - 0x20u) & 0x3Fu;
        return true;
    };
    uint32_t count = 0;
    if (!valueOf(line[0], count)) return false;
    const size_t groups = (count + 2) / 3;
    std::string bytes;
    bytes.reserve(groups * 3);
    for (size_t group = 0; group < groups; ++group) {
        uint32_t bits = 0;
        for (size_t k = 0; k < 4; ++k) {
            size_t at = 1 + group * 4 + k;
            uint32_t value = 0;
            if (at < line.size() && !valueOf(line[at], value)) return false;
            bits = bits << 6 | value;
        }
        bytes += static_cast<char>(bits >> 16);
        bytes += static_cast<char>(bits >> 8);
        bytes += static_cast<char>(bits);
    }
    out.append(bytes, 0, count);
    return true;
}

}  // namespace postrel
