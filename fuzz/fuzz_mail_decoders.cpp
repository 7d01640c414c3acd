// Arbitrary bytes for the decoders of received mail: base64 gives the same bytes whatever pieces it
// is fed in and reads back what the encoder wrote; quoted-printable, uuencode, encoded words,
// parameters and addresses never fail; safe names are safe and stay as they are when made safe
// again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "postrel/zylmimedecode.h"
#include "postrel/zyltiemails.h"

namespace fuzz_mail_decoders {

void Require(bool condition) {
    if (!condition) std::abort();
}

void CheckBase64(std::string_view text, size_t pieceSize) {
    std::string whole = postrel::DecodeBase64Text(text);
    Require(whole.size() <= text.size() * 3 / 4 + 2);
    postrel::TZylBase64Decoder decoder;
    std::string pieces;
    for (size_t offset = 0; offset < text.size(); offset += pieceSize)
        decoder.Decode(text.substr(offset, pieceSize), pieces);
    decoder.Finish(pieces);
    Require(pieces == whole);
    // The encoder's lines read back as the bytes they came from.
    std::string encoded;
    postrel::Base64EncodeText(reinterpret_cast<const uint8_t*>(text.data()), text.size(), encoded);
    Require(postrel::DecodeBase64Text(encoded) == text);
}

void CheckName(std::string_view name) {
    std::string safe = postrel::SafeAttachmentName(name);
    Require(!safe.empty() && safe.size() <= 255);
    Require(safe.find_first_of("/\\:*?\"<>|") == std::string::npos);
    Require(safe[0] != '.' && safe[0] != ' ');
    for (char c : safe)
        Require(static_cast<unsigned char>(c) >= 0x20 && c != 0x7F);
    Require(postrel::SafeAttachmentName(safe) == safe);
}

}  // namespace fuzz_mail_decoders

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace fuzz_mail_decoders;
    if (size == 0) return 0;
    std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    CheckBase64(text, data[0] % 13 + 1);
    CheckName(text);
    std::vector<std::string_view> lines = postrel::SplitMailLines(text);
    std::string decoded = postrel::DecodeQuotedPrintable(lines);
    Require(decoded.size() <= text.size() + 2 * lines.size());
    for (std::string_view line : lines) {
        std::string bytes;
        if (postrel::DecodeUULine(line, bytes)) Require(bytes.size() <= 63);
        postrel::IsUUBeginLine(line);
    }
    postrel::DecodeHeaderText(text);
    postrel::ParseHeaderValue(text);
    for (const postrel::TZylMailAddress& address : postrel::ParseAddressList(text))
        Require(address.address.find(' ') == std::string::npos && !address.address.empty());
    std::vector<postrel::TZylHeaderField> fields;
    Require(postrel::ReadHeaderBlock(lines, fields) <= lines.size());
    return 0;
}
