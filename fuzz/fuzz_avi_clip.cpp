// Clips from outside (files and resources the animation control opens) must be read or refused,
// and every frame of a clip that is read must decode inside its buffers, backwards as well.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "win32/avi.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::unique_ptr<win32::AviClip> clip = win32::AviClip::Parse(std::vector<uint8_t>(data, data + size));
    if (!clip) return 0;
    for (int i = 0; i < clip->FrameCount() && i < 64; ++i)
        clip->Seek(i);
    clip->Seek(0);
    clip->Seek(clip->FrameCount() - 1);
    if (clip->Pixels().size() != static_cast<size_t>(clip->Width()) * static_cast<size_t>(clip->Height()))
        __builtin_trap();
    return 0;
}
