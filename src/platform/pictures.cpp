#include "platform/pictures.h"

#include <QString>
#include <cstdio>

// The pictures live in a static library, whose resource registration the linker
// would drop unless something refers to it.
static void RegisterPictures() {
    Q_INIT_RESOURCE(pictures);
}

namespace platform {

Picture LoadPicture(const char* name) {
    static const bool registered = (RegisterPictures(), true);
    (void)registered;
    Picture picture;
    if (name == nullptr || *name == '\0')
        return picture;
    if (!picture.load(QStringLiteral(":/pictures/") + QString::fromUtf8(name)))
        std::fprintf(stderr, "zam: no picture named %s among the program's resources\n", name);
    return picture;
}

}  // namespace platform
