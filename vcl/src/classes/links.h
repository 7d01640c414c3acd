// Links between components that outlive neither side: the framework's units keep them with this.
#pragma once

#include "vcl/classes.h"

namespace vcl {

// Points `owner`'s link field at `value`, moving the free notification with it, so that the
// owner's Notification can clear the field when the other goes. False when the field pointed
// there already.
template <typename T>
bool ReplaceLink(TComponent* owner, T*& link, T* value) {
    if (link == value) return false;
    if (link) link->RemoveFreeNotification(owner);
    link = value;
    if (link) link->FreeNotification(owner);
    return true;
}

}  // namespace vcl
