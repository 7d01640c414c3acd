// mailtool: sends one message, with any number of attachments, through TZylSMTPMail.
//
//   mailtool --host HOST [--port PORT] --from ADDRESS [--name NAME] --to ADDRESSES
//            [--subject TEXT] [--reply-to ADDRESS] [--text FILE | --body TEXT]
//            [--attach FILE]... [--line-delay MS] [--quiet]
//
// Exit status: 0 sent, 1 the server refused or the connection failed, 2 bad arguments.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "postrel/zyltiemails.h"

namespace {

constexpr const char* kUsage =
    "usage: mailtool --host HOST [--port PORT] --from ADDRESS [--name NAME] --to ADDRESSES\n"
    "                [--subject TEXT] [--reply-to ADDRESS] [--text FILE | --body TEXT]\n"
    "                [--attach FILE]... [--line-delay MS] [--quiet]\n";

int Usage(const std::string& problem) {
    std::fprintf(stderr, "mailtool: %s\n%s", problem.c_str(), kUsage);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace postrel;
    std::string host, port = "25", from, name, to, subject, replyTo, body, textFile;
    std::vector<std::string> attachments;
    int lineDelay = 0;
    bool quiet = false;
    for (int i = 1; i < argc; ++i) {
        std::string option = argv[i];
        if (option == "--quiet") {
            quiet = true;
            continue;
        }
        if (option == "--help" || option == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (i + 1 >= argc) return Usage("missing value after " + option);
        std::string value = argv[++i];
        if (option == "--host")
            host = value;
        else if (option == "--port")
            port = value;
        else if (option == "--from")
            from = value;
        else if (option == "--name")
            name = value;
        else if (option == "--to")
            to = value;
        else if (option == "--subject")
            subject = value;
        else if (option == "--reply-to")
            replyTo = value;
        else if (option == "--body")
            body = value;
        else if (option == "--text")
            textFile = value;
        else if (option == "--attach")
            attachments.push_back(value);
        else if (option == "--line-delay") {
            if (!vcl::TryStrToInt(value, lineDelay) || lineDelay < 0)
                return Usage("bad --line-delay " + value);
        } else
            return Usage("unknown option " + option);
    }
    if (host.empty() || from.empty() || to.empty()) return Usage("--host, --from and --to are required");
    if (!textFile.empty()) {
        std::ifstream in(textFile, std::ios::binary);
        if (!in) return Usage("cannot read " + textFile);
        std::ostringstream content;
        content << in.rdbuf();
        body = content.str();
    }

    bool failed = false;
    SetExceptionHandler([&](vcl::TObject*, const std::exception& e) {
        std::fprintf(stderr, "mailtool: %s\n", e.what());
        failed = true;
    });
    vcl::TComponentPtr<TZylSMTPMail> mail(new TZylSMTPMail(nullptr));
    mail->SetHost(host);
    mail->SetPort(port);
    mail->SetLineDelay(lineDelay);
    mail->SetProgressStep(10);
    TZylMessage* message = mail->Messages()->Add();
    message->SetFromMail(from);
    message->SetFromName(name);
    message->SetSendTo(to);
    message->SetSubject(subject);
    message->SetReplyTo(replyTo);
    message->Message()->SetText(body);
    for (const std::string& file : attachments)
        message->Attachments()->Add(file);

    mail->OnError = [&](vcl::TObject*, vcl::Integer error, const std::string& text) {
        std::fprintf(stderr, "mailtool: error %d %s\n", error, text.c_str());
        failed = true;
    };
    if (!quiet) {
        mail->OnConnect = [&](vcl::TObject*) {
            std::printf("connected to %s:%s\n", host.c_str(), port.c_str());
        };
        mail->OnEncodeStart = [](vcl::TObject*, const std::string& file, vcl::Integer bytes) {
            std::printf("encoding %s (%d bytes)\n", file.c_str(), bytes);
        };
        mail->OnSendProgress = [](vcl::TObject*, vcl::Word percent) {
            std::printf("sent %u%%\n", static_cast<unsigned>(percent));
        };
        mail->OnSuccessSend = [](vcl::TObject*) { std::printf("accepted\n"); };
    }
    bool ran = mail->Execute();
    return ran && !failed ? 0 : 1;
}
