#include "platform/desktop/painting/form_units.h"

#include <QtMath>
#include <algorithm>

namespace platform::desktop {

QFont toQFont(const Font& font, qreal scale) {
    QFont result(QString::fromStdString(font.name));
    const qreal designPixels = qreal(font.points) * kTwipsPerPoint / kTwipsPerPixel;
    result.setPixelSize(std::max(1, qRound(designPixels * scale)));
    result.setBold(font.bold);
    result.setUnderline(font.underline);
    result.setStyleStrategy(QFont::PreferAntialias);
    return result;
}

}  // namespace platform::desktop
