#include "platform/window/pictures.h"

#include <QImage>
#include <QString>
#include <algorithm>
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

QRect InkOf(const Picture& picture) {
    const qreal ratio = picture.devicePixelRatio();
    if (!picture.hasAlphaChannel())
        return QRect(QPoint(0, 0), (QSizeF(picture.size()) / ratio).toSize());
    const QImage image = picture.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    int left = image.width(), right = -1, top = image.height(), bottom = -1;
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(row[x]) == 0)
                continue;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    }
    if (right < 0)
        return QRect();
    // Outwards to whole pixels of the window, however the picture is scaled.
    return QRectF(left / ratio, top / ratio, (right + 1 - left) / ratio, (bottom + 1 - top) / ratio)
        .toAlignedRect();
}

}  // namespace platform
