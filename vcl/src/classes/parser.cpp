// The tokenizer of the text form format.
#include <charconv>
#include <cmath>

#include "vcl/streaming.h"
#include "win32/utf8.h"

namespace vcl {

namespace {

bool IsIdentStart(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}
bool IsDigit(unsigned char c) {
    return c >= '0' && c <= '9';
}
bool IsIdentChar(unsigned char c) {
    return IsIdentStart(c) || IsDigit(c);
}

int HexValue(unsigned char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

const char* TokenDescription(TTokenKind kind) {
    switch (kind) {
        case TTokenKind::toSymbol:
            return "Identifier expected";
        case TTokenKind::toString:
            return "String expected";
        case TTokenKind::toInteger:
            return "Number expected";
        case TTokenKind::toFloat:
            return "Number expected";
        case TTokenKind::toBinary:
            return "Binary data expected";
        default:
            return "Syntax error";
    }
}

}  // namespace

TParser::TParser(std::string_view text) : text_(text) {}

void TParser::Error(const std::string& message) const {
    throw EParserError(Format("%s on line %d", {message, tokenLine_}));
}

void TParser::CheckToken(TTokenKind kind) const {
    if (token_ == kind) return;
    // An integer is a valid float.
    if (kind == TTokenKind::toFloat && token_ == TTokenKind::toInteger) return;
    Error(TokenDescription(kind));
}

void TParser::CheckChar(char c) const {
    if (!TokenCharIs(c)) Error(Format("'%s' expected", {std::string(1, c)}));
}

void TParser::CheckSymbol(std::string_view symbol) const {
    if (!TokenSymbolIs(symbol)) Error(Format("'%s' expected", {symbol}));
}

bool TParser::TokenSymbolIs(std::string_view symbol) const {
    return token_ == TTokenKind::toSymbol && SameText(tokenString_, symbol);
}

void TParser::SkipBlanks() {
    while (pos_ < text_.size()) {
        auto c = static_cast<unsigned char>(text_[pos_]);
        if (c == '\n') {
            ++line_;
        } else if (c == '\r') {
            if (pos_ + 1 >= text_.size() || text_[pos_ + 1] != '\n') ++line_;
        } else if (c > ' ') {
            return;
        }
        ++pos_;
    }
}

TTokenKind TParser::NextToken() {
    SkipBlanks();
    tokenLine_ = line_;
    tokenString_.clear();
    if (pos_ >= text_.size()) return token_ = TTokenKind::toEOF;
    auto c = static_cast<unsigned char>(text_[pos_]);
    if (IsIdentStart(c)) {
        ScanSymbol();
    } else if (c == '\'' || c == '#') {
        ScanString();
    } else if (IsDigit(c) || c == '$' ||
               ((c == '-' || c == '+') && pos_ + 1 < text_.size() &&
                (IsDigit(static_cast<unsigned char>(text_[pos_ + 1])) || text_[pos_ + 1] == '$'))) {
        ScanNumber();
    } else if (c == '{') {
        ScanBinary();
    } else {
        tokenChar_ = static_cast<char>(c);
        ++pos_;
        token_ = TTokenKind::toChar;
    }
    return token_;
}

void TParser::ScanSymbol() {
    size_t start = pos_;
    while (pos_ < text_.size() && IsIdentChar(static_cast<unsigned char>(text_[pos_])))
        ++pos_;
    tokenString_.assign(text_.substr(start, pos_ - start));
    token_ = TTokenKind::toSymbol;
}

// 'quoted' parts with '' for a quote, and #code parts, with nothing between them.
void TParser::ScanString() {
    while (pos_ < text_.size()) {
        char c = text_[pos_];
        if (c == '\'') {
            ++pos_;
            while (true) {
                if (pos_ >= text_.size() || text_[pos_] == '\n' || text_[pos_] == '\r')
                    Error("Unterminated string");
                if (text_[pos_] == '\'') {
                    if (pos_ + 1 < text_.size() && text_[pos_ + 1] == '\'') {
                        tokenString_ += '\'';
                        pos_ += 2;
                        continue;
                    }
                    ++pos_;
                    break;
                }
                size_t runEnd = pos_;
                while (runEnd < text_.size() && text_[runEnd] != '\'' && text_[runEnd] != '\n' &&
                       text_[runEnd] != '\r')
                    ++runEnd;
                tokenString_.append(text_.substr(pos_, runEnd - pos_));
                pos_ = runEnd;
            }
        } else if (c == '#') {
            ++pos_;
            uint32_t code = 0;
            size_t digits = 0;
            bool hex = pos_ < text_.size() && text_[pos_] == '$';
            if (hex) ++pos_;
            while (pos_ < text_.size()) {
                auto d = static_cast<unsigned char>(text_[pos_]);
                int value = hex ? HexValue(d) : (IsDigit(d) ? d - '0' : -1);
                if (value < 0) break;
                code = code * (hex ? 16 : 10) + static_cast<uint32_t>(value);
                if (code > 0x10FFFF) Error("Invalid character code");
                ++digits;
                ++pos_;
            }
            if (digits == 0) Error("Invalid character code");
            if (code >= 0xD800 && code <= 0xDFFF) Error("Invalid character code");
            win32::AppendUtf8(tokenString_, code);
        } else {
            break;
        }
    }
    token_ = TTokenKind::toString;
}

void TParser::ScanNumber() {
    size_t start = pos_;
    bool negative = false;
    if (text_[pos_] == '-' || text_[pos_] == '+') {
        negative = text_[pos_] == '-';
        ++pos_;
    }
    if (pos_ < text_.size() && text_[pos_] == '$') {
        ++pos_;
        uint64_t value = 0;
        size_t digits = 0;
        while (pos_ < text_.size() && HexValue(static_cast<unsigned char>(text_[pos_])) >= 0) {
            if (digits == 16) Error("Number too large");
            value = value * 16 + static_cast<uint64_t>(HexValue(static_cast<unsigned char>(text_[pos_])));
            ++digits;
            ++pos_;
        }
        if (digits == 0) Error("Invalid number");
        // Hexadecimal is a bit pattern: $FFFFFFFF is -1 for a 32-bit value, kept as written here.
        tokenInt_ = static_cast<Int64>(negative ? uint64_t{0} - value : value);
        token_ = TTokenKind::toInteger;
        return;
    }
    while (pos_ < text_.size() && IsDigit(static_cast<unsigned char>(text_[pos_])))
        ++pos_;
    bool isFloat = false;
    if (pos_ + 1 < text_.size() && text_[pos_] == '.' &&
        IsDigit(static_cast<unsigned char>(text_[pos_ + 1]))) {
        isFloat = true;
        ++pos_;
        while (pos_ < text_.size() && IsDigit(static_cast<unsigned char>(text_[pos_])))
            ++pos_;
    }
    if (pos_ < text_.size() && (text_[pos_] == 'e' || text_[pos_] == 'E')) {
        size_t exponent = pos_ + 1;
        if (exponent < text_.size() && (text_[exponent] == '+' || text_[exponent] == '-')) ++exponent;
        if (exponent < text_.size() && IsDigit(static_cast<unsigned char>(text_[exponent]))) {
            isFloat = true;
            pos_ = exponent;
            while (pos_ < text_.size() && IsDigit(static_cast<unsigned char>(text_[pos_])))
                ++pos_;
        }
    }
    std::string_view number = text_.substr(start, pos_ - start);
    if (!number.empty() && number[0] == '+') number.remove_prefix(1);
    if (isFloat) {
        double value = 0;
        auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
        if (error != std::errc() || end != number.data() + number.size() || !std::isfinite(value))
            Error("Invalid number");
        tokenFloat_ = value;
        token_ = TTokenKind::toFloat;
    } else {
        Int64 value = 0;
        auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
        if (error == std::errc::result_out_of_range) Error("Number too large");
        if (error != std::errc() || end != number.data() + number.size()) Error("Invalid number");
        tokenInt_ = value;
        tokenFloat_ = negative && value == 0 ? -0.0 : static_cast<double>(value);
        token_ = TTokenKind::toInteger;
    }
}

void TParser::ScanBinary() {
    ++pos_;  // {
    int pending = -1;
    while (true) {
        if (pos_ >= text_.size()) Error("Unterminated binary data");
        auto c = static_cast<unsigned char>(text_[pos_++]);
        if (c == '}') break;
        if (c == '\n') {
            ++line_;
            continue;
        }
        if (c <= ' ') continue;
        int value = HexValue(c);
        if (value < 0) Error("Invalid binary value");
        if (pending < 0) {
            pending = value;
        } else {
            tokenString_ += static_cast<char>((pending << 4) | value);
            pending = -1;
        }
    }
    if (pending >= 0) Error("Invalid binary value");
    token_ = TTokenKind::toBinary;
}

}  // namespace vcl
