// Base64 encoding of attachments against the coreutils base64 command on the same file, and a
// 10 MB attachment sent end to end to the loopback SMTP peer without line pacing.
//
// Benchmarks link only the framework, so the mail package and the peer are compiled in here.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>

#include "postrel/zyltiemails.h"
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

struct RemoveFile {
    ~RemoveFile() {
        std::error_code ignored;
        std::filesystem::remove(
            std::filesystem::temp_directory_path() / ("zyl_mail_bench_" + std::to_string(getpid())), ignored);
    }
} removeFile;

}  // namespace
