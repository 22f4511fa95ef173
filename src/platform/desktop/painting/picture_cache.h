#pragma once

#include <QIcon>
#include <QImage>
#include <QSizeF>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

class QSvgRenderer;

namespace platform::desktop {

// The built-in pictures, hand-drawn SVGs in the ":/assets" resources,
// rasterised on demand and kept per size so that repaints cost nothing: a
// picture already drawn at a size is found without allocating.
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
    struct Raster {
        std::string name;
        QSize size;
        QImage image;
        std::uint64_t lastUse;
    };

    QSvgRenderer* renderer(const std::string& name);
    // Drops the least recently used sizes beyond the byte budget: resizing
    // the window leaves a trail of sizes.
    void trim();

    // Null entries remember pictures that are missing or broken.
    std::map<std::string, std::unique_ptr<QSvgRenderer>, std::less<>> renderers_;
    std::vector<Raster> rasters_;
    std::uint64_t uses_ = 0;
};

}  // namespace platform::desktop
