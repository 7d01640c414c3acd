// The VS_VERSIONINFO block: validation, the UTF-8 companion, queries and building.
#include <cstring>
#include <sstream>
#include <stdexcept>

#include "version/version_internal.h"
#include "win32/files.h"
#include "win32/utf8.h"

namespace win32 {

namespace {

constexpr DWORD kMirrorMagic = 0x384C595A;  // "ZYL8"
constexpr int kMaxDepth = 8;
constexpr size_t kFixedSize = sizeof(VS_FIXEDFILEINFO);

size_t Align4(size_t offset) {
    return (offset + 3) & ~size_t{3};
}

WORD ReadWord(const BYTE* data, size_t offset) {
    return static_cast<WORD>(data[offset] | (data[offset + 1] << 8));
}

DWORD ReadDword(const BYTE* data, size_t offset) {
    return static_cast<DWORD>(data[offset]) | (static_cast<DWORD>(data[offset + 1]) << 8) |
           (static_cast<DWORD>(data[offset + 2]) << 16) | (static_cast<DWORD>(data[offset + 3]) << 24);
}

// One node of the tree, with offsets from the start of the block.
struct Node {
    size_t start = 0, end = 0;
    size_t keyStart = 0, keyUnits = 0;
    size_t valueStart = 0, valueBytes = 0;
    size_t childrenStart = 0;
    WORD type = 0;
};

// Reads the node at `offset`; everything it claims must lie inside [offset, limit).
bool ReadNode(const BYTE* data, size_t offset, size_t limit, Node& node) {
    if (offset + 6 > limit) return false;
    const size_t length = ReadWord(data, offset);
    if (length < 6 || offset + length > limit) return false;
    node.start = offset;
    node.end = offset + length;
    const WORD valueLength = ReadWord(data, offset + 2);
    node.type = ReadWord(data, offset + 4);
    if (node.type > 1) return false;
    node.keyStart = offset + 6;
    size_t cursor = node.keyStart;
    for (;;) {
        if (cursor + 2 > node.end) return false;
        if (ReadWord(data, cursor) == 0) break;
        cursor += 2;
    }
    node.keyUnits = (cursor - node.keyStart) / 2;
    node.valueStart = std::min(Align4(cursor + 2), node.end);
    // Text lengths count characters; some writers count bytes, so a text value is cut at its node.
    size_t bytes = node.type == 1 ? size_t{valueLength} * 2 : valueLength;
    if (node.valueStart + bytes > node.end) {
        if (node.type != 1) return false;
        bytes = node.end - node.valueStart;
    }
    node.valueBytes = bytes;
    node.childrenStart = std::min(Align4(node.valueStart + bytes), node.end);
    return true;
}

template <typename Visit>
bool WalkChildren(const BYTE* data, const Node& parent, Visit&& visit) {
    size_t offset = parent.childrenStart;
    while (offset + 6 <= parent.end) {
        Node child;
        if (!ReadNode(data, offset, parent.end, child)) return false;
        if (!visit(child)) return true;
        offset = Align4(child.end);
    }
    return true;
}

std::string Utf8OfUnits(const BYTE* data, size_t start, size_t units) {
    std::string out;
    for (size_t i = 0; i < units; ++i) {
        uint32_t code = ReadWord(data, start + 2 * i);
        if (code == 0) break;
        if (code >= 0xD800 && code <= 0xDBFF && i + 1 < units) {
            const uint32_t low = ReadWord(data, start + 2 * (i + 1));
            if (low >= 0xDC00 && low <= 0xDFFF) {
                code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            } else {
                code = 0xFFFD;
            }
        } else if (code >= 0xD800 && code <= 0xDFFF) {
            code = 0xFFFD;
        }
        AppendUtf8(out, code);
    }
    return out;
}

bool KeyEquals(const BYTE* data, const Node& node, std::string_view name) {
    const std::string key = Utf8OfUnits(data, node.keyStart, node.keyUnits);
    if (key.size() != name.size()) return false;
    for (size_t i = 0; i < key.size(); ++i) {
        auto a = static_cast<unsigned char>(key[i]), b = static_cast<unsigned char>(name[i]);
        if (a >= 'A' && a <= 'Z') a = static_cast<unsigned char>(a + 32);
        if (b >= 'A' && b <= 'Z') b = static_cast<unsigned char>(b + 32);
        if (a != b) return false;
    }
    return true;
}

// Checks every node below `node` and calls `text` for each text value.
template <typename Text>
bool Validate(const BYTE* data, const Node& node, int depth, Text& text) {
    if (depth > kMaxDepth) return false;
    if (node.type == 1 && node.valueBytes > 0) text(node);
    bool valid = true;
    const bool intact = WalkChildren(data, node, [&](const Node& child) {
        valid = Validate(data, child, depth + 1, text);
        return valid;
    });
    return intact && valid;
}

size_t MirrorStart(size_t blockLength) {
    return Align4(blockLength) + 8;
}

// The root of a block, checked against `size` when the size is known.
bool RootNode(const BYTE* data, size_t size, Node& root) {
    if (size < 6) return false;
    const size_t length = ReadWord(data, 0);
    return ReadNode(data, 0, std::min(size, length), root);
}

}  // namespace

bool LoadVersionInfo(const void* resource, size_t size, std::vector<BYTE>& info) {
    const auto* data = static_cast<const BYTE*>(resource);
    Node root;
    bool valid = data && RootNode(data, size, root);
    if (valid && root.valueBytes >= kFixedSize && ReadDword(data, root.valueStart) != VS_FFI_SIGNATURE)
        valid = false;
    if (!valid) {
        SetLastError(version::kErrorInvalidData);
        return false;
    }
    const size_t blockLength = root.end;
    const size_t mirror = MirrorStart(blockLength);
    info.assign(mirror + 2 * blockLength + 8, 0);
    std::memcpy(info.data(), data, blockLength);
    BYTE* out = info.data();
    out[mirror - 8] = static_cast<BYTE>(kMirrorMagic);
    out[mirror - 7] = static_cast<BYTE>(kMirrorMagic >> 8);
    out[mirror - 6] = static_cast<BYTE>(kMirrorMagic >> 16);
    out[mirror - 5] = static_cast<BYTE>(kMirrorMagic >> 24);
    auto mirrorText = [&](const Node& node) {
        const std::string text = Utf8OfUnits(out, node.valueStart, node.valueBytes / 2);
        // Each UTF-16 unit becomes at most three bytes, so twice the value's room holds it.
        std::memcpy(out + mirror + 2 * node.valueStart, text.data(), text.size());
    };
    if (!Validate(info.data(), root, 0, mirrorText)) {
        info.clear();
        SetLastError(version::kErrorInvalidData);
        return false;
    }
    return true;
}

BOOL VerQueryValue(const void* pBlock, const char* lpSubBlock, void** lplpBuffer, UINT* puLen) {
    if (!pBlock || !lpSubBlock || !lplpBuffer) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const auto* data = static_cast<const BYTE*>(pBlock);
    Node node;
    if (!RootNode(data, ReadWord(data, 0), node)) {
        SetLastError(version::kErrorInvalidData);
        return FALSE;
    }
    const std::string_view path = lpSubBlock;
    bool root = true;
    size_t start = 0;
    int depth = 0;
    while (start < path.size()) {
        size_t end = path.find('\\', start);
        if (end == std::string_view::npos) end = path.size();
        const std::string_view name = path.substr(start, end - start);
        start = end + 1;
        if (name.empty()) continue;
        if (++depth > kMaxDepth) break;
        bool found = false;
        Node match;
        const bool intact = WalkChildren(data, node, [&](const Node& child) {
            if (!KeyEquals(data, child, name)) return true;
            match = child;
            found = true;
            return false;
        });
        if (!intact || !found) {
            SetLastError(intact ? ERROR_RESOURCE_TYPE_NOT_FOUND : version::kErrorInvalidData);
            return FALSE;
        }
        node = match;
        root = false;
    }
    if (root) {
        if (node.valueBytes < kFixedSize) {
            SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
            return FALSE;
        }
        *lplpBuffer = const_cast<BYTE*>(data + node.valueStart);
        if (puLen) *puLen = static_cast<UINT>(kFixedSize);
        return TRUE;
    }
    if (node.type != 1) {
        *lplpBuffer = const_cast<BYTE*>(data + node.valueStart);
        if (puLen) *puLen = static_cast<UINT>(node.valueBytes);
        return TRUE;
    }
    const size_t blockLength = ReadWord(data, 0);
    const size_t mirror = MirrorStart(blockLength);
    const std::string text = Utf8OfUnits(data, node.valueStart, node.valueBytes / 2);
    if (ReadDword(data, mirror - 8) == kMirrorMagic) {
        *lplpBuffer = const_cast<BYTE*>(data + mirror + 2 * node.valueStart);
    } else {
        thread_local std::string converted;
        converted = text;
        *lplpBuffer = converted.data();
    }
    if (puLen) *puLen = static_cast<UINT>(text.size() + 1);
    return TRUE;
}

// ---------------------------------------------------------------------------------------------
// Building

namespace {

void PutWord(std::vector<BYTE>& out, WORD value) {
    out.push_back(static_cast<BYTE>(value));
    out.push_back(static_cast<BYTE>(value >> 8));
}

void PutDword(std::vector<BYTE>& out, DWORD value) {
    PutWord(out, static_cast<WORD>(value));
    PutWord(out, static_cast<WORD>(value >> 16));
}

void Pad(std::vector<BYTE>& out) {
    while (out.size() % 4)
        out.push_back(0);
}

void PutUtf16(std::vector<BYTE>& out, const std::string& text) {
    for (char32_t code : version::DecodeUtf8(text)) {
        if (code >= 0x10000) {
            code -= 0x10000;
            PutWord(out, static_cast<WORD>(0xD800 + (code >> 10)));
            PutWord(out, static_cast<WORD>(0xDC00 + (code & 0x3FF)));
        } else {
            PutWord(out, static_cast<WORD>(code));
        }
    }
    PutWord(out, 0);
}

// Writes a node: header, key, value and the children that `children` appends; fixes wLength.
template <typename Children>
void PutNode(std::vector<BYTE>& out, const std::string& key, WORD type, const std::vector<BYTE>& value,
             WORD valueLength, Children&& children) {
    Pad(out);
    const size_t start = out.size();
    PutWord(out, 0);
    PutWord(out, valueLength);
    PutWord(out, type);
    PutUtf16(out, key);
    Pad(out);
    out.insert(out.end(), value.begin(), value.end());
    children(out);
    const size_t length = out.size() - start;
    if (length > 0xFFFF) throw std::length_error("version block part longer than 64 KiB");
    out[start] = static_cast<BYTE>(length);
    out[start + 1] = static_cast<BYTE>(length >> 8);
}

DWORD High(const WORD (&parts)[4]) {
    return (static_cast<DWORD>(parts[0]) << 16) | parts[1];
}
DWORD Low(const WORD (&parts)[4]) {
    return (static_cast<DWORD>(parts[2]) << 16) | parts[3];
}

}  // namespace

std::vector<BYTE> BuildVersionResource(const VersionDescription& d) {
    std::vector<BYTE> fixed;
    for (DWORD value : {VS_FFI_SIGNATURE, VS_FFI_STRUCVERSION, High(d.fileVersion), Low(d.fileVersion),
                        High(d.productVersion), Low(d.productVersion), d.fileFlagsMask, d.fileFlags, d.fileOS,
                        d.fileType, d.fileSubtype, DWORD{0}, DWORD{0}})
        PutDword(fixed, value);
    char table[9];
    std::snprintf(table, sizeof table, "%04X%04X", d.language, d.codePage);
    std::vector<BYTE> out;
    PutNode(out, "VS_VERSION_INFO", 0, fixed, static_cast<WORD>(fixed.size()), [&](std::vector<BYTE>& o) {
        PutNode(o, "StringFileInfo", 1, {}, 0, [&](std::vector<BYTE>& files) {
            PutNode(files, table, 1, {}, 0, [&](std::vector<BYTE>& strings) {
                for (const auto& [name, value] : d.strings) {
                    std::vector<BYTE> text;
                    PutUtf16(text, value);
                    if (text.size() / 2 > 0xFFFF)
                        throw std::length_error("version string longer than 64 KiB");
                    PutNode(strings, name, 1, text, static_cast<WORD>(text.size() / 2),
                            [](std::vector<BYTE>&) {});
                }
            });
        });
        PutNode(o, "VarFileInfo", 1, {}, 0, [&](std::vector<BYTE>& vars) {
            std::vector<BYTE> translation;
            PutWord(translation, d.language);
            PutWord(translation, d.codePage);
            PutNode(vars, "Translation", 0, translation, 4, [](std::vector<BYTE>&) {});
        });
    });
    return out;
}

namespace {

bool ParseVersionParts(const std::string& text, WORD (&parts)[4]) {
    std::istringstream in(text);
    std::string part;
    int count = 0;
    WORD values[4] = {0, 0, 0, 0};
    while (std::getline(in, part, '.')) {
        if (count == 4 || part.empty() || part.size() > 5 ||
            part.find_first_not_of("0123456789") != std::string::npos)
            return false;
        const unsigned long value = std::stoul(part);
        if (value > 0xFFFF) return false;
        values[count++] = static_cast<WORD>(value);
    }
    if (count == 0) return false;
    std::memcpy(parts, values, sizeof values);
    return true;
}

bool ParseNumber(const std::string& text, int base, DWORD& value) {
    if (text.empty() || text.size() > 10) return false;
    size_t used = 0;
    try {
        const unsigned long parsed = std::stoul(text, &used, base);
        if (used != text.size() || parsed > 0xFFFFFFFFul) return false;
        value = static_cast<DWORD>(parsed);
    } catch (const std::exception&) {
        return false;
    }
    return true;
}

std::string Trim(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

}  // namespace

VersionDescription ParseVersionDescription(const std::string& text) {
    VersionDescription d;
    std::istringstream in(text);
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        const std::string trimmed = Trim(line);
        if (trimmed.empty() || trimmed[0] == '#') continue;
        const size_t equals = trimmed.find('=');
        auto fail = [&] {
            throw std::invalid_argument("version description line " + std::to_string(number) + ": " +
                                        trimmed);
        };
        if (equals == std::string::npos) fail();
        const std::string key = Trim(trimmed.substr(0, equals)), value = Trim(trimmed.substr(equals + 1));
        DWORD parsed = 0;
        if (key.rfind("String ", 0) == 0) {
            const std::string name = Trim(key.substr(7));
            if (name.empty()) fail();
            d.strings.emplace_back(name, value);
        } else if (key == "FileVersion") {
            if (!ParseVersionParts(value, d.fileVersion)) fail();
        } else if (key == "ProductVersion") {
            if (!ParseVersionParts(value, d.productVersion)) fail();
        } else if (key == "Language") {
            if (!ParseNumber(value, 16, parsed) || parsed > 0xFFFF) fail();
            d.language = static_cast<WORD>(parsed);
        } else if (key == "CodePage") {
            if (!ParseNumber(value, 10, parsed) || parsed > 0xFFFF) fail();
            d.codePage = static_cast<WORD>(parsed);
        } else {
            DWORD* field = key == "FileFlagsMask" ? &d.fileFlagsMask
                           : key == "FileFlags"   ? &d.fileFlags
                           : key == "FileOS"      ? &d.fileOS
                           : key == "FileType"    ? &d.fileType
                           : key == "FileSubtype" ? &d.fileSubtype
                                                  : nullptr;
            const bool hex = value.rfind("0x", 0) == 0 || value.rfind("0X", 0) == 0;
            if (!field || !ParseNumber(hex ? value.substr(2) : value, hex ? 16 : 10, *field)) fail();
        }
    }
    return d;
}

}  // namespace win32
