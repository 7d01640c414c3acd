// Turning a retrieved message into a TZylMessage: header fields into its properties, text parts
// into its lines, and attachments (MIME parts in base64, quoted-printable, uuencode or as they
// stand, and uuencoded blocks in plain text) decoded into streams with the decode events.
#include <cstring>

#include "zylmimedecode.h"
#include "zyltiemails.h"

namespace postrel {

namespace parse {

// Parts nested deeper than this make the message unreadable rather than the stack deep.
constexpr int kMaxNesting = 32;
// The message queue is pumped after this many decoded lines.
constexpr size_t kLinesPerPump = 64;

bool IsUUEncoding(std::string_view encoding) {
    return encoding == "x-uuencode" || encoding == "uuencode" || encoding == "x-uue";
}

bool IsAttachmentEncoding(std::string_view encoding) {
    return encoding == "base64" || IsUUEncoding(encoding);
}

bool IsAscii(std::string_view text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

std::string FieldValue(const std::vector<TZylHeaderField>& fields, std::string_view name) {
    const TZylHeaderField* field = FindHeaderField(fields, name);
    return field ? field->value : std::string();
}

// The pieces of a text at CR LF or LF, an empty piece after a final line end included.
std::vector<std::string> TextLines(std::string_view text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (;;) {
        size_t end = text.find('\n', start);
        size_t stop = end == std::string_view::npos ? text.size() : end;
        size_t cut = stop > start && text[stop - 1] == '\r' ? stop - 1 : stop;
        lines.emplace_back(text.substr(start, cut - start));
        if (end == std::string_view::npos) return lines;
        start = end + 1;
    }
}

std::string JoinWithCrLf(std::span<const std::string_view> lines) {
    size_t size = 0;
    for (std::string_view line : lines)
        size += line.size() + 2;
    std::string result;
    result.reserve(size);
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) result += "\r\n";
        result += lines[i];
    }
    return result;
}

std::unique_ptr<vcl::TMemoryStream> StreamOf(const std::string& bytes) {
    auto stream = std::make_unique<vcl::TMemoryStream>();
    if (!bytes.empty()) {
        stream->SetSize(static_cast<vcl::Int64>(bytes.size()));
        std::memcpy(stream->Memory(), bytes.data(), bytes.size());
    }
    return stream;
}

std::unique_ptr<vcl::TStringList> StringListOf(std::span<const std::string_view> lines) {
    auto list = std::make_unique<vcl::TStringList>();
    list->BeginUpdate();
    list->SetCapacity(static_cast<int>(lines.size()));
    for (std::string_view line : lines)
        list->Add(std::string(line));
    list->EndUpdate();
    return list;
}

// The parts of a multipart body between its delimiter lines ("--" boundary, blanks allowed after
// it); the closing delimiter ("--" boundary "--") ends the last part, or the body does. Lines
// before the first delimiter and after the closing one are not part of any.
std::vector<std::span<const std::string_view>> SplitParts(std::span<const std::string_view> body,
                                                          const std::string& boundary) {
    const std::string delimiter = "--" + boundary;
    std::vector<std::span<const std::string_view>> parts;
    bool found = false;
    size_t partStart = 0;
    for (size_t i = 0; i < body.size(); ++i) {
        std::string_view line = body[i];
        if (line.size() < delimiter.size() || line[0] != '-' ||
            line.compare(0, delimiter.size(), delimiter) != 0)
            continue;
        std::string_view rest = line.substr(delimiter.size());
        bool closing = rest.starts_with("--");
        if (closing) rest.remove_prefix(2);
        if (rest.find_first_not_of(" \t") != std::string_view::npos) continue;
        if (found) parts.push_back(body.subspan(partStart, i - partStart));
        found = true;
        if (closing) return parts;
        partStart = i + 1;
    }
    if (!found) throw EZylMessageFormatError();
    parts.push_back(body.subspan(partStart));
    return parts;
}

}  // namespace parse

// Walks one message: created for it and dropped afterwards. Handlers of the decode events may
// delete the message or the attachment under way; everything is therefore looked up again by
// identity after they ran.
class TZylMessageBuilder {
public:
    // Thrown when a handler deleted the message being built.
    struct TMessageGone {};

    TZylMessageBuilder(TZylPOPMail& mail, int messageId) : mail_(mail), messageId_(messageId) {}

    void Build(std::span<const std::string_view> lines, bool headersOnly) {
        std::vector<TZylHeaderField> fields;
        size_t headerLines = ReadHeaderBlock(lines, fields);
        ReadFields(fields);
        if (headersOnly) return;
        ReadEntity(fields, lines.subspan(headerLines), 0);
        TZylMessage* message = Message();
        vcl::TStringList& target = *message->Message();
        target.BeginUpdate();
        for (std::string& line : text_)
            target.Add(line);
        target.EndUpdate();
    }

private:
    TZylMessage* Message() const {
        TZylMessage* message = mail_.FindMessage(messageId_);
        if (!message) throw TMessageGone{};
        return message;
    }

    void ReadFields(const std::vector<TZylHeaderField>& fields) {
        TZylMessage* message = Message();
        if (const TZylHeaderField* from = FindHeaderField(fields, "From")) {
            std::vector<TZylMailAddress> addresses = ParseAddressList(from->value);
            std::string whole = vcl::Trim(DecodeHeaderText(from->value));
            if (addresses.empty()) {
                message->SetFromName(whole);
            } else {
                message->SetFromMail(addresses[0].address);
                message->SetFromName(addresses[0].name.empty() ? whole : addresses[0].name);
            }
        }
        if (const TZylHeaderField* to = FindHeaderField(fields, "To")) {
            std::string sendTo;
            for (const TZylMailAddress& address : ParseAddressList(to->value))
                sendTo += (sendTo.empty() ? "" : ",") + address.address;
            message->SetSendTo(sendTo);
        }
        const TZylHeaderField* replyTo = FindHeaderField(fields, "Reply-To");
        message->SetReplyTo(replyTo ? replyTo->value : message->FromMail());
        subject_ = vcl::Trim(DecodeHeaderText(parse::FieldValue(fields, "Subject")));
        message->SetSubject(subject_);
        message->SetDate(parse::FieldValue(fields, "Date"));
        message->SetMessageId(parse::FieldValue(fields, "Message-ID"));
        message->SetInReplyTo(parse::FieldValue(fields, "In-Reply-To"));
    }

    void ReadEntity(const std::vector<TZylHeaderField>& fields, std::span<const std::string_view> body,
                    int depth) {
        TZylHeaderValue type = ParseHeaderValue(parse::FieldValue(fields, "Content-Type"));
        std::string encoding =
            vcl::LowerCase(vcl::Trim(parse::FieldValue(fields, "Content-Transfer-Encoding")));
        if (type.value.starts_with("multipart/")) {
            const std::string* boundary = type.Parameter("boundary");
            if (!boundary || boundary->empty() || depth >= parse::kMaxNesting) throw EZylMessageFormatError();
            for (std::span<const std::string_view> part : parse::SplitParts(body, *boundary)) {
                std::vector<TZylHeaderField> partFields;
                size_t headerLines = ReadHeaderBlock(part, partFields);
                ReadEntity(partFields, part.subspan(headerLines), depth + 1);
            }
            return;
        }
        std::string name;
        TZylHeaderValue disposition = ParseHeaderValue(parse::FieldValue(fields, "Content-Disposition"));
        if (const std::string* fileName = disposition.Parameter("filename"))
            name = *fileName;
        else if (const std::string* typeName = type.Parameter("name"))
            name = *typeName;
        if (IsText(depth, type.value, encoding, name))
            AddText(type, encoding, body, depth == 0);
        else
            AddAttachment(type.value, encoding, vcl::Trim(name), body);
    }

    // The whole message is text unless it says it is something else; a part is text when it has no
    // name, is no HTML and is not encoded the way attachments are (a nameless plain text in
    // base64 is still text).
    static bool IsText(int depth, const std::string& type, const std::string& encoding,
                       const std::string& name) {
        if (depth == 0) return type.empty() || type.starts_with("text/") || type.starts_with("message/");
        if (!vcl::Trim(name).empty() || type == "text/html") return false;
        if (!parse::IsAttachmentEncoding(encoding)) return true;
        return encoding == "base64" && (type.empty() || type == "text/plain");
    }

    void AddText(const TZylHeaderValue& type, const std::string& encoding,
                 std::span<const std::string_view> body, bool whole) {
        const std::string* charset = type.Parameter("charset");
        std::vector<std::string> lines;
        if (encoding == "quoted-printable" || encoding == "base64") {
            std::string bytes;
            if (encoding == "base64") {
                TZylBase64Decoder decoder;
                for (std::string_view line : body)
                    decoder.Decode(line, bytes);
                decoder.Finish(bytes);
            } else {
                bytes = DecodeQuotedPrintable(body);
            }
            if (charset && !parse::IsAscii(bytes)) CharsetToUtf8(std::string(bytes), *charset, bytes);
            lines = parse::TextLines(bytes);
        } else {
            lines.reserve(body.size());
            for (std::string_view line : body) {
                std::string& added = lines.emplace_back(line);
                if (charset && !parse::IsAscii(line)) CharsetToUtf8(line, *charset, added);
            }
        }
        if (whole) TakeUUAttachments(lines);
        for (std::string& line : lines)
            text_.push_back(std::move(line));
    }

    // Moves each uuencoded block ("begin" line to "end" line) out of the text into an attachment.
    void TakeUUAttachments(std::vector<std::string>& lines) {
        std::vector<std::string> kept;
        size_t i = 0;
        while (i < lines.size()) {
            std::string fileName;
            if (!IsUUBeginLine(lines[i], &fileName)) {
                kept.push_back(std::move(lines[i++]));
                continue;
            }
            std::vector<std::string_view> block;
            size_t end = i;
            // The block runs to its "end" line; the decoder itself stops at the line before it.
            while (end < lines.size() && (end == i || vcl::LowerCase(vcl::Trim(lines[end])) != "end")) {
                if (!lines[end].empty()) block.push_back(lines[end]);
                ++end;
            }
            AddEncodedAttachment(SafeAttachmentName(fileName), TZylAttachments::GetMimeType(fileName), block,
                                 true);
            i = end < lines.size() ? end + 1 : end;
        }
        lines = std::move(kept);
    }

    void AddAttachment(const std::string& type, const std::string& encoding, std::string name,
                       std::span<const std::string_view> body) {
        const bool encoded = parse::IsAttachmentEncoding(encoding);
        if (encoded)
            while (!body.empty() && vcl::Trim(body.front()).empty())
                body = body.subspan(1);
        if (name.empty() && parse::IsUUEncoding(encoding) && !body.empty())
            IsUUBeginLine(body.front(), &name);
        bool nameless = name.empty();
        if (nameless)
            for (char c : subject_)
                if (std::string_view("\\/:*?\"<>|").find(c) == std::string_view::npos) name += c;
        std::string fileName = SafeAttachmentName(name);
        if (nameless && type == "text/html") fileName += ".html";
        std::string mimeType = IsMimeTypeText(type) ? type : TZylAttachments::GetMimeType(fileName);
        if (encoded) {
            AddEncodedAttachment(fileName, mimeType, body, encoding != "base64");
            return;
        }
        TZylAttachment* attachment = NewAttachment(fileName, mimeType);
        if (encoding == "quoted-printable") {
            attachment->SetEncodedLines(parse::StringListOf(body));
            attachment->SetStream(parse::StreamOf(DecodeQuotedPrintable(body)));
        } else {
            // The line end before a delimiter belongs to the delimiter (RFC 2046).
            attachment->SetStream(parse::StreamOf(parse::JoinWithCrLf(body)));
        }
    }

    TZylAttachment* NewAttachment(const std::string& fileName, const std::string& mimeType) {
        auto* attachment = static_cast<TZylAttachment*>(Message()->Attachments()->Add());
        attachment->SetFileName(fileName);
        attachment->SetMimeType(mimeType);
        return attachment;
    }

    void AddEncodedAttachment(const std::string& fileName, const std::string& mimeType,
                              std::span<const std::string_view> lines, bool uuencoded) {
        TZylAttachment* attachment = NewAttachment(fileName, mimeType);
        attachment->SetEncodedLines(parse::StringListOf(lines));
        const int attachmentId = attachment->ID();
        bool whole = mail_.DecodeLines(fileName, lines, uuencoded, [&](std::string& bytes) {
            if (auto* current =
                    static_cast<TZylAttachment*>(Message()->Attachments()->FindItemID(attachmentId)))
                current->SetStream(parse::StreamOf(bytes));
        });
        if (!whole) throw EZylMessageFormatError();
    }

    TZylPOPMail& mail_;
    const int messageId_;
    std::string subject_;
    std::vector<std::string> text_;
};

// ---------------------------------------------------------------------------------------------
// TZylPOPMail: parsing and decoding

TZylMessage* TZylPOPMail::FindMessage(int id) const {
    return static_cast<TZylMessage*>(Messages()->FindItemID(id));
}

TZylMessage* TZylPOPMail::ParseMessage(std::string_view text) {
    std::vector<std::string_view> lines = SplitMailLines(text);
    const int id = Messages()->Add()->ID();
    try {
        TZylMessageBuilder(*this, id).Build(lines, false);
    } catch (const TZylMessageBuilder::TMessageGone&) {
        return nullptr;
    } catch (const TComponentFreed&) {
        throw;
    } catch (...) {
        if (TZylMessage* partial = FindMessage(id)) Messages()->Delete(partial->Index());
        throw;
    }
    Fire(AfterRetrieve, this);
    return FindMessage(id);
}

TZylMessage* TZylPOPMail::ParseHeaders(std::string_view text) {
    std::vector<std::string_view> lines = SplitMailLines(text);
    TZylMessage* message = Messages()->Add();
    TZylMessageBuilder(*this, message->ID()).Build(lines, true);
    return message;
}

bool TZylPOPMail::DecodeLines(const std::string& fileName, std::span<const std::string_view> lines,
                              bool uuencoded, const std::function<void(std::string& bytes)>& store) {
    const uint64_t count = lines.size();
    Fire(OnDecodeStart, this, fileName, static_cast<Integer>(std::min<uint64_t>(count, INT32_MAX)));
    lastDecodePercent_ = 0;
    uint64_t nextStep = ProgressStep();
    std::string bytes;
    bool whole = true;
    size_t first = 0;
    if (uuencoded) {
        // Decoding starts after the "begin" line, when there is one.
        for (size_t i = 0; i < lines.size() && i < 2; ++i)
            if (IsUUBeginLine(lines[i])) {
                first = i + 1;
                break;
            }
        bytes.reserve(lines.size() * 45);
    } else {
        bytes.reserve(lines.size() * 57 + 3);
    }
    TZylBase64Decoder base64;
    for (size_t i = first; i < lines.size(); ++i) {
        if (uuencoded) {
            if (IsUUEndLine(lines[i])) break;
            if (!DecodeUULine(lines[i], bytes)) {
                whole = false;
                break;
            }
        } else {
            base64.Decode(lines[i], bytes);
        }
        Word percent = ClampedPercent(i, count);
        lastDecodePercent_ = percent;
        if (percent >= nextStep) {
            Fire(OnDecodeProgress, this, percent);
            while (nextStep <= percent)
                nextStep += ProgressStep();
        }
        if ((i + 1) % parse::kLinesPerPump == 0) Pump();
    }
    if (!uuencoded) base64.Finish(bytes);
    Pump();
    store(bytes);
    if (lastDecodePercent_ < 100) Fire(OnDecodeProgress, this, Word{100});
    Fire(OnDecodeEnd, this);
    return whole;
}

void TZylPOPMail::DecodeAttachment(TZylAttachment* attachment, bool uuencoded) {
    if (!attachment) throw EZylMailError("No attachment to decode");
    std::vector<std::string> copies;
    const vcl::TStringList& list = *attachment->EncodedLines();
    copies.reserve(static_cast<size_t>(list.Count()));
    for (int i = 0; i < list.Count(); ++i)
        copies.push_back(list.Strings(i));
    std::vector<std::string_view> lines(copies.begin(), copies.end());
    // Handlers may delete the attachment or its message: it is found again by identity.
    TZylMessage* message = attachment->Message();
    const int messageId = message && message->Collection() == Messages() ? message->ID() : -1;
    const int attachmentId = attachment->ID();
    bool whole = DecodeLines(attachment->FileName(), lines, uuencoded, [&](std::string& bytes) {
        TZylAttachment* current = attachment;
        if (messageId >= 0) {
            TZylMessage* owner = FindMessage(messageId);
            current = owner ? static_cast<TZylAttachment*>(owner->Attachments()->FindItemID(attachmentId))
                            : nullptr;
        }
        if (current) current->SetStream(parse::StreamOf(bytes));
    });
    if (!whole) throw EZylMessageFormatError();
}

void TZylPOPMail::Base64Decode(TZylAttachment* attachment) {
    DecodeAttachment(attachment, false);
}

void TZylPOPMail::UUDecode(TZylAttachment* attachment) {
    DecodeAttachment(attachment, true);
}

}  // namespace postrel
