#include "platform/audio.h"

#include <AL/al.h>
#include <AL/alc.h>

#include <mutex>

namespace vorn {

struct Audio::Impl {
  std::mutex m;
  ALCdevice* device = nullptr;
  ALCcontext* context = nullptr;
  ALuint source = 0;
  bool have_source = false;
  std::vector<ALuint> free_buffers;
  std::vector<ALuint> all_buffers;
  std::vector<int16_t> samples = beep_samples();

  void reclaim(ALint count) {
    for (; count > 0; --count) {
      ALuint b = 0;
      alSourceUnqueueBuffers(source, 1, &b);
      if (alGetError() != AL_NO_ERROR) return;
      free_buffers.push_back(b);
    }
  }
  ALint processed() {
    ALint n = 0;
    alGetSourcei(source, AL_BUFFERS_PROCESSED, &n);
    return n;
  }
  // Every buffer holds the same tone, so any free one will do.
  bool queue_one() {
    ALuint b = 0;
    if (!free_buffers.empty()) {
      b = free_buffers.back();
      free_buffers.pop_back();
    } else {
      alGenBuffers(1, &b);
      if (alGetError() != AL_NO_ERROR) return false;
      all_buffers.push_back(b);
      alBufferData(b, AL_FORMAT_STEREO16, samples.data(), ALsizei(samples.size() * sizeof(int16_t)),
                   kBeepRate);
      if (alGetError() != AL_NO_ERROR) return false;
    }
    alSourceQueueBuffers(source, 1, &b);
    if (alGetError() != AL_NO_ERROR) {
      free_buffers.push_back(b);
      return false;
    }
    return true;
  }
  ALint state() {
    ALint s = AL_STOPPED;
    alGetSourcei(source, AL_SOURCE_STATE, &s);
    return s;
  }
};

Audio::Audio() : impl_(std::make_unique<Impl>()) {}

Audio::~Audio() { release(); }

int Audio::open() {
  Impl& a = *impl_;
  a.device = alcOpenDevice(nullptr);
  if (!a.device) return 111;
  a.context = alcCreateContext(a.device, nullptr);
  if (!a.context || !alcMakeContextCurrent(a.context)) {
    if (a.context) alcDestroyContext(a.context);
    a.context = nullptr;
    alcCloseDevice(a.device);
    a.device = nullptr;
    return 222;
  }
  alGetError();
  alGenSources(1, &a.source);
  a.have_source = alGetError() == AL_NO_ERROR;
  if (a.have_source) {
    // The beep is not placed in space: no distance or direction effects.
    alSourcei(a.source, AL_SOURCE_RELATIVE, AL_TRUE);
    alSource3f(a.source, AL_POSITION, 0.f, 0.f, 0.f);
  }
  return 0;
}

void Audio::tone() {
  Impl& a = *impl_;
  std::lock_guard<std::mutex> lock(a.m);
  if (!a.have_source) return;
  alGetError();
  a.reclaim(a.processed());
  if (a.state() == AL_PLAYING) {
    if (!a.queue_one()) return;
    if (a.state() == AL_PLAYING) return;
    // It ran out just before the new tone was queued.
  }
  // A source that is not playing counts every queued buffer as played, and
  // would start again from the oldest: empty the queue first.
  a.reclaim(a.processed());
  if (a.queue_one()) alSourcePlay(a.source);
}

void Audio::release() {
  Impl& a = *impl_;
  std::lock_guard<std::mutex> lock(a.m);
  if (a.have_source) {
    alSourceStop(a.source);
    alSourcei(a.source, AL_BUFFER, 0);
    alDeleteSources(1, &a.source);
    a.have_source = false;
  }
  if (!a.all_buffers.empty()) alDeleteBuffers(ALsizei(a.all_buffers.size()), a.all_buffers.data());
  a.all_buffers.clear();
  a.free_buffers.clear();
  if (a.context) {
    alcMakeContextCurrent(nullptr);
    alcDestroyContext(a.context);
    a.context = nullptr;
  }
  if (a.device) {
    alcCloseDevice(a.device);
    a.device = nullptr;
  }
}

}  // namespace vorn
