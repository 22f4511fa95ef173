#include "platform/desktop/painting/picture_cache.h"

#include <QPainter>
#include <QSvgRenderer>
#include <QtDebug>
#include <algorithm>

namespace platform::desktop {

namespace {

constexpr qsizetype kRasterBytes = 96 * 1024 * 1024;

bool isOpaque(const QImage& image) {
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(line[x]) != 255) {
                return false;
            }
        }
    }
    return true;
}

QString resourcePath(const std::string& name) {
    return QStringLiteral(":/assets/%1.svg").arg(QString::fromStdString(name));
}

}  // namespace

PictureCache::PictureCache() = default;

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
    ++uses_;
    for (Raster& raster : rasters_) {
        if (raster.size == pixelSize && raster.name == name) {
            raster.lastUse = uses_;
            return raster.image;
        }
    }
    QSvgRenderer* svg = renderer(name);
    if (svg == nullptr) {
        return {};
    }
    QImage image(pixelSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
        svg->render(&painter, QRectF(QPointF(0, 0), QSizeF(pixelSize)));
    }
    if (isOpaque(image)) {
        // Copied, not blended: a background picture repaints at memory speed.
        image = image.convertToFormat(QImage::Format_RGB32);
    }
    rasters_.push_back({name, pixelSize, image, uses_});
    trim();
    return image;
}

void PictureCache::trim() {
    qsizetype bytes = 0;
    for (const Raster& raster : rasters_) {
        bytes += raster.image.sizeInBytes();
    }
    // The newest raster always stays, however large.
    while (bytes > kRasterBytes && rasters_.size() > 1) {
        auto oldest = std::min_element(
            rasters_.begin(), rasters_.end() - 1,
            [](const Raster& a, const Raster& b) { return a.lastUse < b.lastUse; });
        bytes -= oldest->image.sizeInBytes();
        rasters_.erase(oldest);
    }
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

}  // namespace platform::desktop
