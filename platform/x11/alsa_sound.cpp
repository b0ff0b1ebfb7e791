// Linux sound: libsndfile reads the wave file, ALSA's default PCM plays it.
// Both libraries are loaded at the first sound, not at start: most runs
// play none, and the two with libsndfile's codecs hold about a megabyte.
#include "platform/x11/alsa_sound.h"

#include <alsa/asoundlib.h>
#include <dlfcn.h>
#include <sndfile.h>

#include <cerrno>
#include <chrono>
#include <memory>
#include <system_error>
#include <utility>
#include <vector>

#include "platform/text.h"

namespace kivo::x11 {
namespace {

using Clock = std::chrono::steady_clock;

// Frames read and written at a time; also how often a stop is noticed.
constexpr sf_count_t kChunkFrames = 1024;
// What the device buffers: short, so a stop is heard at once.
constexpr unsigned kLatencyMicroseconds = 200000;
// A device that takes no sample for this long is given up.
constexpr auto kStallLimit = std::chrono::seconds(3);
// How long a wait for the device lasts before the stop flag is looked at.
constexpr int kWaitMilliseconds = 50;

// The functions Kivo uses, looked up in the libraries Debian ships.
struct SoundLibraries {
  decltype(&::sf_open) sf_open;
  decltype(&::sf_readf_short) sf_readf_short;
  decltype(&::sf_close) sf_close;
  decltype(&::snd_lib_error_set_handler) snd_lib_error_set_handler;
  decltype(&::snd_pcm_open) snd_pcm_open;
  decltype(&::snd_pcm_set_params) snd_pcm_set_params;
  decltype(&::snd_pcm_writei) snd_pcm_writei;
  decltype(&::snd_pcm_wait) snd_pcm_wait;
  decltype(&::snd_pcm_recover) snd_pcm_recover;
  decltype(&::snd_pcm_drain) snd_pcm_drain;
  decltype(&::snd_pcm_drop) snd_pcm_drop;
  decltype(&::snd_pcm_state) snd_pcm_state;
  decltype(&::snd_pcm_close) snd_pcm_close;
};

template <typename F>
bool lookUp(void* library, const char* name, F& f) {
  f = reinterpret_cast<F>(dlsym(library, name));
  return f != nullptr;
}

void quietAlsa(const char*, int, const char*, int, const char*, ...);

// The libraries, loaded once (by the first sound, on whichever thread);
// nullptr when either is missing or lacks a function, and then every sound
// is silent, as any other sound failure is.
const SoundLibraries* soundLibraries() {
  static const SoundLibraries* const loaded = []() -> const SoundLibraries* {
    void* sndfile = dlopen("libsndfile.so.1", RTLD_NOW | RTLD_LOCAL);
    void* alsa = dlopen("libasound.so.2", RTLD_NOW | RTLD_LOCAL);
    static SoundLibraries l{};
    const bool found =
        sndfile && alsa && lookUp(sndfile, "sf_open", l.sf_open) &&
        lookUp(sndfile, "sf_readf_short", l.sf_readf_short) &&
        lookUp(sndfile, "sf_close", l.sf_close) &&
        lookUp(alsa, "snd_lib_error_set_handler", l.snd_lib_error_set_handler) &&
        lookUp(alsa, "snd_pcm_open", l.snd_pcm_open) &&
        lookUp(alsa, "snd_pcm_set_params", l.snd_pcm_set_params) &&
        lookUp(alsa, "snd_pcm_writei", l.snd_pcm_writei) &&
        lookUp(alsa, "snd_pcm_wait", l.snd_pcm_wait) &&
        lookUp(alsa, "snd_pcm_recover", l.snd_pcm_recover) &&
        lookUp(alsa, "snd_pcm_drain", l.snd_pcm_drain) &&
        lookUp(alsa, "snd_pcm_drop", l.snd_pcm_drop) &&
        lookUp(alsa, "snd_pcm_state", l.snd_pcm_state) &&
        lookUp(alsa, "snd_pcm_close", l.snd_pcm_close);
    if (!found) return nullptr;
    l.snd_lib_error_set_handler(&quietAlsa);
    return &l;
  }();
  return loaded;
}

// ALSA reports its failures on stderr; a missing device is an ordinary
// state of a desktop here, and Kivo says nothing about sounds it cannot play.
void quietAlsa(const char*, int, const char*, int, const char*, ...) {}

struct SndFileCloser {
  const SoundLibraries* l;
  void operator()(SNDFILE* f) const { l->sf_close(f); }
};
struct PcmCloser {
  const SoundLibraries* l;
  void operator()(snd_pcm_t* p) const { l->snd_pcm_close(p); }
};

// Writes `frames` frames, waiting for room; false when stopped, stalled or
// broken.
bool writeFrames(const SoundLibraries& l, snd_pcm_t* pcm, const std::int16_t* data, snd_pcm_uframes_t frames, int channels,
                 const std::atomic<bool>& stop) {
  auto lastProgress = Clock::now();
  while (frames > 0) {
    if (stop) return false;
    const snd_pcm_sframes_t n = l.snd_pcm_writei(pcm, data, frames);
    if (n == -EAGAIN || n == 0) {
      if (Clock::now() - lastProgress > kStallLimit) return false;
      l.snd_pcm_wait(pcm, kWaitMilliseconds);
      continue;
    }
    if (n < 0) {
      // An underrun (the device ran dry) or a suspend: start again.
      if (l.snd_pcm_recover(pcm, static_cast<int>(n), 1) < 0) return false;
      continue;
    }
    data += static_cast<std::size_t>(n) * static_cast<std::size_t>(channels);
    frames -= static_cast<snd_pcm_uframes_t>(n);
    lastProgress = Clock::now();
  }
  return true;
}

// Waits until what the device holds has been heard; false when stopped.
bool drain(const SoundLibraries& l, snd_pcm_t* pcm, const std::atomic<bool>& stop) {
  // Non-blocking, drain only starts the draining; the state says when it
  // is over.
  if (l.snd_pcm_drain(pcm) < 0 && l.snd_pcm_state(pcm) != SND_PCM_STATE_DRAINING) return true;
  const auto deadline =
      Clock::now() + kStallLimit + std::chrono::microseconds(kLatencyMicroseconds);
  while (l.snd_pcm_state(pcm) == SND_PCM_STATE_DRAINING) {
    if (stop || Clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

// Plays the file to its end, or until `stop`; silent on any failure.
void play(const std::string& device, const std::string& file, const std::atomic<bool>& stop) {
  const SoundLibraries* libraries = soundLibraries();
  if (!libraries) return;
  const SoundLibraries& l = *libraries;
  SF_INFO info{};
  const std::unique_ptr<SNDFILE, SndFileCloser> sound(l.sf_open(file.c_str(), SFM_READ, &info),
                                                      SndFileCloser{&l});
  if (!sound || info.channels < 1 || info.channels > 64 || info.samplerate < 1) return;

  snd_pcm_t* raw = nullptr;
  // Non-blocking, so that a device held by another program cannot make the
  // open wait, and so that every wait below is ours and bounded.
  if (l.snd_pcm_open(&raw, device.c_str(), SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK) < 0) return;
  const std::unique_ptr<snd_pcm_t, PcmCloser> pcm(raw, PcmCloser{&l});
  // Samples as native 16-bit integers, resampled by ALSA where the device
  // needs another rate.
  if (l.snd_pcm_set_params(pcm.get(), SND_PCM_FORMAT_S16, SND_PCM_ACCESS_RW_INTERLEAVED,
                         static_cast<unsigned>(info.channels),
                         static_cast<unsigned>(info.samplerate), 1, kLatencyMicroseconds) < 0) {
    return;
  }

  std::vector<std::int16_t> buffer(static_cast<std::size_t>(kChunkFrames * info.channels));
  for (;;) {
    const sf_count_t frames = l.sf_readf_short(sound.get(), buffer.data(), kChunkFrames);
    if (frames <= 0) break;
    if (!writeFrames(l, pcm.get(), buffer.data(), static_cast<snd_pcm_uframes_t>(frames),
                     info.channels, stop)) {
      l.snd_pcm_drop(pcm.get());
      return;
    }
  }
  if (!drain(l, pcm.get(), stop)) l.snd_pcm_drop(pcm.get());
}

}  // namespace

AlsaSound::AlsaSound(std::string device) : device_(std::move(device)) {}

AlsaSound::~AlsaSound() { stopAsync(); }

void AlsaSound::stopAsync() {
  if (!worker_.joinable()) return;
  stop_ = true;
  worker_.join();
  stop_ = false;
}

void AlsaSound::playSound(const std::string& file, std::uint32_t flags) {
  // One sound at a time, as on Windows: a new one replaces the old.
  stopAsync();
  const std::string name(text::cutAtNul(file));
  if (name.empty()) return;
  if ((flags & kSndAsync) == 0) {
    play(device_, name, stop_);
    return;
  }
  try {
    worker_ = std::thread([this, name] { play(device_, name, stop_); });
  } catch (const std::system_error&) {
    // No thread to play on: the sound is skipped, like any other failure.
  }
}

}  // namespace kivo::x11
