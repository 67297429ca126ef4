#include "platform/pictures.h"

#include <QString>
#include <cstdio>

namespace platform {

Picture LoadPicture(const char* name) {
    Picture picture;
    if (name == nullptr || *name == '\0')
        return picture;
    if (!picture.load(QStringLiteral(":/pictures/") + QString::fromUtf8(name)))
        std::fprintf(stderr, "zam: no picture named %s among the program's resources\n", name);
    return picture;
}

}  // namespace platform
