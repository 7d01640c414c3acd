// Arbitrary message text for the POP3 component's parser and decoders: a message is either read
// whole or refused as "Message Format Error" with nothing left behind, and whatever it names its
// attachments, the names stay inside any folder.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "postrel/zylmimedecode.h"
#include "postrel/zyltiemails.h"
#include "win32/registry.h"

namespace fuzz_mail_message {

postrel::TZylPOPMail& Component() {
    static postrel::TZylPOPMail* mail = [] {
        // Attachments without a type of their own are looked up in a registry of the run's own.
        char folder[] = "/tmp/zyl-fuzz-mail-XXXXXX";
        if (!mkdtemp(folder)) std::abort();
        win32::testing::SetMimeTypesPath("");
        win32::testing::SetRegistryPath(std::string(folder) + "/registry.sqlite");
        auto* component = new postrel::TZylPOPMail(nullptr);
        component->SetProgressStep(7);
        return component;
    }();
    return *mail;
}

void Check(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "broken: %s\n", what);
    std::abort();
}

void CheckMessage(const postrel::TZylMessage& message) {
    for (int i = 0; i < message.Message()->Count(); ++i)
        Check(message.Message()->Strings(i).find('\n') == std::string::npos, "a text line holds a line end");
    for (int i = 0; i < message.Attachments()->Count(); ++i) {
        const postrel::TZylAttachment& attachment = *message.Attachments()->GeTZylAttachment(i);
        const std::string& name = attachment.FileName();
        Check(!name.empty() && name.size() <= 260, "an attachment name is empty or too long");
        Check(name.find_first_of("/\\") == std::string::npos, "an attachment name holds a folder");
        Check(name[0] != '.', "an attachment name begins with a dot");
        Check(attachment.Stream() != nullptr, "an attachment has no content");
        Check(!attachment.MimeType().empty(), "an attachment has no type");
    }
}

}  // namespace fuzz_mail_message

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace fuzz_mail_message;
    postrel::TZylPOPMail& mail = Component();
    std::string_view text(reinterpret_cast<const char*>(data), size);
    try {
        postrel::TZylMessage* message = mail.ParseMessage(text);
        Check(message != nullptr, "no message and no error");
        Check(mail.Messages()->Count() == 1, "not exactly one message");
        CheckMessage(*message);
    } catch (const postrel::EZylMessageFormatError&) {
        Check(mail.Messages()->Count() == 0, "a refused message was left behind");
    }
    mail.Messages()->Clear();
    return 0;
}
