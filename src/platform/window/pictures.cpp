#include "platform/window/pictures.h"

#include <QImage>
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

QRect InkOf(const Picture& picture) {
    const qreal ratio = picture.devicePixelRatio();
    if (!picture.hasAlphaChannel())
        return QRect(QPoint(0, 0), (QSizeF(picture.size()) / ratio).toSize());
    const QImage image = picture.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QRect ink;
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        int left = 0, right = image.width() - 1;
        while (left <= right && qAlpha(row[left]) == 0)
            ++left;
        while (right > left && qAlpha(row[right]) == 0)
            --right;
        if (left <= right)
            ink |= QRect(left, y, right + 1 - left, 1);
    }
    // Outwards to whole pixels of the window, however the picture is scaled.
    return ink.isEmpty() ? QRect()
                         : QRectF(QPointF(ink.topLeft()) / ratio, QSizeF(ink.size()) / ratio).toAlignedRect();
}

}  // namespace platform
