// The pictures of the welcome screen and the About page, drawn at run time:
// the maker's logo and small synthetic seismic sections.
#pragma once

#include <QColor>
#include <QLinearGradient>
#include <QPainterPath>
#include <QPixmap>
#include <QRectF>

class QPainter;

constexpr int kLogoWidth = 250;
constexpr int kLogoHeight = 238;
constexpr int kSectionPictureWidth = 340;
constexpr int kSectionPictureHeight = 350;
// The welcome screen rotates the logo and this many section pictures.
constexpr int kSectionPictureCount = 9;

QPixmap MakerLogo();

// The globe of the logo, which is also the program's icon, in the logo's
// coordinates: a circle filled with a sky gradient, crossed by reflector bands.
constexpr int kLogoBandCount = 3;
QRectF LogoGlobe();
QLinearGradient LogoSky();
QColor LogoBandColour(int band);
// Band `band`, 0 to kLogoBandCount - 1, from rim to rim; it reaches past the
// circle, which cuts it.
QPainterPath LogoBand(int band);
// Paints the globe in logo coordinates; `smoothEdge` cuts the bands at the
// rim with antialiasing, for drawing at another scale.
void PaintLogoGlobe(QPainter& painter, bool smoothEdge);
// Section picture `number`, 0 to kSectionPictureCount - 1; each shows a
// different structure, alternately as wiggles and as colour density.
QPixmap SectionPicture(int number);
