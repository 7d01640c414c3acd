// Composition of an outgoing message: header lines, the MIME multipart body, generated
// identifiers, and base64 coding of attachments with its events.
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <random>

#include "zyltiemails.h"

namespace postrel {

namespace {

constexpr char kBase64Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr size_t kLineBytes = 57;
constexpr size_t kLineChars = 76;
// A block yields exactly 40 whole lines; the message queue is pumped before each one.
constexpr size_t kBlockBytes = 40 * kLineBytes;
// Blocks read from the file at once.
constexpr size_t kReadBlocks = 32;

// Two base64 characters for every 12-bit value, so that a group of three bytes takes two lookups.
struct PairTable {
    char pairs[4096][2];
    constexpr PairTable() : pairs{} {
        for (int value = 0; value < 4096; ++value) {
            pairs[value][0] = kBase64Alphabet[value >> 6];
            pairs[value][1] = kBase64Alphabet[value & 63];
        }
    }
};
constexpr PairTable kPairs;

inline void EncodeGroup(uint32_t bits, char* out) {
    std::memcpy(out, kPairs.pairs[bits >> 12], 2);
    std::memcpy(out + 2, kPairs.pairs[bits & 0xFFF], 2);
}

// 57 bytes into 76 characters: two groups per 64-bit load while eight bytes remain in the line.
inline void EncodeLine(const uint8_t* in, char* out) {
    for (int pair = 0; pair < 9; ++pair) {
        uint64_t word;
        std::memcpy(&word, in, 8);
        word = __builtin_bswap64(word);
        EncodeGroup(static_cast<uint32_t>(word >> 40), out);
        EncodeGroup(static_cast<uint32_t>(word >> 16) & 0xFFFFFF, out + 4);
        in += 6;
        out += 8;
    }
    EncodeGroup(uint32_t{in[0]} << 16 | uint32_t{in[1]} << 8 | in[2], out);
}

// Up to 56 bytes: the whole groups, then the last one or two bytes with "=" fill.
size_t EncodeTail(const uint8_t* in, size_t size, char* out) {
    char* start = out;
    for (; size >= 3; size -= 3, in += 3, out += 4)
        EncodeGroup(uint32_t{in[0]} << 16 | uint32_t{in[1]} << 8 | in[2], out);
    if (size == 2) {
        uint32_t bits = uint32_t{in[0]} << 16 | uint32_t{in[1]} << 8;
        out[0] = kBase64Alphabet[bits >> 18];
        out[1] = kBase64Alphabet[(bits >> 12) & 63];
        out[2] = kBase64Alphabet[(bits >> 6) & 63];
        out[3] = '=';
        out += 4;
    } else if (size == 1) {
        uint32_t bits = uint32_t{in[0]} << 16;
        out[0] = kBase64Alphabet[bits >> 18];
        out[1] = kBase64Alphabet[(bits >> 12) & 63];
        out[2] = '=';
        out[3] = '=';
        out += 4;
    }
    return static_cast<size_t>(out - start);
}

// Seeded from the system's entropy, so that two compositions in the same clock tick, in one
// process or in two, draw different letters; a forked child seeds again rather than repeat its
// parent's sequence.
std::mt19937_64& LetterSource() {
    static std::mt19937_64 source;
    static pid_t seededFor = 0;
    if (seededFor != getpid()) {
        std::random_device device;
        std::seed_seq seed{device(), device(), device(), device()};
        source.seed(seed);
        seededFor = getpid();
    }
    return source;
}

// n letters from "a" to "y".
std::string RandomLetters(size_t count) {
    static std::mutex guard;
    std::lock_guard lock(guard);
    std::uniform_int_distribution<int> letter(0, 24);
    std::string letters(count, 'a');
    for (char& c : letters)
        c = static_cast<char>('a' + letter(LetterSource()));
    return letters;
}

// The lines of a text, with every line break inside an element making a line of its own.
void AppendTextLines(const vcl::TStrings& source, std::vector<std::string>& lines) {
    for (int i = 0; i < source.Count(); ++i) {
        const std::string text = source.Strings(i);
        size_t start = 0;
        for (;;) {
            size_t stop = text.find_first_of("\r\n", start);
            if (stop == std::string::npos) {
                lines.push_back(text.substr(start));
                break;
            }
            lines.push_back(text.substr(start, stop - start));
            start = stop + (text[stop] == '\r' && stop + 1 < text.size() && text[stop + 1] == '\n' ? 2 : 1);
        }
    }
}

bool IsValidUtf8(std::string_view text) {
    size_t i = 0;
    while (i < text.size()) {
        auto c = static_cast<unsigned char>(text[i]);
        size_t length = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
        if (length == 0 || i + length > text.size()) return false;
        uint32_t code = length == 1 ? c : c & (0xFF >> (length + 1));
        for (size_t k = 1; k < length; ++k) {
            auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            code = code << 6 | (next & 0x3F);
        }
        static constexpr uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (code < kSmallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
        i += length;
    }
    return true;
}

// Plain ASCII keeps the traditional label; UTF-8 text says so; bytes that are not UTF-8 are
// single-byte text, which ISO-8859-1 covers byte for byte.
std::string TextCharset(const std::vector<std::string>& lines) {
    bool ascii = true;
    for (const std::string& line : lines) {
        for (char c : line)
            if (static_cast<unsigned char>(c) >= 0x80) {
                ascii = false;
                break;
            }
        if (!ascii) break;
    }
    if (ascii) return "ISO-8859-1";
    for (const std::string& line : lines)
        if (!IsValidUtf8(line)) return "ISO-8859-1";
    return "UTF-8";
}

// The most characters a line may hold on the wire, its CR LF not counted (RFC 5322 2.1.1), and
// the length a header line is folded to where it can be (RFC 5322 2.2.3).
constexpr size_t kMaxLineLength = 998;
constexpr size_t kFoldLength = 78;

bool IsAddressListField(std::string_view line) {
    for (std::string_view name : {"From:", "To:", "Cc:", "Reply-To:"})
        if (line.starts_with(name)) return true;
    return false;
}

// Folds a header line longer than 78 characters where folding keeps its meaning: before a blank
// outside quoted strings and angle brackets, and in address lists also after a comma between
// addresses. Raises EZylMailError when a piece still passes 998 characters.
std::vector<std::string> FoldHeaderLine(const std::string& line) {
    if (line.size() <= kFoldLength) return {line};
    const bool addresses = IsAddressListField(line);
    // Where a continuation line may begin.
    std::vector<size_t> breaks;
    bool quoted = false, angled = false;
    for (size_t i = line.find(':') + 2; i < line.size(); ++i) {
        char c = line[i];
        if (quoted) {
            if (c == '\\')
                ++i;
            else if (c == '"')
                quoted = false;
            continue;
        }
        if (c == '"') quoted = true;
        if (c == '<') angled = true;
        if (c == '>') angled = false;
        if (angled) continue;
        if (c == ' ' || c == '\t' || (addresses && line[i - 1] == ',')) breaks.push_back(i);
    }
    std::vector<std::string> lines;
    size_t start = 0;
    size_t next = 0;  // the first break after start
    for (;;) {
        while (next < breaks.size() && breaks[next] <= start)
            ++next;
        size_t chosen = std::string::npos;
        if (line.size() - start > kFoldLength) {
            for (size_t k = next; k < breaks.size() && breaks[k] - start <= kFoldLength; ++k)
                chosen = breaks[k];
            if (chosen == std::string::npos && next < breaks.size()) chosen = breaks[next];
        }
        std::string piece =
            line.substr(start, chosen == std::string::npos ? std::string::npos : chosen - start);
        // A continuation begins with a blank; after a bare comma it brings its own.
        if (start > 0 && piece[0] != ' ' && piece[0] != '\t') piece.insert(0, 1, ' ');
        if (piece.size() > kMaxLineLength)
            throw EZylMailError(
                vcl::Format("The header field \"%s\" holds more than %d characters without a "
                            "place to fold it",
                            {line.substr(0, line.find(':')), static_cast<Integer>(kMaxLineLength)}));
        lines.push_back(std::move(piece));
        if (chosen == std::string::npos) return lines;
        start = chosen;
    }
}

// Quoted-printable (RFC 2045 6.7) lines of at most 76 characters for text lines that are too long
// to go out as they are.
std::vector<std::string> QuotedPrintableLines(const std::vector<std::string>& text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::vector<std::string> lines;
    for (const std::string& source : text) {
        std::string line;
        for (size_t i = 0; i < source.size(); ++i) {
            auto c = static_cast<unsigned char>(source[i]);
            bool literal =
                (c >= 33 && c <= 126 && c != '=') || ((c == ' ' || c == '\t') && i + 1 < source.size());
            char token[3] = {static_cast<char>(c), 0, 0};
            size_t tokenSize = 1;
            if (!literal) {
                token[0] = '=';
                token[1] = kHex[c >> 4];
                token[2] = kHex[c & 15];
                tokenSize = 3;
            }
            if (line.size() + tokenSize > 75) {
                lines.push_back(line + "=");
                line.clear();
            }
            line.append(token, tokenSize);
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

// A parameter value inside double quotes: quotes and backslashes are escaped.
std::string Quoted(std::string_view value) {
    std::string result = "\"";
    for (char c : value) {
        if (c == '"' || c == '\\') result += '\\';
        result += c;
    }
    return result + '"';
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Base64 and percentages

void Base64EncodeLines(const uint8_t* data, size_t size, std::vector<std::string>& lines) {
    lines.reserve(lines.size() + (size + kLineBytes - 1) / kLineBytes);
    for (; size >= kLineBytes; data += kLineBytes, size -= kLineBytes) {
        std::string& line = lines.emplace_back(kLineChars, '\0');
        EncodeLine(data, line.data());
    }
    if (size > 0) {
        char out[kLineChars];
        lines.emplace_back(out, EncodeTail(data, size, out));
    }
}

void Base64EncodeText(const uint8_t* data, size_t size, std::string& text, std::string_view lineEnd) {
    size_t lineCount = (size + kLineBytes - 1) / kLineBytes;
    size_t start = text.size();
    text.resize(start + (size + 2) / 3 * 4 + lineCount * lineEnd.size());
    char* out = text.data() + start;
    for (; size >= kLineBytes; data += kLineBytes, size -= kLineBytes) {
        EncodeLine(data, out);
        out += kLineChars;
        std::memcpy(out, lineEnd.data(), lineEnd.size());
        out += lineEnd.size();
    }
    if (size > 0) {
        out += EncodeTail(data, size, out);
        std::memcpy(out, lineEnd.data(), lineEnd.size());
    }
}

Word PercentOf(uint64_t numerator, uint64_t denominator) {
    if (denominator == 0) return 100;
    if (numerator <= UINT64_MAX / 200) {
        // The common case, without the wide division.
        uint64_t scaled = numerator * 100;
        uint64_t quotient = scaled / denominator, remainder = scaled % denominator;
        uint64_t half = denominator - remainder;
        if (remainder > half || (remainder == half && (quotient & 1))) ++quotient;
        return static_cast<Word>(std::min<uint64_t>(quotient, 0xFFFF));
    }
    __extension__ using Wide = unsigned __int128;
    Wide scaled = static_cast<Wide>(numerator) * 100;
    auto quotient = static_cast<uint64_t>(scaled / denominator);
    auto remainder = static_cast<uint64_t>(scaled % denominator);
    uint64_t half = denominator - remainder;  // remainder * 2 compared without overflow
    if (remainder > half || (remainder == half && (quotient & 1))) ++quotient;
    return static_cast<Word>(std::min<uint64_t>(quotient, 0xFFFF));
}

// ---------------------------------------------------------------------------------------------
// Identifiers

VCL_DEFINE_CLASS(TZylSMTPMail, TZylMailHost)

std::string TZylSMTPMail::LocalHostName() const {
    if (socket_) return socket_->Socket()->LocalHost();
    return vcl::TCustomWinSocket().LocalHost();
}

std::string TZylSMTPMail::CreateUIN() {
    return "<zylvt98." + vcl::FormatDateTime("hhnn.ddmmyyyy", vcl::Now()) + RandomLetters(8) + "@" +
           LocalHostName() + ">";
}

std::string TZylSMTPMail::CreateBounds() {
    return "---ZYLMAIL" + RandomLetters(12);
}

// ---------------------------------------------------------------------------------------------
// Attachments

TZylAttachment* TZylSMTPMail::FindAttachment(TZylAttachment* attachment, TZylMessage* message, int messageId,
                                             int attachmentId) const {
    if (messageId >= 0) {
        auto* current = static_cast<TZylMessage*>(Messages()->FindItemID(messageId));
        return current ? static_cast<TZylAttachment*>(current->Attachments()->FindItemID(attachmentId))
                       : nullptr;
    }
    if (message) return static_cast<TZylAttachment*>(message->Attachments()->FindItemID(attachmentId));
    return attachment;
}

bool TZylSMTPMail::EncodeFile(const std::string& path, std::vector<std::string>& lines) {
    vcl::TFileStream file(path, vcl::fmOpenRead | vcl::fmShareDenyNone);
    const uint64_t size = static_cast<uint64_t>(std::max<vcl::Int64>(file.Size(), 0));
    Fire(OnEncodeStart, this, path, static_cast<Integer>(std::min<uint64_t>(size, INT32_MAX)));
    lastEncodePercent_ = 0;
    uint64_t nextStep = ProgressStep();
    uint64_t done = 0;
    lines.clear();
    lines.reserve(static_cast<size_t>(std::min<uint64_t>(size / kLineBytes + 1, uint64_t{1} << 24)));

    std::vector<uint8_t> buffer(kBlockBytes * kReadBlocks);
    uint64_t wholeBlocks = size / kBlockBytes * kBlockBytes;
    bool shrank = false;
    // Whole blocks, with progress after every line.
    while (done < wholeBlocks && !shrank) {
        size_t wanted = static_cast<size_t>(std::min<uint64_t>(buffer.size(), wholeBlocks - done));
        size_t got = static_cast<size_t>(
            std::max<vcl::Int64>(file.Read(buffer.data(), static_cast<vcl::Int64>(wanted)), 0));
        if (got < wanted) shrank = true;  // the file was cut while being read: encode what came
        for (size_t offset = 0; offset < got; offset += kBlockBytes) {
            Pump();
            if (abort_) return false;
            size_t blockSize = std::min(kBlockBytes, got - offset);
            size_t firstLine = lines.size();
            Base64EncodeLines(buffer.data() + offset, blockSize, lines);
            for (size_t line = firstLine; line < lines.size(); ++line) {
                done += std::min<uint64_t>(kLineBytes, blockSize - (line - firstLine) * kLineBytes);
                Word percent = PercentOf(done, size);
                lastEncodePercent_ = percent;
                if (percent >= nextStep) {
                    Fire(OnEncodeProgress, this, percent);
                    nextStep += ProgressStep();
                }
            }
        }
    }
    // The rest, shorter than a block, without progress events.
    if (!shrank && done < size) {
        Pump();
        if (abort_) return false;
        size_t wanted = static_cast<size_t>(size - done);
        size_t got = static_cast<size_t>(
            std::max<vcl::Int64>(file.Read(buffer.data(), static_cast<vcl::Int64>(wanted)), 0));
        Base64EncodeLines(buffer.data(), got, lines);
    }
    if (lastEncodePercent_ < 100) Fire(OnEncodeProgress, this, Word{100});
    Pump();
    return !abort_;
}

bool TZylSMTPMail::EncodeAttachment(TZylAttachment* attachment, TZylMessage* message,
                                    std::vector<std::string>& lines) {
    int messageId = message && message->Collection() == Messages() ? message->ID() : -1;
    int attachmentId = attachment->ID();
    std::string path = attachment->PathName().empty() ? attachment->FileName() : attachment->PathName();
    if (!EncodeFile(path, lines)) return false;
    if (TZylAttachment* current = FindAttachment(attachment, message, messageId, attachmentId)) {
        auto encoded = std::make_unique<vcl::TStringList>();
        encoded->BeginUpdate();
        for (const std::string& line : lines)
            encoded->Add(line);
        encoded->EndUpdate();
        current->SetEncodedLines(std::move(encoded));
    }
    Fire(OnEncodeEnd, this);
    return true;
}

void TZylSMTPMail::Base64Encode(TZylAttachment* attachment) {
    if (!attachment) throw EZylMailError("No attachment to encode");
    std::vector<std::string> lines;
    EncodeAttachment(attachment, attachment->Message(), lines);
}

// ---------------------------------------------------------------------------------------------
// Composition

std::unique_ptr<vcl::TStringList> TZylSMTPMail::InitializeMessage(TZylMessage* message) {
    if (!message) throw EZylMailError("No message to compose");
    ValidateMessage(*message);

    std::vector<std::string> text;
    AppendTextLines(*message->Message(), text);
    text.emplace_back();
    text.emplace_back();
    AppendTextLines(*signature_, text);
    const std::string charset = TextCharset(text);
    // A text line too long for the wire goes out in quoted-printable, which breaks it softly.
    const bool quotedPrintable = std::any_of(
        text.begin(), text.end(), [](const std::string& line) { return line.size() > kMaxLineLength; });
    if (quotedPrintable) text = QuotedPrintableLines(text);
    const char* textEncoding =
        quotedPrintable ? "Content-Transfer-Encoding: quoted-printable" : "Content-Transfer-Encoding: 8bit";
    for (std::string& line : text)
        if (!line.empty() && line[0] == '.') line.insert(0, 1, '.');

    std::vector<std::string> header;
    header.push_back("Message-Id: " + CreateUIN());
    if (!message->InReplyTo().empty()) header.push_back("In-Reply-To: " + message->InReplyTo());
    header.push_back("Date: " + message->Date());
    if (message->FromName().empty())
        header.push_back("From: " + message->FromMail());
    else if (message->FromMail().find('@') != std::string::npos)
        header.push_back("From: " + Quoted(message->FromName()) + " <" + message->FromMail() + ">");
    else
        header.push_back("From: " + Quoted(message->FromName()) + " <" + message->FromMail() + "@" + Host() +
                         ">");
    if (!message->ReplyTo().empty()) header.push_back("Reply-To: " + message->ReplyTo());
    header.push_back("X-Mailer: " + ApplicationTitle() + " - [" + std::string(ClassName()) + "]");
    // Only copies: the To field names nobody rather than the unnamed recipients.
    header.push_back("To: " + (message->SendTo().empty() &&
                                       !(message->CarbonCopy().empty() && message->BlindCopy().empty())
                                   ? std::string("undisclosed-recipients:;")
                                   : message->SendTo()));
    if (!message->CarbonCopy().empty()) header.push_back("Cc: " + message->CarbonCopy());
    if (!message->ReceiptTo().empty())
        header.push_back("Disposition-Notification-To: " + message->ReceiptTo());
    header.push_back("Subject: " + message->Subject());
    header.push_back("MIME-Version: 1.0");

    // What the attachments are, taken before any handler runs.
    struct MimePart {
        TZylAttachment* attachment;
        int attachmentId;
        std::string fileName;
        std::string mimeType;
    };
    std::vector<MimePart> parts;
    for (int i = 0; i < message->Attachments()->Count(); ++i) {
        TZylAttachment* attachment = message->Attachments()->GeTZylAttachment(i);
        if (attachment->MimeType().empty())
            attachment->SetMimeType(TZylAttachments::GetMimeType(
                attachment->PathName().empty() ? attachment->FileName() : attachment->PathName()));
        parts.push_back({attachment, attachment->ID(), attachment->FileName(), attachment->MimeType()});
    }

    std::vector<std::string> body;
    if (parts.empty()) {
        header.push_back("Content-Type: Text/Plain; charset=" + charset);
        header.push_back(textEncoding);
        body = std::move(text);
    } else {
        const std::string boundary = CreateBounds();
        const std::string delimiter = "--" + boundary;
        header.push_back("Content-Type: multipart/mixed; boundary=\"" + boundary + "\"");
        body.push_back(delimiter);
        body.push_back("Content-Type: Text/Plain; charset=" + charset);
        body.push_back(textEncoding);
        body.emplace_back();
        body.insert(body.end(), std::make_move_iterator(text.begin()), std::make_move_iterator(text.end()));
        const int messageId = message->Collection() == Messages() ? message->ID() : -1;
        for (MimePart& part : parts) {
            body.push_back(delimiter);
            body.push_back("Content-Type: " + part.mimeType + "; name=" + Quoted(part.fileName));
            body.push_back("Content-Transfer-Encoding: base64");
            body.push_back("Content-Disposition: inLine; filename=" + Quoted(part.fileName));
            body.emplace_back();
            // Handlers of earlier parts may have deleted this one or its message.
            TZylMessage* owner =
                messageId >= 0 ? static_cast<TZylMessage*>(Messages()->FindItemID(messageId)) : message;
            TZylAttachment* attachment =
                owner ? FindAttachment(part.attachment, owner, messageId, part.attachmentId) : nullptr;
            if (!attachment) throw EZylMailError("An attachment was removed while the message was composed");
            std::vector<std::string> encoded;
            if (!EncodeAttachment(attachment, owner, encoded)) return nullptr;
            body.insert(body.end(), std::make_move_iterator(encoded.begin()),
                        std::make_move_iterator(encoded.end()));
        }
        body.emplace_back();
        body.push_back(delimiter + "--");
        body.emplace_back();
    }

    Pump();
    if (abort_) return nullptr;
    auto result = std::make_unique<vcl::TStringList>();
    result->BeginUpdate();
    for (const std::string& line : header)
        for (std::string& folded : FoldHeaderLine(line))
            result->Add(folded);
    result->Add("");
    for (std::string& line : body)
        result->Add(line);
    result->EndUpdate();
    return result;
}

}  // namespace postrel
