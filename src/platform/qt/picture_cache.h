#pragma once

#include <QCache>
#include <QIcon>
#include <QImage>
#include <QSizeF>
#include <QString>
#include <map>
#include <memory>
#include <string>

class QSvgRenderer;

namespace platform::qt {

// The built-in pictures, hand-drawn SVGs in the ":/assets" resources,
// rasterised on demand and kept per size so that repaints cost nothing.
class PictureCache {
public:
    PictureCache();
    ~PictureCache();
    PictureCache(const PictureCache&) = delete;
    PictureCache& operator=(const PictureCache&) = delete;

    // The picture's own size in pixels (its SVG width and height); empty
    // when there is no such picture.
    QSizeF naturalSize(const std::string& name);
    // The picture rasterised to exactly pixelSize device pixels; a null image
    // when there is no such picture or the size is empty.
    QImage image(const std::string& name, QSize pixelSize);
    // A window icon with the usual sizes; null when there is no such picture.
    QIcon icon(const std::string& name);

private:
    QSvgRenderer* renderer(const std::string& name);

    // Null entries remember pictures that are missing or broken.
    std::map<std::string, std::unique_ptr<QSvgRenderer>> renderers_;
    // Costs are in bytes: resizing the window leaves a trail of sizes.
    QCache<QString, QImage> images_;
};

}  // namespace platform::qt
