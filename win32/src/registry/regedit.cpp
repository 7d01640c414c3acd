// REGEDIT4 text: export of a branch and import of a whole file in one transaction.
#include <cstring>
#include <optional>

#include "ascii.h"
#include "registry/store.h"

namespace win32 {

namespace {

using registry::Database;
using registry::OpenKey;
using registry::Transaction;

constexpr size_t kHexLineWidth = 76;
constexpr char kHexDigits[] = "0123456789abcdef";

// ---------------------------------------------------------------------------------------------
// Export

std::string Quoted(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"') out += '\\';
        out += c;
    }
    out += '"';
    return out;
}

bool ValidUtf8(std::string_view text) {
    size_t i = 0;
    while (i < text.size()) {
        auto c = static_cast<unsigned char>(text[i]);
        size_t length = c < 0x80             ? 1
                        : (c & 0xE0) == 0xC0 ? 2
                        : (c & 0xF0) == 0xE0 ? 3
                        : (c & 0xF8) == 0xF0 ? 4
                                             : 0;
        if (length == 0 || (length == 2 && c < 0xC2) || i + length > text.size()) return false;
        for (size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
        i += length;
    }
    return true;
}

// A REG_SZ that reads back identically from a quoted string: one terminating NUL, nothing that
// would break the line.
bool PlainString(std::string_view data) {
    if (data.empty() || data.back() != '\0') return false;
    data.remove_suffix(1);
    for (unsigned char c : data)
        if (c < 0x20 || c == 0x7F) return false;
    return ValidUtf8(data);
}

void AppendHex(std::string& text, std::string_view prefix, std::string_view data) {
    size_t lineStart = text.size();
    text += prefix;
    for (size_t i = 0; i < data.size(); ++i) {
        if (text.size() - lineStart + 3 > kHexLineWidth) {
            text += "\\\r\n  ";
            lineStart = text.size() - 2;
        }
        auto byte = static_cast<unsigned char>(data[i]);
        text += kHexDigits[byte >> 4];
        text += kHexDigits[byte & 15];
        if (i + 1 < data.size()) text += ',';
    }
}

void AppendValue(std::string& text, const registry::ValueRecord& value) {
    std::string line = value.name.empty() ? "@=" : Quoted(value.name) + "=";
    if (value.type == REG_SZ && PlainString(value.data)) {
        text += line + Quoted(std::string_view(value.data).substr(0, value.data.size() - 1));
    } else if (value.type == REG_DWORD && value.data.size() == 4) {
        uint32_t number = 0;
        for (int i = 3; i >= 0; --i)
            number = (number << 8) | static_cast<unsigned char>(value.data[i]);
        char digits[9];
        for (int i = 7; i >= 0; --i, number >>= 4)
            digits[i] = kHexDigits[number & 15];
        digits[8] = '\0';
        text += line + "dword:" + digits;
    } else if (value.type == REG_BINARY) {
        AppendHex(text, line + "hex:", value.data);
    } else {
        std::string type;
        for (DWORD rest = value.type; rest || type.empty(); rest >>= 4)
            type.insert(type.begin(), kHexDigits[rest & 15]);
        AppendHex(text, line + "hex(" + type + "):", value.data);
    }
    text += "\r\n";
}

// ---------------------------------------------------------------------------------------------
// Import

struct Operation {
    enum Kind : uint8_t { kCreateKey, kDeleteKey, kSetValue, kDeleteValue } kind = kCreateKey;
    int root = 0;
    std::vector<std::string> parts;
    std::string name;
    DWORD type = REG_NONE;
    std::string data;
};

class ImportError {
public:
    ImportError(size_t line, std::string message) : line_(line), message_(std::move(message)) {}
    std::string Text() const { return "line " + std::to_string(line_) + ": " + message_; }

private:
    size_t line_;
    std::string message_;
};

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::optional<uint32_t> ParseHexNumber(std::string_view digits) {
    if (digits.empty() || digits.size() > 8) return std::nullopt;
    uint32_t value = 0;
    for (char c : digits) {
        int digit = HexDigit(c);
        if (digit < 0) return std::nullopt;
        value = (value << 4) | static_cast<uint32_t>(digit);
    }
    return value;
}

// Reads a quoted string with \\ and \" escapes from the front of `s`, advancing past it.
std::string ParseQuoted(std::string_view& s, size_t line) {
    std::string out;
    size_t i = 1;
    for (; i < s.size() && s[i] != '"'; ++i) {
        if (s[i] == '\\') {
            if (i + 1 >= s.size() || (s[i + 1] != '\\' && s[i + 1] != '"'))
                throw ImportError(line, "only \\\\ and \\\" may follow a backslash in a quoted string");
            ++i;
        }
        out += s[i];
    }
    if (i >= s.size()) throw ImportError(line, "a quoted string has no closing quote");
    s.remove_prefix(i + 1);
    return out;
}

std::string ParseHexList(std::string_view list, size_t line) {
    std::string out;
    list = ascii::TrimBlanks(list);
    if (list.empty()) return out;
    if (list.back() == ',') list.remove_suffix(1);
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = list.find(',', start);
        if (end == std::string_view::npos) end = list.size();
        std::string_view item = ascii::TrimBlanks(list.substr(start, end - start));
        auto byte = item.size() <= 2 ? ParseHexNumber(item) : std::nullopt;
        if (!byte) throw ImportError(line, "'" + std::string(item) + "' is not a hexadecimal byte");
        out += static_cast<char>(*byte);
        start = end + 1;
    }
    if (out.size() > REG_MAX_DATA_SIZE) throw ImportError(line, "the value is too large");
    return out;
}

Operation ParseHeader(std::string_view line, size_t number) {
    if (line.back() != ']') throw ImportError(number, "a key header must end with ']'");
    std::string_view path = line.substr(1, line.size() - 2);
    Operation op;
    if (!path.empty() && path.front() == '-') {
        op.kind = Operation::kDeleteKey;
        path.remove_prefix(1);
    }
    std::string_view rootName = path.substr(0, path.find('\\'));
    op.root = -1;
    for (int i = 0; i < registry::kRootCount; ++i)
        if (registry::FoldName(rootName) == registry::FoldName(registry::kRootNames[i])) op.root = i;
    if (op.root < 0)
        throw ImportError(number, "'" + std::string(rootName) + "' is not a predefined root key");
    std::string_view rest = path.substr(rootName.size());
    if (!rest.empty()) rest.remove_prefix(1);
    std::vector<std::string_view> parts;
    if (LSTATUS status = registry::SplitKeyPath(rest, parts); status != ERROR_SUCCESS)
        throw ImportError(number, "'" + std::string(rest) + "' is not a valid key path");
    if (op.kind == Operation::kDeleteKey && parts.empty())
        throw ImportError(number, "a root key cannot be deleted");
    for (auto part : parts)
        op.parts.emplace_back(part);
    return op;
}

Operation ParseValue(std::string_view line, size_t number, const Operation& key) {
    Operation op;
    op.kind = Operation::kSetValue;
    op.root = key.root;
    op.parts = key.parts;
    if (line.front() == '@') {
        line.remove_prefix(1);
    } else {
        op.name = ParseQuoted(line, number);
        if (op.name.empty()) throw ImportError(number, "the default value is written @, not \"\"");
        if (!registry::ValidValueName(op.name)) throw ImportError(number, "the value name is not valid");
    }
    line = ascii::TrimBlanks(line);
    if (line.empty() || line.front() != '=') throw ImportError(number, "'=' expected after the value name");
    line = ascii::TrimBlanks(line.substr(1));
    if (line == "-") {
        op.kind = Operation::kDeleteValue;
    } else if (!line.empty() && line.front() == '"') {
        op.type = REG_SZ;
        op.data = ParseQuoted(line, number);
        if (!ascii::TrimBlanks(line).empty()) throw ImportError(number, "unexpected text after the string");
        op.data += '\0';
    } else if (line.substr(0, 6) == "dword:") {
        auto value = ParseHexNumber(ascii::TrimBlanks(line.substr(6)));
        if (!value) throw ImportError(number, "dword: needs one to eight hexadecimal digits");
        op.type = REG_DWORD;
        for (int i = 0; i < 4; ++i)
            op.data += static_cast<char>((*value >> (8 * i)) & 0xFF);
    } else if (line.substr(0, 4) == "hex:") {
        op.type = REG_BINARY;
        op.data = ParseHexList(line.substr(4), number);
    } else if (line.substr(0, 4) == "hex(") {
        size_t close = line.find("):");
        auto type =
            close == std::string_view::npos ? std::nullopt : ParseHexNumber(line.substr(4, close - 4));
        if (!type) throw ImportError(number, "hex(type): needs a hexadecimal type number");
        op.type = *type;
        op.data = ParseHexList(line.substr(close + 2), number);
    } else {
        throw ImportError(number, "unknown value data '" + std::string(line.substr(0, 20)) + "'");
    }
    return op;
}

std::vector<Operation> ParseText(std::string_view text) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    // Physical lines with their numbers.
    std::vector<std::pair<size_t, std::string_view>> lines;
    size_t number = 1, start = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == '\n' || text[i] == '\r') {
            lines.emplace_back(number++, text.substr(start, i - start));
            if (i + 1 < text.size() && text[i] == '\r' && text[i + 1] == '\n') ++i;
            start = i + 1;
        }
    }
    std::vector<Operation> operations;
    std::optional<Operation> key;
    bool sawSignature = false;
    for (size_t index = 0; index < lines.size(); ++index) {
        auto [lineNumber, physical] = lines[index];
        std::string logical(ascii::TrimBlanks(physical));
        while (!logical.empty() && logical.back() == '\\' && logical.front() != '[' &&
               logical.front() != ';') {
            if (++index >= lines.size())
                throw ImportError(lineNumber, "the line continues past the end of the text");
            logical.pop_back();
            logical += ascii::TrimBlanks(lines[index].second);
        }
        std::string_view line = logical;
        if (line.empty()) continue;
        if (!sawSignature) {
            if (line != "REGEDIT4") throw ImportError(lineNumber, "the text does not start with REGEDIT4");
            sawSignature = true;
            continue;
        }
        if (line.front() == ';') continue;
        if (line.front() == '[') {
            Operation op = ParseHeader(line, lineNumber);
            key = op.kind == Operation::kCreateKey ? std::optional<Operation>(op) : std::nullopt;
            operations.push_back(std::move(op));
        } else if (line.front() == '"' || line.front() == '@') {
            if (!key) throw ImportError(lineNumber, "a value outside a key section");
            operations.push_back(ParseValue(line, lineNumber, *key));
        } else {
            throw ImportError(lineNumber, "unexpected text '" + std::string(line.substr(0, 20)) + "'");
        }
    }
    if (!sawSignature) throw ImportError(1, "the text does not start with REGEDIT4");
    return operations;
}

LSTATUS Apply(Database& db, const std::vector<Operation>& operations) {
    int64_t current = 0;
    for (const Operation& op : operations) {
        int64_t id = op.root + 1;
        LSTATUS status = ERROR_SUCCESS;
        switch (op.kind) {
            case Operation::kCreateKey:
                for (const auto& part : op.parts)
                    if ((status = db.CreateChild(id, part, id)) != ERROR_SUCCESS) return status;
                current = id;
                break;
            case Operation::kDeleteKey:
                for (const auto& part : op.parts) {
                    if ((status = db.FindChild(id, part, id)) != ERROR_SUCCESS) return status;
                    if (id == 0) break;
                }
                if (id != 0 && (status = db.DeleteBranch(id, false)) != ERROR_SUCCESS) return status;
                break;
            case Operation::kSetValue:
                if ((status = db.SetValue(current, op.name, op.type, op.data)) != ERROR_SUCCESS)
                    return status;
                break;
            case Operation::kDeleteValue: {
                bool existed = false;
                if ((status = db.DeleteValue(current, op.name, existed)) != ERROR_SUCCESS) return status;
                break;
            }
        }
    }
    return ERROR_SUCCESS;
}

}  // namespace

LSTATUS RegExportBranch(HKEY key, const char* subKey, std::string& text) {
    text.clear();
    auto& session = registry::TheSession();
    std::lock_guard lock(session.mutex);
    OpenKey base;
    if (LSTATUS status = session.Resolve(key, base); status != ERROR_SUCCESS) return status;
    if (!(base.access & KEY_READ & ~STANDARD_RIGHTS_READ)) return ERROR_ACCESS_DENIED;
    std::vector<std::string_view> parts;
    if (LSTATUS status = registry::SplitKeyPath(subKey ? subKey : "", parts); status != ERROR_SUCCESS)
        return status;
    Database* db = nullptr;
    if (LSTATUS status = session.Connect(db); status != ERROR_SUCCESS) return status;
    Transaction transaction(*db, false);
    if (LSTATUS status = transaction.Status(); status != ERROR_SUCCESS) return status;
    if (LSTATUS status = db->CheckAlive(base.id); status != ERROR_SUCCESS) return status;
    int64_t id = base.id;
    for (auto part : parts) {
        if (LSTATUS status = db->FindChild(id, part, id); status != ERROR_SUCCESS) return status;
        if (id == 0) return ERROR_FILE_NOT_FOUND;
    }
    std::string path;
    if (LSTATUS status = db->FullPath(id, path); status != ERROR_SUCCESS) return status;
    std::string out = "REGEDIT4\r\n";
    // Depth first without recursion: nesting depth is whatever the database holds.
    std::vector<std::pair<int64_t, std::string>> pending{{id, path}};
    std::vector<registry::ValueRecord> values;
    std::vector<std::pair<int64_t, std::string>> children;
    while (!pending.empty()) {
        auto [keyId, keyPath] = std::move(pending.back());
        pending.pop_back();
        out += "\r\n[" + keyPath + "]\r\n";
        if (LSTATUS status = db->Values(keyId, values); status != ERROR_SUCCESS) return status;
        for (const auto& value : values)
            AppendValue(out, value);
        if (LSTATUS status = db->ChildNames(keyId, children); status != ERROR_SUCCESS) return status;
        for (auto child = children.rbegin(); child != children.rend(); ++child)
            pending.emplace_back(child->first, keyPath + "\\" + child->second);
    }
    text = std::move(out);
    return ERROR_SUCCESS;
}

LSTATUS RegImportText(std::string_view text, std::string* error) {
    if (error) error->clear();
    std::vector<Operation> operations;
    try {
        operations = ParseText(text);
    } catch (const ImportError& failure) {
        if (error) *error = failure.Text();
        return ERROR_INVALID_DATA;
    }
    auto& session = registry::TheSession();
    std::lock_guard lock(session.mutex);
    Database* db = nullptr;
    LSTATUS status = session.Connect(db);
    if (status == ERROR_SUCCESS) {
        Transaction transaction(*db, true);
        status = transaction.Status();
        if (status == ERROR_SUCCESS) status = Apply(*db, operations);
        if (status == ERROR_SUCCESS) status = transaction.Commit();
    }
    if (status != ERROR_SUCCESS && error)
        *error = "the registry database refused the import (error " + std::to_string(status) + ")";
    return status;
}

}  // namespace win32
