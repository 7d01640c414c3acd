// mailtool: sends one message, with any number of attachments, through TZylSMTPMail, or fetches a
// mailbox through TZylPOPMail: lists it, or retrieves every message and saves the attachments.
//
//   mailtool [send] --host HOST [--port PORT] --from ADDRESS [--name NAME] --to ADDRESSES
//                   [--subject TEXT] [--reply-to ADDRESS] [--text FILE | --body TEXT]
//                   [--attach FILE]... [--line-delay MS] [--quiet]
//                   [--user NAME [--password SECRET] [--auth auto|plain|login|cram-md5]]
//   mailtool fetch --host HOST [--port PORT] --user NAME [--password SECRET] [--list]
//                  [--save FOLDER] [--delete] [--max-size BYTES] [--quiet]
//                  [--auth user|apop|plain]
//   both:          [--tls starttls|implicit] [--ca FILE] [--accept-self-signed]
//   mailtool mapi  --to NAMES [--cc NAMES] [--bcc NAMES] [--subject TEXT] [--text FILE | --body TEXT]
//                  [--attach FILE]... [--profile NAME] [--receipt] [--dialog] [--quiet]
//                  through the Simple MAPI provider and its profile (names or addresses, by commas)
//
// The password may come from the environment (MAILTOOL_PASSWORD) instead of the command line.
// Exit status: 0 done, 1 the server refused, a message was refused or the connection failed,
// 2 bad arguments.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "postrel/zylmapi.h"
#include "postrel/zylmimedecode.h"
#include "postrel/zyltiemails.h"

namespace {

constexpr const char* kUsage =
    "usage: mailtool [send] --host HOST [--port PORT] --from ADDRESS [--name NAME] --to ADDRESSES\n"
    "                       [--subject TEXT] [--reply-to ADDRESS] [--text FILE | --body TEXT]\n"
    "                       [--attach FILE]... [--line-delay MS] [--quiet]\n"
    "                       [--user NAME [--password SECRET] [--auth auto|plain|login|cram-md5]]\n"
    "       mailtool fetch --host HOST [--port PORT] --user NAME [--password SECRET] [--list]\n"
    "                      [--save FOLDER] [--delete] [--max-size BYTES] [--quiet]\n"
    "                      [--auth user|apop|plain]\n"
    "       both:          [--tls starttls|implicit] [--ca FILE] [--accept-self-signed]\n"
    "       mailtool mapi --to NAMES [--cc NAMES] [--bcc NAMES] [--subject TEXT] [--text FILE | --body "
    "TEXT]\n"
    "                     [--attach FILE]... [--profile NAME] [--receipt] [--dialog] [--quiet]\n"
    "       (the password may also come from MAILTOOL_PASSWORD)\n";

int Usage(const std::string& problem) {
    std::fprintf(stderr, "mailtool: %s\n%s", problem.c_str(), kUsage);
    return 2;
}

// Options with a value, and flags; false with a message for anything unknown.
struct Options {
    std::map<std::string, std::vector<std::string>> values;
    std::vector<std::string> flags;

    bool Has(const std::string& flag) const {
        for (const auto& f : flags)
            if (f == flag) return true;
        return false;
    }
    std::string Value(const std::string& option, const std::string& fallback = {}) const {
        auto found = values.find(option);
        return found == values.end() ? fallback : found->second.back();
    }
};

bool ReadOptions(int argc, char** argv, int first, const std::vector<std::string>& valued,
                 const std::vector<std::string>& flags, Options& options, std::string& problem) {
    for (int i = first; i < argc; ++i) {
        std::string option = argv[i];
        if (std::find(flags.begin(), flags.end(), option) != flags.end()) {
            options.flags.push_back(option);
            continue;
        }
        if (std::find(valued.begin(), valued.end(), option) == valued.end()) {
            problem = "unknown option " + option;
            return false;
        }
        if (i + 1 >= argc) {
            problem = "missing value after " + option;
            return false;
        }
        options.values[option].push_back(argv[++i]);
    }
    return true;
}

// Reports what went wrong and remembers it for the exit status.
struct Failures {
    bool any = false;
    void Install(postrel::TZylOnError& onError) {
        onError = [this](vcl::TObject*, vcl::Integer error, const std::string& text) {
            std::fprintf(stderr, "mailtool: error %d %s\n", error, text.c_str());
            any = true;
        };
    }
};

// The --tls, --ca and --accept-self-signed options; false with the problem for a bad value.
bool ApplySecurity(const Options& options, postrel::TZylMailHost& mail, std::string& problem) {
    const std::string tls = options.Value("--tls");
    if (tls == "starttls")
        mail.SetSecurity(postrel::msStartTLS);
    else if (tls == "implicit")
        mail.SetSecurity(postrel::msImplicitTLS);
    else if (!tls.empty())
        problem = "bad --tls " + tls;
    mail.SetTrustedCertificates(options.Value("--ca"));
    mail.SetAcceptSelfSigned(options.Has("--accept-self-signed"));
    return problem.empty();
}

std::string Password(const Options& options) {
    const char* fromEnvironment = std::getenv("MAILTOOL_PASSWORD");
    return options.Value("--password", fromEnvironment ? fromEnvironment : "");
}

// The text of --body, or of the file --text names; false with the problem when it cannot be read.
bool ReadBody(const Options& options, std::string& body, std::string& problem) {
    body = options.Value("--body");
    const std::string textFile = options.Value("--text");
    if (textFile.empty()) return true;
    std::ifstream in(textFile, std::ios::binary);
    if (!in) {
        problem = "cannot read " + textFile;
        return false;
    }
    std::ostringstream content;
    content << in.rdbuf();
    body = content.str();
    return true;
}

int Send(const Options& options) {
    using namespace postrel;
    std::string host = options.Value("--host"), port = options.Value("--port", "25");
    std::string from = options.Value("--from"), to = options.Value("--to");
    int lineDelay = 0;
    if (!vcl::TryStrToInt(options.Value("--line-delay", "0"), lineDelay) || lineDelay < 0)
        return Usage("bad --line-delay " + options.Value("--line-delay"));
    if (host.empty() || from.empty() || to.empty()) return Usage("--host, --from and --to are required");
    std::string body, problem;
    if (!ReadBody(options, body, problem)) return Usage(problem);
    const bool quiet = options.Has("--quiet");

    Failures failures;
    SetExceptionHandler([&](vcl::TObject*, const std::exception& e) {
        std::fprintf(stderr, "mailtool: %s\n", e.what());
        failures.any = true;
    });
    vcl::TComponentPtr<TZylSMTPMail> mail(new TZylSMTPMail(nullptr));
    mail->SetHost(host);
    mail->SetPort(port);
    mail->SetLineDelay(lineDelay);
    mail->SetProgressStep(10);
    if (!ApplySecurity(options, *mail, problem)) return Usage(problem);
    if (!options.Value("--user").empty()) {
        const std::map<std::string, TZylSMTPAuthMethod> methods = {
            {"auto", samAutomatic}, {"plain", samPlain}, {"login", samLogin}, {"cram-md5", samCramMD5}};
        auto method = methods.find(options.Value("--auth", "auto"));
        if (method == methods.end()) return Usage("bad --auth " + options.Value("--auth"));
        mail->SetAuthMethod(method->second);
        mail->SetUsername(options.Value("--user"));
        mail->SetPassword(Password(options));
    }
    TZylMessage* message = mail->Messages()->Add();
    message->SetFromMail(from);
    message->SetFromName(options.Value("--name"));
    message->SetSendTo(to);
    message->SetSubject(options.Value("--subject"));
    message->SetReplyTo(options.Value("--reply-to"));
    message->Message()->SetText(body);
    auto attachments = options.values.find("--attach");
    if (attachments != options.values.end())
        for (const std::string& file : attachments->second)
            message->Attachments()->Add(file);

    failures.Install(mail->OnError);
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
    return ran && !failures.any ? 0 : 1;
}

// A name in the folder that no file has yet: "name", "name (2)", "name (3)"... before the extension.
std::filesystem::path FreePath(const std::filesystem::path& folder, const std::string& fileName) {
    std::filesystem::path path = folder / fileName;
    std::string stem = path.stem().string(), extension = path.extension().string();
    for (int copy = 2; std::filesystem::exists(path); ++copy)
        path = folder / (stem + " (" + std::to_string(copy) + ")" + extension);
    return path;
}

void PrintMessage(int number, const postrel::TZylMessage& message) {
    std::string from = message.FromName().empty() || message.FromName() == message.FromMail()
                           ? message.FromMail()
                           : message.FromName() + " <" + message.FromMail() + ">";
    std::string date = message.Date().empty() ? "" : "  (" + message.Date() + ")";
    std::printf("%3d  %s: %s%s\n", number, from.c_str(), message.Subject().c_str(), date.c_str());
}

// The header lines of every message (TOP n 0), without retrieving or changing anything.
bool List(postrel::TZylPOPMail& mail) {
    using namespace postrel;
    mail.Connect();
    if (!mail.Login()) return false;
    vcl::Integer count = mail.Init();
    std::printf("%d message%s\n", count, count == 1 ? "" : "s");
    for (vcl::Integer index = 1; index <= count && mail.Connected(); ++index) {
        std::string headers;
        if (!mail.RetrieveHeaders(index, headers)) continue;
        PrintMessage(index, *mail.ParseHeaders(headers));
    }
    mail.Disconnect();
    return true;
}

int Fetch(const Options& options) {
    using namespace postrel;
    std::string host = options.Value("--host"), port = options.Value("--port", "110");
    std::string user = options.Value("--user");
    std::string password = Password(options);
    if (host.empty() || user.empty()) return Usage("--host and --user are required");
    int maxSize = TZylPOPMail::kDefaultMaxMessageSize;
    if (!vcl::TryStrToInt(options.Value("--max-size", std::to_string(maxSize)), maxSize) || maxSize < 1)
        return Usage("bad --max-size " + options.Value("--max-size"));
    const std::string folder = options.Value("--save");
    const bool quiet = options.Has("--quiet");

    Failures failures;
    SetExceptionHandler([&](vcl::TObject*, const std::exception& e) {
        std::fprintf(stderr, "mailtool: %s\n", e.what());
        failures.any = true;
    });
    SetMessageHandler(
        [](vcl::TObject*, const std::string& text) { std::fprintf(stderr, "mailtool: %s\n", text.c_str()); });
    vcl::TComponentPtr<TZylPOPMail> mail(new TZylPOPMail(nullptr));
    mail->SetHost(host);
    mail->SetPort(port);
    mail->SetUsername(user);
    mail->SetPassword(password);
    mail->SetMaxMessageSize(maxSize);
    mail->SetDeleteOfServer(options.Has("--delete"));
    mail->SetProgressStep(25);
    std::string problem;
    if (!ApplySecurity(options, *mail, problem)) return Usage(problem);
    const std::map<std::string, TZylPOPAuthMethod> methods = {
        {"user", pamUserPass}, {"apop", pamAPOP}, {"plain", pamSaslPlain}};
    auto method = methods.find(options.Value("--auth", "user"));
    if (method == methods.end()) return Usage("bad --auth " + options.Value("--auth"));
    mail->SetAuthMethod(method->second);
    failures.Install(mail->OnError);

    if (options.Has("--list")) {
        try {
            List(*mail);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "mailtool: %s\n", e.what());
            return 1;
        }
        return failures.any ? 1 : 0;
    }

    if (!quiet) {
        mail->OnConnect = [&](vcl::TObject*) {
            std::printf("connected to %s:%s\n", host.c_str(), port.c_str());
        };
        mail->BeforeRetrieve = [](vcl::TObject*, vcl::Word index) {
            std::printf("retrieving message %u\n", index);
        };
        mail->OnRetrieveProgress = [](vcl::TObject*, vcl::Word percent) {
            std::printf("  received %u%%\n", static_cast<unsigned>(percent));
        };
        mail->OnDelete = [](vcl::TObject*, vcl::Word index) {
            std::printf("deleted message %u on the server\n", index);
        };
    }
    bool ran = mail->Execute();
    if (!folder.empty()) std::filesystem::create_directories(folder);
    for (int i = 0; i < mail->Messages()->Count(); ++i) {
        TZylMessage* message = mail->Messages()->GetZylMessage(i);
        PrintMessage(i + 1, *message);
        for (int k = 0; k < message->Attachments()->Count(); ++k) {
            TZylAttachment* attachment = message->Attachments()->GeTZylAttachment(k);
            vcl::Int64 size = attachment->Stream() ? attachment->Stream()->Size() : 0;
            if (folder.empty()) {
                std::printf("     attachment %s (%lld bytes)\n", attachment->FileName().c_str(),
                            static_cast<long long>(size));
                continue;
            }
            std::filesystem::path path = FreePath(folder, SafeAttachmentName(attachment->FileName()));
            attachment->SaveToFile(path.string());
            std::printf("     saved %s (%lld bytes)\n", path.c_str(), static_cast<long long>(size));
        }
    }
    return ran && !failures.any ? 0 : 1;
}

}  // namespace

int Mapi(const Options& options) {
    using namespace postrel;
    if (options.Value("--to").empty() && options.Value("--cc").empty() && options.Value("--bcc").empty() &&
        !options.Has("--dialog"))
        return Usage("--to, --cc or --bcc is required (or --dialog)");
    std::string body, problem;
    if (!ReadBody(options, body, problem)) return Usage(problem);
    const bool quiet = options.Has("--quiet");
    bool failed = false;
    SetExceptionHandler([&](vcl::TObject*, const std::exception& e) {
        std::fprintf(stderr, "mailtool: %s\n", e.what());
        failed = true;
    });
    vcl::TComponentPtr<TZylMapiMail> mail(new TZylMapiMail(nullptr));
    if (!options.Value("--profile").empty()) {
        mail->SetDefaultProfile(false);
        mail->SetProfile(options.Value("--profile"));
    }
    TZylMapiMessage* message = mail->Messages()->Add();
    message->SetSubject(options.Value("--subject"));
    message->Message()->SetText(body);
    message->SetReceipt(options.Has("--receipt"));
    message->SetDialog(options.Has("--dialog"));
    for (auto [option, list] :
         {std::pair{"--to", message->RecipientsTo()}, std::pair{"--cc", message->RecipientsCC()},
          std::pair{"--bcc", message->RecipientsBC()}}) {
        std::string names = options.Value(option);
        size_t start = 0;
        while (start < names.size()) {
            const size_t comma = std::min(names.find(',', start), names.size());
            const std::string name = vcl::Trim(names.substr(start, comma - start));
            if (!name.empty()) list->Add(name);
            start = comma + 1;
        }
    }
    auto attachments = options.values.find("--attach");
    if (attachments != options.values.end())
        for (const std::string& file : attachments->second)
            message->Attachments()->Add(std::filesystem::absolute(file).string());
    mail->OnMapiNotAvailable = [&](vcl::TObject*) {
        std::fprintf(stderr,
                     "mailtool: MAPI is not available (no messaging system configured, or no provider)\n");
        failed = true;
    };
    mail->OnLogonFailure = [&](vcl::TObject*, vcl::Integer code) {
        std::fprintf(stderr, "mailtool: logon refused (MAPI error %d)\n", code);
    };
    mail->OnSendError = [&](vcl::TObject*, vcl::Integer code, TZylMapiMessage*) {
        std::fprintf(stderr, "mailtool: message refused (MAPI error %d)\n", code);
        failed = true;
    };
    mail->AfterSendMail = [&](vcl::TObject*, TZylMapiMessage*) {
        if (!quiet) std::printf("accepted\n");
    };
    const bool loggedOn = mail->Execute();
    return loggedOn && !failed ? 0 : 1;
}

int main(int argc, char** argv) {
    std::string command = argc > 1 ? argv[1] : "";
    if (command == "--help" || command == "-h") {
        std::fputs(kUsage, stdout);
        return 0;
    }
    Options options;
    std::string problem;
    if (command == "fetch") {
        if (!ReadOptions(argc, argv, 2,
                         {"--host", "--port", "--user", "--password", "--save", "--max-size", "--auth",
                          "--tls", "--ca"},
                         {"--list", "--delete", "--quiet", "--accept-self-signed"}, options, problem))
            return Usage(problem);
        return Fetch(options);
    }
    if (command == "mapi") {
        if (!ReadOptions(argc, argv, 2,
                         {"--to", "--cc", "--bcc", "--subject", "--body", "--text", "--attach", "--profile"},
                         {"--receipt", "--dialog", "--quiet"}, options, problem))
            return Usage(problem);
        return Mapi(options);
    }
    int first = command == "send" ? 2 : 1;
    if (!ReadOptions(
            argc, argv, first,
            {"--host", "--port", "--from", "--name", "--to", "--subject", "--reply-to", "--body", "--text",
             "--attach", "--line-delay", "--user", "--password", "--auth", "--tls", "--ca"},
            {"--quiet", "--accept-self-signed"}, options, problem))
        return Usage(problem);
    return Send(options);
}
