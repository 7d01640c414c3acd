// Showcase of the animator: a copy in progress, the clip (an RLE8 clip compiled into the gallery
// as resource 101) shown at its first frame and halfway, its corner colour transparent.
#include "gallery.h"
#include "pellic/zyltanimator.h"
#include "vcl/stdctrls.h"
#include "win32/resources.h"

using namespace vcl;
using namespace pellic;

namespace {

using gallery::Place;

gallery::Registration animator{
    "TZylAnimator", "pellic",
    "TZylAnimator playing a silent RLE8 clip from the program's resources: a page flying from one "
    "folder to another, at its first frame and halfway.",
    [](gallery::Album& album) {
        TForm* form = album.NewForm("Copying...", 320, 132);
        auto* clip = Place<TZylAnimator>(form, 12, 10, 80, 48);
        clip->SetCenter(false);
        clip->SetAutoAnimate(false);
        auto* file = Place<TLabel>(form, 12, 68, 296, 13);
        file->SetCaption("report-2025.pdf");
        auto* folders = Place<TLabel>(form, 12, 86, 296, 13);
        folders->SetCaption("From 'Reports' to 'Archive'");
        auto* cancel = Place<TButton>(form, 233, 100, 75, 25);
        cancel->SetCaption("Cancel");
        form->Show();
        // Played zero times, the range shows its first frame and stays.
        clip->SetCycles(0);
        clip->SetAction(TZylState::sBusy);
        clip->OpenResource(101, win32::GetModuleHandle("gallery"));
        album.Shoot("First frame", form, clip);
        clip->SetPlayFrom(5);
        album.Shoot("Halfway", form, clip);
    }};

}  // namespace
