// MPicSizeChg (picture size change): fits a frame's picture into a row's thumbnail box.
#pragma once

#include <QColor>
#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>

// Thumbnails: a frame's picture fitted, proportions kept, into a row's
// picture box.
namespace MPicSizeChg {

// Twips per pixel of the fitting's drawing call, which gives thumbnails
// their traditional slightly zoomed look.
inline constexpr double kDrawTwipsPerPixel = 15.4;
// Added to the picture's size while it is fitted.
inline constexpr int kMarginTwips = 300;

// A thumbnail box: outer size and inner drawing area in twips, and the
// colour that shows where the picture does not reach.
struct TargetBox {
    QSize outerTwips{2260, 1695};
    QSize innerTwips{2260, 1695};
    QColor background{255, 255, 255};

    // The drawing area in pixels.
    QSize pixelSize() const;

    friend bool operator==(const TargetBox&, const TargetBox&) = default;
};

struct FitGeometry {
    float scale = 0;     // box over picture, from the tighter side
    QSize drawnTwips;    // picture plus margin, scaled
    QRect destination;   // where the stretched block lands, pixels
    QSize sourcePixels;  // the stretched block: picture plus margin, pixels
    QRect picture;       // where the picture's own pixels land
    QSize pictureCrop;   // the part of the picture inside the block
};

// The fitting of a picture of `picturePixels` into `box`. An empty picture
// or box gives an empty geometry.
FitGeometry ComputeFit(QSize picturePixels, const TargetBox& box);

// The thumbnail of `picture` for `box`: an image of the box's pixel size in
// its background colour with the picture drawn in. Null for a null picture.
QImage FitPictureToBox(const QImage& picture, const TargetBox& box);

// The thumbnail of the picture file at `path`, read the fast way when the
// file allows it. Null when the file cannot be read as a picture.
// `allowFastReader` false always reads through Qt (for comparisons).
QImage LoadThumbnail(const QString& path, const TargetBox& box, bool allowFastReader = true);

}  // namespace MPicSizeChg
