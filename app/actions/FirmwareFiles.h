// The files of a firmware update, checked before anything goes to a device: the image and, for
// a ".pfw" image, its companion ".pch". While this object lives they stay open, locked against
// writers as their uploads lock them, so that every device of a roll-out gets the same bytes.
#pragma once

#include "tftp/IdSourceLock.h"

#include <deque>
#include <string>

struct FirmwareFiles {
    std::string image;
    // Empty for a ".pfo" image, which is sent alone.
    std::string companion;
    // The companion's name as the device is given it: the image's name with ".pch", whatever
    // letter case the file on disk has.
    std::string companionName;
    std::deque<TIdSourceLock> held;
};
