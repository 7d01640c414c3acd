// Login answers, and the EHLO capability parser.
#include "zylmailauth.h"

#include <openssl/evp.h>
#include <openssl/hmac.h>

#include <cstdint>

#include "vcl/sysutils.h"
#include "zylmimedecode.h"
#include "zylsmtpreply.h"
#include "zyltiemails.h"

namespace postrel {

namespace {

std::string HexOf(const unsigned char* bytes, unsigned int size) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned int i = 0; i < size; ++i) {
        hex += kDigits[bytes[i] >> 4];
        hex += kDigits[bytes[i] & 15];
    }
    return hex;
}

bool IsBase64Text(std::string_view text) {
    for (char c : text)
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' ||
              c == '/' || c == '='))
            return false;
    return !text.empty();
}

}  // namespace

std::string SaslBase64(std::string_view bytes) {
    std::string text;
    Base64EncodeText(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), text, "");
    return text;
}

std::string SaslPlainResponse(std::string_view user, std::string_view password) {
    std::string message(1, '\0');
    message.append(user);
    message += '\0';
    message.append(password);
    return SaslBase64(message);
}

std::string CramMd5Response(std::string_view user, std::string_view password, std::string_view challenge) {
    while (!challenge.empty() && (challenge.back() == ' ' || challenge.back() == '\r'))
        challenge.remove_suffix(1);
    if (!IsBase64Text(challenge)) return {};
    const std::string decoded = DecodeBase64Text(challenge);
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    if (!HMAC(EVP_md5(), password.data(), static_cast<int>(password.size()),
              reinterpret_cast<const unsigned char*>(decoded.data()), decoded.size(), digest, &size))
        return {};
    return SaslBase64(std::string(user) + " " + HexOf(digest, size));
}

std::string ApopDigest(std::string_view stamp, std::string_view password) {
    const std::string input = std::string(stamp) + std::string(password);
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    if (EVP_Digest(input.data(), input.size(), digest, &size, EVP_md5(), nullptr) != 1) return {};
    return HexOf(digest, size);
}

std::string ApopStamp(std::string_view greeting) {
    const size_t open = greeting.find('<');
    if (open == std::string_view::npos) return {};
    const size_t close = greeting.find('>', open);
    if (close == std::string_view::npos) return {};
    const std::string_view stamp = greeting.substr(open, close - open + 1);
    // A stamp is a message-id: something "@" something, without blanks or controls.
    if (stamp.find('@') == std::string_view::npos) return {};
    for (char c : stamp)
        if (static_cast<unsigned char>(c) <= ' ') return {};
    return std::string(stamp);
}

TZylSMTPCapabilities ParseEhloCapabilities(const std::vector<std::string>& lines) {
    TZylSMTPCapabilities capabilities;
    for (size_t i = 1; i < lines.size(); ++i) {
        std::string_view line = lines[i];
        if (line.size() < 4) continue;
        line.remove_prefix(4);
        std::vector<std::string> words;
        size_t start = 0;
        while (start < line.size()) {
            const size_t end = std::min(line.find_first_of(" =", start), line.size());
            if (end > start) words.push_back(vcl::UpperCase(line.substr(start, end - start)));
            start = end + 1;
        }
        if (words.empty()) continue;
        if (words[0] == "STARTTLS") capabilities.StartTls = true;
        if (words[0] != "AUTH") continue;
        for (size_t w = 1; w < words.size(); ++w)
            if (!capabilities.Offers(words[w]) && capabilities.AuthMechanisms.size() < 32)
                capabilities.AuthMechanisms.push_back(words[w]);
    }
    return capabilities;
}

}  // namespace postrel
