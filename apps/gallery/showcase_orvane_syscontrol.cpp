// Showcases of the system package's control components: each one's published settings as the
// property inspector lists them. The screen saver and lock keys show the live system settings.
#include "gallery.h"
#include "orvane/zyltsystemcontrol.h"

using namespace vcl;
using namespace orvane;

namespace {

// A form to own the components that must sit on one; never shown.
TComponentPtr<TForm> OwnerForm() {
    return TComponentPtr<TForm>(new TForm(nullptr, 0));
}

gallery::Registration cdTriggers{
    "TZylCDTriggers", "orvane",
    "Media arriving in and leaving removable drives; no settings of its own, only the AfterInsert and "
    "AfterRemove events.",
    [](gallery::Album& album) {
        auto owner = OwnerForm();
        auto* triggers = new TZylCDTriggers(owner.get());
        triggers->SetName("ZylCDTriggers1");
        gallery::ShootInspector(album, triggers, "Media triggers in the inspector", false);
    }};

gallery::Registration wavePlayer{
    "TZylWavePlayer", "orvane", "A wave file to play, asynchronously unless told otherwise.",
    [](gallery::Album& album) {
        TComponentPtr<TZylWavePlayer> player(new TZylWavePlayer(nullptr));
        player->SetName("ZylWavePlayer1");
        player->SetWaveFile("C:\\Sounds\\chime.wav");
        gallery::ShootInspector(album, player.get(), "Wave player set to a chime", false);
    }};

gallery::Registration wallPaper{
    "TZylWallPaper", "orvane", "The picture to make the desktop's wallpaper, tiled or centred.",
    [](gallery::Album& album) {
        TComponentPtr<TZylWallPaper> paper(new TZylWallPaper(nullptr));
        paper->SetName("ZylWallPaper1");
        paper->SetFilename("C:\\Pictures\\clouds.bmp");
        paper->SetTiled(false);
        gallery::ShootInspector(album, paper.get(), "Wallpaper centred, not tiled", false);
    }};

gallery::Registration screenSaver{
    "TZylScreenSaver", "orvane",
    "Whether the screen saver is active and after how many seconds, read live from the system settings.",
    [](gallery::Album& album) {
        auto owner = OwnerForm();
        auto* saver = new TZylScreenSaver(owner.get());
        saver->SetName("ZylScreenSaver1");
        gallery::ShootInspector(album, saver, "Screen saver settings of this session", false);
    }};

gallery::Registration startup{
    "TZylStartup", "orvane",
    "Start with the session under a unique name: the Run value and the user's autostart entry.",
    [](gallery::Album& album) {
        TComponentPtr<TZylStartup> start(new TZylStartup(nullptr));
        start->SetName("ZylStartup1");
        start->SetUniqueName("ZylGallery");
        gallery::ShootInspector(album, start.get(), "Start-up switched off", false);
    }};

gallery::Registration exitWindows{
    "TZylExitWindows", "orvane",
    "Log off, restart, shut down or power off after asking; requests are recorded by the platform.",
    [](gallery::Album& album) {
        TComponentPtr<TZylExitWindows> exit(new TZylExitWindows(nullptr));
        exit->SetName("ZylExitWindows1");
        exit->SetExitType(xShutDown);
        exit->SetConfirmMessage("Shut down the computer now?");
        gallery::ShootInspector(album, exit.get(), "Shut down after asking", false);
    }};

gallery::Registration mouseController{
    "TZylMouseController", "orvane",
    "Confines and moves the mouse cursor through its methods; no published settings of its own.",
    [](gallery::Album& album) {
        auto owner = OwnerForm();
        auto* mouse = new TZylMouseController(owner.get());
        mouse->SetName("ZylMouseController1");
        gallery::ShootInspector(album, mouse, "Mouse controller in the inspector", false);
    }};

gallery::Registration systemKeys{
    "TZylSystemKeys", "orvane", "Caps Lock, Num Lock and Scroll Lock as the keyboard has them now; writable.",
    [](gallery::Album& album) {
        TComponentPtr<TZylSystemKeys> keys(new TZylSystemKeys(nullptr));
        keys->SetName("ZylSystemKeys1");
        keys->SetCapsLock(true);
        gallery::ShootInspector(album, keys.get(), "Lock keys with Caps Lock on", false);
    }};

}  // namespace
