// Wave files: the parser against generated files of each format and broken ones, and real
// playback through ALSA's null device and its file plugin, whose captured samples must be the
// file's own.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/tempdir.h"
#include "win32/errors.h"
#include "win32/kernel.h"
#include "win32/sound.h"
#include "win32/user.h"

namespace {

using namespace win32;

void Put16(std::string& out, uint32_t value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>((value >> 8) & 0xFF);
}
void Put32(std::string& out, uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

struct WaveLayout {
    WORD channels = 1;
    WORD bits = 16;
    DWORD rate = 8000;
    WORD tag = 1;
};

std::string FormatChunk(const WaveLayout& layout) {
    std::string chunk = "fmt ";
    Put32(chunk, 16);
    const WORD blockAlign = static_cast<WORD>(layout.channels * layout.bits / 8);
    Put16(chunk, layout.tag);
    Put16(chunk, layout.channels);
    Put32(chunk, layout.rate);
    Put32(chunk, layout.rate * blockAlign);
    Put16(chunk, blockAlign);
    Put16(chunk, layout.bits);
    return chunk;
}

std::string DataChunk(const std::string& samples) {
    std::string chunk = "data";
    Put32(chunk, static_cast<uint32_t>(samples.size()));
    return chunk + samples;
}

std::string Riff(const std::string& chunks) {
    std::string file = "RIFF";
    Put32(file, static_cast<uint32_t>(4 + chunks.size()));
    return file + "WAVE" + chunks;
}

// A short ramp so that every byte differs from its neighbours.
std::string Samples(size_t bytes) {
    std::string samples;
    for (size_t i = 0; i < bytes; ++i)
        samples += static_cast<char>((i * 37 + 11) & 0xFF);
    return samples;
}

TEST(WaveParser, ReadsEachPcmFormat) {
    for (WORD channels : {1, 2}) {
        for (WORD bits : {8, 16}) {
            const std::string samples = Samples(channels * bits / 8 * 100);
            // An unknown chunk of odd size (with its pad byte) stands between format and samples.
            const std::string file = Riff(FormatChunk({channels, bits, 11025}) + "LIST" +
                                          std::string("\x03\x00\x00\x00"
                                                      "abc\x00",
                                                      8) +
                                          DataChunk(samples));
            WaveSound sound;
            std::string error;
            DWORD code = 0;
            ASSERT_TRUE(ParseWave(file, sound, error, code)) << error;
            EXPECT_EQ(sound.channels, channels);
            EXPECT_EQ(sound.bitsPerSample, bits);
            EXPECT_EQ(sound.samplesPerSecond, 11025u);
            EXPECT_EQ(sound.Frames(), 100u);
            EXPECT_EQ(std::string(sound.samples.begin(), sound.samples.end()), samples);
        }
    }
}

TEST(WaveParser, RefusesWhatItCannotPlayAndWhatLies) {
    const std::string good = Riff(FormatChunk({}) + DataChunk(Samples(16)));
    std::string lyingData = good;
    lyingData[40] = '\x7F';  // the data chunk claims more than is there
    std::string lyingRiff = good;
    lyingRiff[7] = '\x10';
    std::string wrongAlign = good;
    wrongAlign[32] = 4;  // block align of a 16-bit mono sound is 2
    const struct {
        const char* what;
        std::string file;
        DWORD code;
    } cases[] = {
        {"empty", "", ERROR_BAD_FORMAT},
        {"not RIFF", "RIFX" + good.substr(4), ERROR_BAD_FORMAT},
        {"truncated", good.substr(0, good.size() - 3), ERROR_INVALID_DATA},
        {"header cut off", good.substr(0, 30), ERROR_INVALID_DATA},
        {"lying data size", lyingData, ERROR_INVALID_DATA},
        {"lying RIFF size", lyingRiff, ERROR_INVALID_DATA},
        {"inconsistent block align", wrongAlign, ERROR_INVALID_DATA},
        {"float samples", Riff(FormatChunk({1, 32, 8000, 3}) + DataChunk(Samples(16))), ERROR_BAD_FORMAT},
        {"24-bit", Riff(FormatChunk({1, 24}) + DataChunk(Samples(12))), ERROR_BAD_FORMAT},
        {"six channels", Riff(FormatChunk({6, 16}) + DataChunk(Samples(24))), ERROR_BAD_FORMAT},
        {"samples before format", Riff(DataChunk(Samples(16)) + FormatChunk({})), ERROR_INVALID_DATA},
        {"no samples", Riff(FormatChunk({})), ERROR_INVALID_DATA},
        {"half a frame", Riff(FormatChunk({2, 16}) + DataChunk(Samples(6))), ERROR_INVALID_DATA},
    };
    for (const auto& c : cases) {
        WaveSound sound;
        std::string error;
        DWORD code = 0;
        EXPECT_FALSE(ParseWave(c.file, sound, error, code)) << c.what;
        EXPECT_EQ(code, c.code) << c.what;
        EXPECT_FALSE(error.empty()) << c.what;
    }
}

class WavePlayback : public ::testing::Test {
protected:
    void SetUp() override { win32::testing::ResetPlatform(); }
    void TearDown() override { win32::testing::ResetPlatform(); }

    std::string WriteWave(const std::string& name, const WaveLayout& layout, const std::string& samples) {
        const std::string path = dir_.File(name);
        std::ofstream(path, std::ios::binary) << Riff(FormatChunk(layout) + DataChunk(samples));
        return path;
    }

    // The default device becomes ALSA's file plugin, which writes what it is given to `captured`.
    void CaptureTo(const std::string& captured, const char* format) {
        win32::testing::SetSoundDevice(
            "capture", std::string("pcm.capture { type file slave.pcm { type null } file \"") + captured +
                           "\" format \"" + format + "\" }\n");
    }

    static std::string ReadFile(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    zyltest::TempDir dir_;
};

TEST_F(WavePlayback, CapturedSamplesAreTheFilesOwn) {
    for (WORD channels : {1, 2}) {
        for (WORD bits : {8, 16}) {
            const std::string samples = Samples(channels * bits / 8 * 4000);
            const std::string name = std::to_string(channels) + "x" + std::to_string(bits);
            const std::string wave = WriteWave(name + ".wav", {channels, bits, 8000}, samples);
            const std::string raw = dir_.File(name + ".raw");
            CaptureTo(raw, "raw");
            ASSERT_TRUE(sndPlaySound(wave.c_str(), SND_SYNC | SND_NODEFAULT))
                << name << " " << GetLastError();
            EXPECT_EQ(ReadFile(raw), samples) << name;

            // Asynchronous play, captured as a wave file that the parser reads back.
            const std::string captured = dir_.File(name + ".captured.wav");
            CaptureTo(captured, "wav");
            ASSERT_TRUE(sndPlaySound(wave.c_str(), SND_ASYNC | SND_NODEFAULT)) << name;
            win32::testing::WaitForSound();
            WaveSound sound;
            std::string error;
            DWORD code = 0;
            ASSERT_TRUE(ParseWave(ReadFile(captured), sound, error, code)) << name << ": " << error;
            EXPECT_EQ(sound.channels, channels);
            EXPECT_EQ(sound.bitsPerSample, bits);
            EXPECT_EQ(sound.samplesPerSecond, 8000u);
            EXPECT_EQ(std::string(sound.samples.begin(), sound.samples.end()), samples) << name;
        }
    }
    const auto played = win32::testing::PlayedSounds();
    ASSERT_EQ(played.size(), 8u);
    EXPECT_EQ(played[1].flags, SND_ASYNC | SND_NODEFAULT);
    EXPECT_EQ(played[3].frames, 4000u);
    EXPECT_TRUE(played[3].reachedDevice);
}

TEST_F(WavePlayback, ASecondPlayStopsTheFirst) {
    win32::testing::SetSoundDevice("null");
    const std::string first = WriteWave("first.wav", {}, Samples(1600));
    const std::string second = WriteWave("second.wav", {2, 8}, Samples(800));
    // A looping sound plays until something stops it.
    ASSERT_TRUE(sndPlaySound(first.c_str(), SND_ASYNC | SND_LOOP | SND_NODEFAULT));
    EXPECT_FALSE(sndPlaySound(second.c_str(), SND_ASYNC | SND_NOSTOP | SND_NODEFAULT));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BUSY));
    ASSERT_TRUE(sndPlaySound(second.c_str(), SND_SYNC | SND_NODEFAULT));
    // Nothing plays any more: a play that must not stop another now goes ahead.
    EXPECT_TRUE(sndPlaySound(second.c_str(), SND_SYNC | SND_NOSTOP | SND_NODEFAULT));
    ASSERT_TRUE(sndPlaySound(first.c_str(), SND_ASYNC | SND_LOOP | SND_NODEFAULT));
    EXPECT_TRUE(sndPlaySound(nullptr, 0));
    EXPECT_TRUE(sndPlaySound(second.c_str(), SND_ASYNC | SND_NOSTOP | SND_NODEFAULT));
    win32::testing::WaitForSound();

    const auto played = win32::testing::PlayedSounds();
    ASSERT_EQ(played.size(), 5u);
    EXPECT_EQ(played[0].file, first);
    EXPECT_EQ(played[1].file, second);
    EXPECT_EQ(played[1].channels, 2);
    EXPECT_EQ(played[1].bitsPerSample, 8);
}

TEST_F(WavePlayback, FailuresAreReportedAndTheDefaultSoundStandsIn) {
    const std::string good = WriteWave("good.wav", {}, Samples(64));
    const std::string broken = dir_.File("broken.wav");
    std::ofstream(broken, std::ios::binary) << Riff(FormatChunk({})).substr(0, 30);

    EXPECT_FALSE(sndPlaySound(dir_.File("missing.wav").c_str(), SND_SYNC | SND_NODEFAULT));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_TRUE(win32::testing::Beeps().empty());
    EXPECT_FALSE(sndPlaySound(broken.c_str(), SND_SYNC));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_DATA));
    EXPECT_EQ(win32::testing::Beeps().size(), 1u);

    win32::testing::SetSoundDevice("zyl_no_such_device");
    EXPECT_FALSE(sndPlaySound(good.c_str(), SND_SYNC | SND_NODEFAULT));
    EXPECT_EQ(GetLastError(), MMSYSERR_NODRIVER);
    EXPECT_FALSE(PlaySound("SystemStart", nullptr, SND_ALIAS));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));

    // Only the sound that got as far as a device is recorded, with the outcome.
    const auto played = win32::testing::PlayedSounds();
    ASSERT_EQ(played.size(), 1u);
    EXPECT_EQ(played[0].file, good);
    EXPECT_FALSE(played[0].reachedDevice);
}

}  // namespace
