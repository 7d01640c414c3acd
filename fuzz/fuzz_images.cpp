// BMP, ICO and CUR data from outside: any input is read or refused with a reason, never more.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "win32/gdi.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string error;
    if (win32::HBITMAP bitmap = win32::ReadBmp(data, size, &error)) {
        // What was read must also write back out (small images only, to keep the pace up).
        win32::BITMAP bm{};
        win32::GetObject(bitmap, sizeof bm, &bm);
        std::vector<uint8_t> out;
        if (int64_t{bm.bmWidth} * bm.bmHeight <= 65536) win32::WriteBmp(bitmap, out, 8, true);
        win32::DeleteObject(bitmap);
    }
    bool cursor = false;
    for (const win32::IconImage& image : win32::ReadIconFile(data, size, &cursor, &error)) {
        std::vector<uint8_t> out;
        win32::WriteIconFile({image.icon}, out, cursor);
        win32::DestroyIcon(image.icon);
    }
    return 0;
}
