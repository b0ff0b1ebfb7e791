#pragma once
// Sound on Linux: wave files (any format libsndfile reads) played on ALSA's
// "default" PCM, which is where the desktop's sound goes (PulseAudio,
// PipeWire or a card).
//
// An asynchronous sound plays on a thread of its own and playSound returns
// at once; any later play, synchronous or not, first stops it (within about
// a period, some tens of milliseconds). A synchronous sound plays on the
// caller's thread and returns when it is done. Every failure is silent: a
// missing or unreadable file, a file that is no sound, no ALSA device, a
// device that stops taking samples (given up after a few seconds, so a call
// never hangs). kSndFilename and kSndNoDefault are what the program always
// passes, and what this backend does in any case: Linux has no sound aliases
// to look a name up in, and no system default sound to fall back on.
// An empty name stops the sound that is playing, as a null name does on
// Windows.

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

#include "platform/platform.h"

namespace kivo::x11 {

class AlsaSound : public Sound {
 public:
  // `device` is the ALSA PCM name; tests may give another.
  explicit AlsaSound(std::string device = "default");
  // Stops a sound that is still playing.
  ~AlsaSound() override;
  AlsaSound(const AlsaSound&) = delete;
  AlsaSound& operator=(const AlsaSound&) = delete;

  void playSound(const std::string& file, std::uint32_t flags) override;

 private:
  // Stops the asynchronous sound, if any, and waits for its thread.
  void stopAsync();

  std::string device_;
  std::atomic<bool> stop_{false};
  std::thread worker_;
};

}  // namespace kivo::x11
