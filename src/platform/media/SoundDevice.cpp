#include "platform/media/SoundDevice.h"

#include <SDL.h>

#include "platform/foundation/Error.h"
#include "platform/media/AudioOutput.h"
#include "platform/media/MediaConstants.h"

namespace plat::detail {

namespace {

// About 23 ms at 44.1 kHz: short enough to follow a pause, long enough not to stutter.
constexpr Uint16 kDeviceBufferFrames = 1024;

void pullSound(void* userData, Uint8* stream, int length)
{
    auto& output = *static_cast<AudioOutput*>(userData);
    int frames = length / static_cast<int>(sizeof(float) * AudioOutput::kChannels);
    output.renderDeviceBlock(reinterpret_cast<float*>(stream), frames);
}

}  // namespace

SoundDevice::SoundDevice(unsigned deviceID)
    : _deviceID(deviceID)
{
}

Result<std::unique_ptr<SoundDevice>> SoundDevice::open(AudioOutput& output)
{
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        return Error(kMediaErrorDomain, kMediaErrorUnknown, std::string("no sound system: ") + SDL_GetError());
    SDL_AudioSpec wanted {};
    wanted.freq = AudioOutput::kSampleRate;
    wanted.format = AUDIO_F32SYS;
    wanted.channels = AudioOutput::kChannels;
    wanted.samples = kDeviceBufferFrames;
    wanted.callback = pullSound;
    wanted.userdata = &output;
    SDL_AudioSpec obtained {};
    // SDL converts to whatever the device wants, so the output's format holds.
    SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
    if (device == 0) {
        Error error(kMediaErrorDomain, kMediaErrorUnknown, std::string("no sound device: ") + SDL_GetError());
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return error;
    }
    return std::unique_ptr<SoundDevice>(new SoundDevice(device));
}

SoundDevice::~SoundDevice()
{
    // Closing waits for a running callback, so the output is not called after this.
    SDL_CloseAudioDevice(_deviceID);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void SoundDevice::start()
{
    SDL_PauseAudioDevice(_deviceID, 0);
}

}  // namespace plat::detail
