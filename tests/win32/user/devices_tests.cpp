// Media arriving in and leaving a removable drive: a real tmpfs mounted on the drive's folder must
// reach the top-level windows as the device-change broadcast.
#include <sys/mount.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <thread>

#include "recorder.h"
#include "support/tempdir.h"
#include "win32/devices.h"
#include "win32/files.h"

namespace usertest {
namespace {

struct Broadcast {
    WPARAM event = 0;
    DWORD unitMask = 0;
    WORD flags = 0;
};

class MediaWatch : public UserTest {
protected:
    void SetUp() override {
        UserTest::SetUp();
        if (::geteuid() != 0) GTEST_SKIP() << "mounting a medium needs root";
        window_ = Top();
        ClassHandler() = [this](HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
            if (message != WM_DEVICECHANGE || hwnd != window_) return false;
            const auto* volume = reinterpret_cast<const DEV_BROADCAST_VOLUME*>(lParam);
            if (volume && volume->dbcv_devicetype == DBT_DEVTYP_VOLUME)
                heard_.push_back({wParam, volume->dbcv_unitmask, volume->dbcv_flags});
            *result = TRUE;
            return true;
        };
    }
    void TearDown() override {
        if (mounted_) ::umount(folder_.c_str());
        UserTest::TearDown();
    }

    // Waits for the watcher's broadcast; a helper thread wakes the queue so that a broadcast that
    // never comes fails the test instead of hanging it.
    bool PumpUntilHeard(size_t count) {
        const DWORD thread = GetCurrentThreadId();
        std::atomic<bool> done{false};
        std::thread waker([&] {
            for (int i = 0; i < 100 && !done; ++i) {
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
                PostThreadMessage(thread, WM_NULL, 0, 0);
            }
            done = true;
        });
        while (heard_.size() < count && !done) {
            Pump();
            if (heard_.size() < count) WaitMessage();
        }
        done = true;
        waker.join();
        Pump();
        return heard_.size() >= count;
    }

    HWND window_ = nullptr;
    std::vector<Broadcast> heard_;
    zyltest::TempDir dir_;
    std::string folder_ = dir_.File("media");
    bool mounted_ = false;
};

TEST_F(MediaWatch, MountAndUnmountOnTheDriveFolderAreBroadcast) {
    std::filesystem::create_directories(folder_);
    win32::testing::MapDrive('E', folder_, DRIVE_REMOVABLE, "", 0, false);
    // Another folder's mount is no medium of E:.
    const std::string elsewhere = dir_.File("elsewhere");
    std::filesystem::create_directories(elsewhere);
    ASSERT_EQ(::mount("none", elsewhere.c_str(), "tmpfs", 0, "size=64k"), 0);
    ::umount(elsewhere.c_str());

    if (::mount("none", folder_.c_str(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "tmpfs cannot be mounted here: " << std::strerror(errno);
    mounted_ = true;
    ASSERT_TRUE(PumpUntilHeard(1)) << "no arrival broadcast";
    ASSERT_EQ(heard_.size(), 1u) << "the other folder's mount was broadcast too";
    EXPECT_EQ(heard_[0].event, DBT_DEVICEARRIVAL);
    EXPECT_EQ(heard_[0].unitMask, DWORD{1} << ('E' - 'A'));
    EXPECT_EQ(heard_[0].flags, DBTF_MEDIA);
    // The medium makes the drive ready.
    DWORD serial = 0;
    EXPECT_TRUE(GetVolumeInformation("E:\\", nullptr, 0, &serial, nullptr, nullptr, nullptr, 0));

    ASSERT_EQ(::umount(folder_.c_str()), 0);
    mounted_ = false;
    ASSERT_TRUE(PumpUntilHeard(2)) << "no removal broadcast";
    EXPECT_EQ(heard_[1].event, DBT_DEVICEREMOVECOMPLETE);
    EXPECT_EQ(heard_[1].unitMask, DWORD{1} << ('E' - 'A'));
    EXPECT_FALSE(GetVolumeInformation("E:\\", nullptr, 0, &serial, nullptr, nullptr, nullptr, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_READY));
}

}  // namespace
}  // namespace usertest
