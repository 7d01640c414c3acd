// The SASL and POP3 login answers the mail components send: PLAIN (RFC 4616), CRAM-MD5 (RFC 2195)
// and APOP (RFC 1939 section 7).
#pragma once

#include <string>
#include <string_view>

namespace postrel {

// base64 of the bytes on one line, as SASL exchanges carry them.
std::string SaslBase64(std::string_view bytes);
// base64 of "\0user\0password".
std::string SaslPlainResponse(std::string_view user, std::string_view password);
// base64 of "user " and the lower-case hex HMAC-MD5 of the challenge keyed with the password;
// `challenge` is the base64 text after "334 ". Empty when the challenge is not base64.
std::string CramMd5Response(std::string_view user, std::string_view password, std::string_view challenge);
// The lower-case hex MD5 of the greeting's "<...>" stamp followed by the password.
std::string ApopDigest(std::string_view stamp, std::string_view password);
// The "<...>" stamp of a POP3 greeting, or empty when it has none.
std::string ApopStamp(std::string_view greeting);

}  // namespace postrel
