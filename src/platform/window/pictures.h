#pragma once
// Pictures compiled into the program. They are pixel art: shown at their
// natural size in device-independent pixels and never smoothed when scaled.

#include <QPixmap>

namespace platform {

using Picture = QPixmap;

// The picture stored under a resource name such as "logo.png"; a null picture
// (and a message on stderr) when there is no such resource.
Picture LoadPicture(const char* name);

// The part of a picture that is not wholly transparent, in device-independent pixels from
// its top left corner: drawing the rest over anything would leave it as it was.
QRect InkOf(const Picture& picture);

}  // namespace platform
