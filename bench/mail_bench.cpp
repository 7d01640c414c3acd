// Mail in both directions, each against a reference in the same run:
// - base64 encoding of attachments against the coreutils base64 command on the same file, and a
//   10 MB attachment sent end to end to the loopback SMTP peer without line pacing;
// - parsing and decoding of a 20 MB message with three base64 attachments against Python's email
//   parser on the same file (its own timing of parse and decode, without its start-up), and the
//   same message retrieved end to end from the loopback POP3 peer.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>

#include "postrel/zyltiemails.h"
#include "support/pop3_peer.h"
#include "support/smtp_peer.h"

extern char** environ;

namespace {

constexpr size_t kAttachmentSize = 10 * 1024 * 1024;

const std::string& Payload() {
    static const std::string payload = [] {
        std::mt19937_64 random(42);
        std::string bytes(kAttachmentSize, '\0');
        for (size_t i = 0; i + 8 <= bytes.size(); i += 8) {
            uint64_t word = random();
            std::memcpy(bytes.data() + i, &word, 8);
        }
        return bytes;
    }();
    return payload;
}

const std::string& PayloadFile() {
    static const std::string path = [] {
        std::string file =
            (std::filesystem::temp_directory_path() / ("zyl_mail_bench_" + std::to_string(getpid())))
                .string();
        std::ofstream(file, std::ios::binary) << Payload();
        return file;
    }();
    return path;
}

void Base64Table(benchmark::State& state) {
    const auto* data = reinterpret_cast<const uint8_t*>(Payload().data());
    std::string text;
    for (auto _ : state) {
        text.clear();
        postrel::Base64EncodeText(data, kAttachmentSize, text, "\n");
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kAttachmentSize));
}
BENCHMARK(Base64Table)->Unit(benchmark::kMillisecond)->UseRealTime();

// The coreutils command on the same file, output thrown away; its start-up is part of its time.
void Base64Coreutils(benchmark::State& state) {
    const std::string& file = PayloadFile();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    std::string wrap = "-w76";
    std::vector<char*> argv = {const_cast<char*>("base64"), wrap.data(), const_cast<char*>(file.c_str()),
                               nullptr};
    for (auto _ : state) {
        pid_t pid;
        if (posix_spawnp(&pid, "base64", &actions, nullptr, argv.data(), environ) != 0) {
            state.SkipWithError("base64 is not installed");
            break;
        }
        int status = 0;
        waitpid(pid, &status, 0);
    }
    posix_spawn_file_actions_destroy(&actions);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kAttachmentSize));
}
BENCHMARK(Base64Coreutils)->Unit(benchmark::kMillisecond)->UseRealTime();

// The component's own encoding of the file: lines, progress events and message pumping.
void Base64Attachment(benchmark::State& state) {
    vcl::TComponentPtr<postrel::TZylSMTPMail> mail(new postrel::TZylSMTPMail(nullptr));
    postrel::TZylAttachment* attachment = mail->Messages()->Add()->Attachments()->Add(PayloadFile());
    for (auto _ : state)
        mail->Base64Encode(attachment);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kAttachmentSize));
}
BENCHMARK(Base64Attachment)->Unit(benchmark::kMillisecond)->UseRealTime();

// Composition, encoding and the whole dialogue with a 10 MB attachment, LineDelay 0.
void SendToLoopbackPeer(benchmark::State& state) {
    zyltest::SmtpPeer peer;
    peer.SetKeepData(false);
    vcl::TComponentPtr<postrel::TZylSMTPMail> mail(new postrel::TZylSMTPMail(nullptr));
    mail->SetHost("127.0.0.1");
    mail->SetPort(peer.PortText());
    mail->SetLineDelay(0);
    postrel::TZylMessage* message = mail->Messages()->Add();
    message->SetFromMail("bench@example.com");
    message->SetSendTo("sink@example.org");
    message->SetSubject("bench");
    message->Message()->Add("ten megabytes attached");
    message->Attachments()->Add(PayloadFile());
    for (auto _ : state)
        if (!mail->Execute()) state.SkipWithError("sending failed");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kAttachmentSize));
}
BENCHMARK(SendToLoopbackPeer)->Unit(benchmark::kMillisecond)->UseRealTime();

// ---------------------------------------------------------------------------------------------
// Receiving

constexpr size_t kAttachmentCount = 3;
constexpr size_t kMessageSize = 20 * 1000 * 1000;

std::string BigMessagePath() {
    return (std::filesystem::temp_directory_path() / ("zyl_mail_bench_" + std::to_string(getpid()) + ".eml"))
        .string();
}

// A message of about 20 MB: a text part and three attachments of random bytes in base64, as the
// component's own composer writes them (76 characters a line, CR LF).
const std::string& BigMessage() {
    static const std::string message = [] {
        std::string text =
            "From: \"Bench\" <bench@example.com>\r\nTo: sink@example.org\r\nSubject: three attachments\r\n"
            "MIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary=\"---ZYLMAILbench\"\r\n\r\n"
            "-----ZYLMAILbench\r\nContent-Type: text/plain; charset=ISO-8859-1\r\n\r\nThree attachments.\r\n";
        const size_t bytesEach = kMessageSize / kAttachmentCount / 78 * 57;
        for (size_t i = 0; i < kAttachmentCount; ++i) {
            text += "-----ZYLMAILbench\r\nContent-Type: application/octet-stream; name=\"part" +
                    std::to_string(i) + ".bin\"\r\nContent-Transfer-Encoding: base64\r\n\r\n";
            postrel::Base64EncodeText(reinterpret_cast<const uint8_t*>(Payload().data()) + i, bytesEach,
                                      text);
        }
        text += "-----ZYLMAILbench--\r\n";
        std::ofstream(BigMessagePath(), std::ios::binary) << text;
        return text;
    }();
    return message;
}

void SetMegabytes(benchmark::State& state, size_t bytes) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}

// The component's parser: header fields, the parts, and the attachments decoded into streams with
// their events and message pumping.
void ParseAndDecodeMessage(benchmark::State& state) {
    const std::string& message = BigMessage();
    vcl::TComponentPtr<postrel::TZylPOPMail> mail(new postrel::TZylPOPMail(nullptr));
    for (auto _ : state) {
        postrel::TZylMessage* parsed = mail->ParseMessage(message);
        if (!parsed || parsed->Attachments()->Count() != static_cast<int>(kAttachmentCount))
            state.SkipWithError("the message was not read whole");
        mail->Messages()->Clear();
    }
    SetMegabytes(state, message.size());
}
BENCHMARK(ParseAndDecodeMessage)->Unit(benchmark::kMillisecond)->UseRealTime();

// Python's email package on the same file, as it times itself.
void ParseAndDecodeMessagePython(benchmark::State& state) {
    const std::string& message = BigMessage();
    const std::string script = std::string(ZYL_BENCH_SOURCE_DIR) + "/mail_parse.py";
    const std::string command = "python3 '" + script + "' '" + BigMessagePath() + "'";
    for (auto _ : state) {
        FILE* pipe = popen(command.c_str(), "r");
        double seconds = 0;
        long long decoded = 0;
        bool read = pipe && std::fscanf(pipe, "%lf %lld", &seconds, &decoded) == 2;
        if (pipe) pclose(pipe);
        if (!read || seconds <= 0) {
            state.SkipWithError("python3 did not parse the message");
            break;
        }
        state.SetIterationTime(seconds);
    }
    SetMegabytes(state, message.size());
}
BENCHMARK(ParseAndDecodeMessagePython)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

// The whole retrieval from the loopback POP3 peer: RETR, dot stuffing undone, parsing, decoding.
void RetrieveFromLoopbackPeer(benchmark::State& state) {
    zyltest::Pop3Peer peer;
    peer.AddMessage(BigMessage());
    vcl::TComponentPtr<postrel::TZylPOPMail> mail(new postrel::TZylPOPMail(nullptr));
    mail->SetHost("127.0.0.1");
    mail->SetPort(peer.PortText());
    for (auto _ : state) {
        if (!mail->Execute() || mail->Messages()->Count() != 1) state.SkipWithError("retrieval failed");
        mail->Messages()->Clear();
    }
    SetMegabytes(state, BigMessage().size());
}
BENCHMARK(RetrieveFromLoopbackPeer)->Unit(benchmark::kMillisecond)->UseRealTime();

struct RemoveFiles {
    ~RemoveFiles() {
        std::error_code ignored;
        std::filesystem::remove(
            std::filesystem::temp_directory_path() / ("zyl_mail_bench_" + std::to_string(getpid())), ignored);
        std::filesystem::remove(BigMessagePath(), ignored);
    }
} removeFiles;

}  // namespace
