// Playing wave sounds through ALSA. The device is opened before the call returns, so that a missing
// device is reported to the caller; an asynchronous sound then plays on a thread of its own, which
// the next play (or a stop) ends before it starts.
#include <alsa/asoundlib.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <iterator>
#include <memory>
#include <mutex>
#include <thread>

#include "win32/errors.h"
#include "win32/files.h"
#include "win32/kernel.h"
#include "win32/messages.h"
#include "win32/sound.h"
#include "win32/user.h"

namespace win32 {

namespace playback {

// Larger files are not sounds anyone means to play from memory.
constexpr std::streamoff kLargestWave = std::streamoff{512} << 20;
constexpr unsigned kLatencyMicroseconds = 100000;

struct Device {
    snd_pcm_t* pcm = nullptr;
    snd_config_t* configuration = nullptr;

    Device() = default;
    Device(const Device&) = delete;
    Device& operator=(const Device&) = delete;
    ~Device() {
        if (pcm) snd_pcm_close(pcm);
        if (configuration) snd_config_delete(configuration);
    }
};

struct Player {
    std::mutex calls;  // one play or stop at a time
    std::thread worker;
    std::atomic<bool> stop{false};
    std::atomic<bool> playing{false};
    std::mutex recordMutex;
    std::vector<testing::PlayedSound> played;
    std::string pcmName = "default";
    std::string configuration;
};

Player& P() {
    static Player* player = new Player;
    return *player;
}

// ALSA reports a missing device on stderr as well; the caller hears it through the result.
void QuietAlsa(const char*, int, const char*, int, const char*, ...) {}

void StopWorker(Player& p) {
    if (!p.worker.joinable()) return;
    p.stop = true;
    p.worker.join();
    p.stop = false;
}

std::unique_ptr<Device> OpenDevice(const Player& p, const WaveSound& sound) {
    static const bool quiet = (snd_lib_error_set_handler(QuietAlsa), true);
    (void)quiet;
    auto device = std::make_unique<Device>();
    int status = 0;
    if (p.configuration.empty()) {
        status = snd_pcm_open(&device->pcm, p.pcmName.c_str(), SND_PCM_STREAM_PLAYBACK, 0);
    } else {
        snd_input_t* input = nullptr;
        status = snd_config_top(&device->configuration);
        if (status >= 0)
            status = snd_input_buffer_open(&input, p.configuration.data(),
                                           static_cast<ssize_t>(p.configuration.size()));
        if (status >= 0) {
            status = snd_config_load(device->configuration, input);
            snd_input_close(input);
        }
        if (status >= 0)
            status = snd_pcm_open_lconf(&device->pcm, p.pcmName.c_str(), SND_PCM_STREAM_PLAYBACK, 0,
                                        device->configuration);
    }
    if (status < 0) {
        device->pcm = nullptr;
        return nullptr;
    }
    const snd_pcm_format_t format = sound.bitsPerSample == 8 ? SND_PCM_FORMAT_U8 : SND_PCM_FORMAT_S16_LE;
    if (snd_pcm_set_params(device->pcm, format, SND_PCM_ACCESS_RW_INTERLEAVED, sound.channels,
                           sound.samplesPerSecond, 1, kLatencyMicroseconds) < 0)
        return nullptr;
    return device;
}

// Writes the frames in slices of a twentieth of a second so that a stop is heard promptly.
bool WriteFrames(Device& device, const WaveSound& sound, bool loop, const std::atomic<bool>& stop) {
    const size_t frameBytes = sound.BlockAlign();
    const size_t total = sound.Frames();
    const size_t slice = std::max<size_t>(1, sound.samplesPerSecond / 20);
    do {
        size_t done = 0;
        while (done < total) {
            if (stop) {
                snd_pcm_drop(device.pcm);
                return true;
            }
            const size_t count = std::min(slice, total - done);
            const snd_pcm_sframes_t written = snd_pcm_writei(
                device.pcm, sound.samples.data() + done * frameBytes, static_cast<snd_pcm_uframes_t>(count));
            if (written < 0) {
                if (snd_pcm_recover(device.pcm, static_cast<int>(written), 1) < 0) return false;
                continue;
            }
            done += static_cast<size_t>(written);
        }
    } while (loop && !stop && total > 0);
    if (!stop) snd_pcm_drain(device.pcm);
    return true;
}

bool ReadWaveFile(const char* name, std::string& bytes) {
    std::string native = NativePath(name);
    if (native.empty()) return false;
    std::ifstream file(native, std::ios::binary);
    if (!file) return false;
    file.seekg(0, std::ios::end);
    const std::streamoff size = file.tellg();
    if (size < 0 || size > kLargestWave) return false;
    file.seekg(0);
    bytes.assign(static_cast<size_t>(size), '\0');
    return static_cast<bool>(file.read(bytes.data(), size));
}

void Record(Player& p, const char* name, UINT flags, const WaveSound& sound, bool reachedDevice) {
    std::lock_guard lock(p.recordMutex);
    p.played.push_back({name, flags, sound.channels, sound.samplesPerSecond, sound.bitsPerSample,
                        sound.Frames(), reachedDevice});
}

BOOL Fail(DWORD error, UINT flags) {
    if (!(flags & SND_NODEFAULT)) MessageBeep(MB_OK);
    SetLastError(error);
    return FALSE;
}

void ResetPlayer() {
    auto& p = P();
    std::lock_guard calls(p.calls);
    StopWorker(p);
    std::lock_guard lock(p.recordMutex);
    p.played.clear();
    p.pcmName = "default";
    p.configuration.clear();
}

const bool playerReset = (testing::AddResetHook(ResetPlayer), true);

}  // namespace playback

BOOL sndPlaySound(const char* sound, UINT flags) {
    using namespace playback;
    auto& p = P();
    std::lock_guard calls(p.calls);
    if (!sound) {
        StopWorker(p);
        return TRUE;
    }
    if ((flags & SND_NOSTOP) && p.playing) {
        SetLastError(ERROR_BUSY);
        return FALSE;
    }
    std::string bytes;
    if (!ReadWaveFile(sound, bytes)) return Fail(ERROR_FILE_NOT_FOUND, flags);
    auto wave = std::make_shared<WaveSound>();
    std::string why;
    DWORD error = 0;
    if (!ParseWave(bytes, *wave, why, error)) return Fail(error, flags);

    StopWorker(p);
    std::unique_ptr<Device> device = OpenDevice(p, *wave);
    Record(p, sound, flags, *wave, device != nullptr);
    if (!device) {
        SetLastError(MMSYSERR_NODRIVER);
        return FALSE;
    }
    const bool loop = (flags & SND_LOOP) && (flags & SND_ASYNC);
    if (!(flags & SND_ASYNC)) {
        if (WriteFrames(*device, *wave, false, p.stop)) return TRUE;
        SetLastError(ERROR_WRITE_FAULT);
        return FALSE;
    }
    p.playing = true;
    p.worker = std::thread([&p, wave, loop, owned = std::shared_ptr<Device>(std::move(device))] {
        WriteFrames(*owned, *wave, loop, p.stop);
        p.playing = false;
    });
    return TRUE;
}

BOOL PlaySound(const char* sound, HMODULE module, DWORD flags) {
    if (module || (flags & (SND_ALIAS | SND_MEMORY))) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return FALSE;
    }
    if (!sound || (flags & SND_PURGE)) return sndPlaySound(nullptr, 0);
    return sndPlaySound(sound, flags & ~SND_FILENAME);
}

namespace testing {

std::vector<PlayedSound> PlayedSounds() {
    auto& p = playback::P();
    std::lock_guard lock(p.recordMutex);
    return p.played;
}

void SetSoundDevice(const std::string& pcmName, const std::string& configuration) {
    auto& p = playback::P();
    std::lock_guard calls(p.calls);
    p.pcmName = pcmName.empty() ? "default" : pcmName;
    p.configuration = configuration;
}

void WaitForSound() {
    auto& p = playback::P();
    std::lock_guard calls(p.calls);
    if (p.worker.joinable()) p.worker.join();
}

}  // namespace testing

}  // namespace win32
