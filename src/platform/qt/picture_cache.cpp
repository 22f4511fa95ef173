#include "platform/qt/picture_cache.h"

#include <QPainter>
#include <QSvgRenderer>
#include <QtDebug>

namespace platform::qt {

namespace {

constexpr qsizetype kImageCacheBytes = 96 * 1024 * 1024;

QString resourcePath(const std::string& name) {
    return QStringLiteral(":/assets/%1.svg").arg(QString::fromStdString(name));
}

}  // namespace

PictureCache::PictureCache() : images_(kImageCacheBytes) {}

PictureCache::~PictureCache() = default;

QSvgRenderer* PictureCache::renderer(const std::string& name) {
    auto found = renderers_.find(name);
    if (found != renderers_.end()) {
        return found->second.get();
    }
    auto renderer = std::make_unique<QSvgRenderer>(resourcePath(name));
    if (!renderer->isValid()) {
        qWarning("Tumbrix: built-in picture \"%s\" is missing or unreadable", name.c_str());
        renderer.reset();
    }
    return renderers_.emplace(name, std::move(renderer)).first->second.get();
}

QSizeF PictureCache::naturalSize(const std::string& name) {
    QSvgRenderer* svg = name.empty() ? nullptr : renderer(name);
    return svg != nullptr ? QSizeF(svg->defaultSize()) : QSizeF();
}

QImage PictureCache::image(const std::string& name, QSize pixelSize) {
    if (name.empty() || pixelSize.isEmpty()) {
        return {};
    }
    const QString key = QStringLiteral("%1@%2x%3")
                            .arg(QString::fromStdString(name))
                            .arg(pixelSize.width())
                            .arg(pixelSize.height());
    if (const QImage* cached = images_.object(key)) {
        return *cached;
    }
    QSvgRenderer* svg = renderer(name);
    if (svg == nullptr) {
        return {};
    }
    auto raster = std::make_unique<QImage>(pixelSize, QImage::Format_ARGB32_Premultiplied);
    raster->fill(Qt::transparent);
    {
        QPainter painter(raster.get());
        painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
        svg->render(&painter, QRectF(QPointF(0, 0), QSizeF(pixelSize)));
    }
    QImage result = *raster;
    const qsizetype cost = raster->sizeInBytes();
    images_.insert(key, raster.release(), cost);
    return result;
}

QIcon PictureCache::icon(const std::string& name) {
    QIcon icon;
    if (name.empty() || renderer(name) == nullptr) {
        return icon;
    }
    for (int side : {16, 24, 32, 48, 64, 128, 256}) {
        icon.addPixmap(QPixmap::fromImage(image(name, QSize(side, side))));
    }
    return icon;
}

}  // namespace platform::qt
