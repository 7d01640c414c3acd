// Showcases of the system package's information components: each one's published facts as the
// property inspector lists them, names on the left and the read-only values, greyed, on the right.
#include "gallery.h"
#include "orvane/zyltsysteminfo.h"

using namespace vcl;
using namespace orvane;

namespace {

using gallery::ShootInspector;

gallery::Registration resourceInfo{
    "TZylResourceInfo", "orvane",
    "Memory, page file, address space and current drive figures, the time and the lock keys of the "
    "machine the gallery ran on, as the inspector lists them: read-only, refreshed every second.",
    [](gallery::Album& album) {
        TComponentPtr<TZylResourceInfo> info(new TZylResourceInfo(nullptr));
        info->SetName("ZylResourceInfo1");
        ShootInspector(album, info.get(), "Resource figures of this machine");
    }};

gallery::Registration systemDetails{
    "TZylSystemDetails", "orvane",
    "Owner, folders, processor, operating system, memory, drive C, screen, user and computer of the "
    "machine the gallery ran on, read-only in the inspector.",
    [](gallery::Album& album) {
        TComponentPtr<TZylSystemDetails> details(new TZylSystemDetails(nullptr));
        details->SetName("ZylSystemDetails1");
        ShootInspector(album, details.get(), "System details of this machine");
    }};

gallery::Registration versionDetails{
    "TZylVersionDetails", "orvane",
    "The strings of the gallery's own version block, compiled into the program by the build, "
    "read-only in the inspector.",
    [](gallery::Album& album) {
        TComponentPtr<TZylVersionDetails> details(new TZylVersionDetails(nullptr));
        details->SetName("ZylVersionDetails1");
        ShootInspector(album, details.get(), "Version details of the gallery");
    }};

}  // namespace
