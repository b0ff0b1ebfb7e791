// Sound through ALSA, heard by a file: a scratch HOME whose .asoundrc makes
// the default PCM alsa-lib's `file` plugin over the `null` PCM, so every
// sample played lands in a file (or a pipe) and no sound card is involved.
#include "platform/x11/alsa_sound.h"

#include <alsa/asoundlib.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sndfile.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "tests/x11/services/test_dir.h"

namespace kivo::x11 {
namespace {

using testing::readFile;
using testing::ScopedEnv;
using testing::ScratchDirTest;
using testing::writeFile;

constexpr std::uint32_t kSync = kSndFilename | kSndNoDefault;
constexpr std::uint32_t kAsync = kSndFilename | kSndNoDefault | kSndAsync;

// Frames of `channels` samples, each sample `value` plus its frame number
// times `step`.
std::vector<std::int16_t> samples(int frames, int channels, int value, int step) {
  std::vector<std::int16_t> out;
  for (int f = 0; f < frames; ++f) {
    for (int c = 0; c < channels; ++c)
      out.push_back(static_cast<std::int16_t>(value + f * step + c));
  }
  return out;
}

void writeWave(const std::string& path, const std::vector<std::int16_t>& data, int channels,
               int rate) {
  SF_INFO info{};
  info.channels = channels;
  info.samplerate = rate;
  info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
  SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
  ASSERT_NE(f, nullptr) << sf_strerror(nullptr);
  sf_writef_short(f, data.data(), static_cast<sf_count_t>(data.size() / channels));
  sf_close(f);
}

std::string bytesOf(const std::vector<std::int16_t>& data) {
  return std::string(reinterpret_cast<const char*>(data.data()), data.size() * 2);
}

class AlsaSoundTest : public ScratchDirTest {
 protected:
  // `pcm` is the default PCM's definition in the scratch .asoundrc.
  void useDefaultPcm(const std::string& pcm) {
    writeFile(dir / ".asoundrc", "pcm.!default {\n" + pcm + "\n}\n");
    // alsa-lib keeps its configuration once read: read it again.
    snd_config_update_free_global();
  }
  void useFileOutput() {
    useDefaultPcm("type file\nslave.pcm \"null\"\nfile \"" + out + "\"\nformat \"raw\"");
  }

  // The scratch directory is HOME, where alsa-lib looks for .asoundrc.
  const std::string out = dir / "out.raw";
  ScopedEnv homeEnv{"HOME", dir.str().c_str()};
  ScopedEnv xdgEnv{"XDG_CONFIG_HOME", (dir / "xdg").c_str()};
  ScopedEnv alsaEnv{"ALSA_CONFIG_PATH", nullptr};
};

TEST_F(AlsaSoundTest, ASyncSoundIsPlayedToTheLastSampleBeforeTheCallReturns) {
  useFileOutput();
  const auto stereo = samples(5000, 2, 100, 3);
  writeWave(dir / "chime.wav", stereo, 2, 22050);
  AlsaSound sound;
  sound.playSound(dir / "chime.wav", kSync);
  EXPECT_EQ(readFile(out), bytesOf(stereo));
  // Again: the device is free for the next one.
  sound.playSound(dir / "chime.wav", kSync);
  EXPECT_EQ(readFile(out), bytesOf(stereo));
}

TEST_F(AlsaSoundTest, AnAsyncSoundIsCutShortByTheNextOne) {
  // A pipe that the test reads: the first sound fills it and then waits,
  // still playing, until the test drains it.
  ASSERT_EQ(::mkfifo(out.c_str(), 0600), 0);
  const int pipe = ::open(out.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);  // never at EOF
  ASSERT_GE(pipe, 0);
  useFileOutput();
  const auto first = samples(160000, 1, 0x1111, 0);  // 20 s
  const auto second = samples(2000, 1, 0x2222, 0);
  writeWave(dir / "first.wav", first, 1, 8000);
  writeWave(dir / "second.wav", second, 1, 8000);

  AlsaSound sound;
  sound.playSound(dir / "first.wav", kAsync);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  int queued = 0;
  while (queued < 4096 && std::chrono::steady_clock::now() < deadline) {
    pollfd p{pipe, POLLIN, 0};
    ::poll(&p, 1, 50);
    ::ioctl(pipe, FIONREAD, &queued);
  }
  ASSERT_GE(queued, 4096) << "the first sound never started";

  // The second sound starts while the test drains the pipe, so the first
  // sound's thread can go on to notice that it is to stop.
  std::atomic<bool> asked{false};
  std::thread starter([&] {
    asked = true;
    sound.playSound(dir / "second.wav", kAsync);  // stops the first one at once
  });
  while (!asked) std::this_thread::yield();
  const std::string tail = bytesOf(second);
  std::string heard;
  const auto complete = [&] {
    return heard.size() >= tail.size() &&
           heard.compare(heard.size() - tail.size(), tail.size(), tail) == 0;
  };
  char buffer[4096];
  while (!complete() && std::chrono::steady_clock::now() < deadline) {
    pollfd p{pipe, POLLIN, 0};
    const ssize_t n = ::poll(&p, 1, 20) > 0 ? ::read(pipe, buffer, sizeof buffer) : 0;
    if (n > 0) heard.append(buffer, static_cast<std::size_t>(n));
  }
  starter.join();
  ::close(pipe);

  ASSERT_TRUE(complete()) << "the second sound was not played whole";
  const std::string before = heard.substr(0, heard.size() - tail.size());
  EXPECT_EQ(before.find_first_not_of('\x11'), std::string::npos);
  EXPECT_LT(before.size(), bytesOf(first).size() / 2) << "the first sound was not stopped";
}

TEST_F(AlsaSoundTest, WhatCannotBePlayedIsSilentAndReturns) {
  useFileOutput();
  writeFile(dir / "text.wav", "not a wave file at all\n");
  AlsaSound sound;
  for (const std::uint32_t flags : {kSync, kAsync}) {
    sound.playSound(dir / "missing.wav", flags);
    sound.playSound(dir / "text.wav", flags);
    sound.playSound(dir.str(), flags);  // a directory
    sound.playSound("", flags);
  }
  sound.playSound("", kSync);  // waits for the last asynchronous attempt
  EXPECT_FALSE(std::filesystem::exists(out));

  // No device at all.
  useDefaultPcm("type hw\ncard 63");
  writeWave(dir / "chime.wav", samples(800, 1, 5, 1), 1, 8000);
  sound.playSound(dir / "chime.wav", kSync);
  sound.playSound(dir / "chime.wav", kAsync);
}

}  // namespace
}  // namespace kivo::x11
