// Device-change broadcasts: a medium arriving in or leaving a removable or CD-ROM drive reaches
// every top-level window as WM_DEVICECHANGE with a volume record. The platform watches the mount
// table: a file system mounted on (or below) the folder of such a drive is its medium.
#pragma once

#include "win32/types.h"

namespace win32 {

inline constexpr WPARAM DBT_DEVICEARRIVAL = 0x8000;
inline constexpr WPARAM DBT_DEVICEREMOVECOMPLETE = 0x8004;
inline constexpr DWORD DBT_DEVTYP_VOLUME = 0x00000002;
inline constexpr WORD DBTF_MEDIA = 0x0001;
inline constexpr WORD DBTF_NET = 0x0002;

struct DEV_BROADCAST_HDR {
    DWORD dbch_size;
    DWORD dbch_devicetype;
    DWORD dbch_reserved;
};

struct DEV_BROADCAST_VOLUME {
    DWORD dbcv_size;
    DWORD dbcv_devicetype;
    DWORD dbcv_reserved;
    DWORD dbcv_unitmask;  // bit 0 is A:
    WORD dbcv_flags;
};

}  // namespace win32
