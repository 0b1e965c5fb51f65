#include "viewer/Pictures.h"

#include "viewer/Fonts.h"

#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kWaveletHz = 28.0;
constexpr double kRecordSeconds = 1.2;
constexpr int kReflectorCount = 7;
constexpr int kPictureMargin = 6;
constexpr int kWiggleSpacing = 5;

double Ricker(double seconds) {
    const double a = kPi * kWaveletHz * seconds;
    return (1.0 - 2.0 * a * a) * std::exp(-a * a);
}

// Two-way time in seconds of reflector `r` at horizontal position u (0..1)
// in the structure of picture `number`.
double ReflectorTime(int number, int r, double u) {
    const double base = 0.12 + 0.15 * r;
    switch (number) {
    case 0:
        return base + 0.01 * std::sin(6.0 * u + r);
    case 1:
        return base + 0.18 * u * (r % 3 == 0 ? 0.3 : 1.0);
    case 2: // anticline
        return base + 0.22 * (u - 0.5) * (u - 0.5) * (1.0 + 0.2 * r);
    case 3: // normal fault
        return base + 0.05 * u + (u > 0.55 - 0.1 * (base - 0.1) ? 0.08 : 0.0);
    case 4: // shot gather hyperbolas
        return std::sqrt(base * base + std::pow((u - 0.5) * 1.6 / (2.0 + 0.4 * r), 2.0));
    case 5: // syncline
        return base - 0.16 * (u - 0.5) * (u - 0.5) + 0.04;
    case 6: // channel cut into flat beds
        return base + (r == 3 ? 0.06 * std::exp(-std::pow((u - 0.45) / 0.1, 2.0)) : 0.0);
    case 7: // diffraction under flat beds
        return r == 4 ? std::sqrt(0.55 * 0.55 + std::pow((u - 0.6) * 0.9, 2.0)) : base;
    default: // pinch-out
        return base + (r > 3 ? 0.12 * (1.0 - u) * (r - 3) * 0.3 : 0.0);
    }
}

double Amplitude(int number, double u, double seconds) {
    double sum = 0.0;
    for (int r = 0; r < kReflectorCount; ++r) {
        const double strength = (r % 2 == 0 ? 1.0 : -0.7) * (1.0 - 0.08 * r);
        sum += strength * Ricker(seconds - ReflectorTime(number, r, u));
    }
    return sum;
}

QPixmap DensityPicture(int number, int width, int height) {
    QImage image(width, height, QImage::Format_RGB888);
    for (int y = 0; y < height; ++y) {
        const double seconds = kRecordSeconds * y / height;
        for (int x = 0; x < width; ++x) {
            const double a = std::clamp(Amplitude(number, double(x) / width, seconds), -1.0, 1.0);
            const int fade = static_cast<int>(255.0 * (1.0 - std::fabs(a)));
            image.setPixelColor(x, y, a >= 0.0 ? QColor(fade, fade, 255) : QColor(255, fade, fade));
        }
    }
    return QPixmap::fromImage(image);
}

QPixmap WigglePicture(int number, int width, int height) {
    QPixmap pixmap(width, height);
    pixmap.fill(Qt::white);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const double gain = kWiggleSpacing * 0.9;
    for (int x0 = kWiggleSpacing; x0 < width - kWiggleSpacing; x0 += kWiggleSpacing) {
        const double u = double(x0) / width;
        QPainterPath wiggle;
        QPainterPath lobes;
        lobes.moveTo(x0, 0);
        for (int y = 0; y < height; ++y) {
            const double a = Amplitude(number, u, kRecordSeconds * y / height);
            const double x = x0 + gain * a;
            if (y == 0)
                wiggle.moveTo(x, y);
            else
                wiggle.lineTo(x, y);
            lobes.lineTo(x0 + gain * std::max(a, 0.0), y);
        }
        lobes.lineTo(x0, height);
        painter.fillPath(lobes, Qt::black);
        painter.strokePath(wiggle, QPen(Qt::black, 0.6));
    }
    return pixmap;
}

} // namespace

QRectF LogoGlobe() {
    return QRectF(45, 12, 160, 160);
}

QLinearGradient LogoSky() {
    const QRectF ring = LogoGlobe();
    QLinearGradient sky(ring.topLeft(), ring.bottomRight());
    sky.setColorAt(0.0, QColor(30, 60, 140));
    sky.setColorAt(1.0, QColor(10, 25, 70));
    return sky;
}

QColor LogoBandColour(int band) {
    const QColor bands[kLogoBandCount] = {QColor(240, 150, 30), QColor(250, 200, 60),
                                          QColor(230, 90, 30)};
    return bands[band];
}

QPainterPath LogoBand(int band) {
    const QRectF ring = LogoGlobe();
    const double top = 70 + 28 * band;
    QPainterPath path;
    path.moveTo(ring.left(), top + 10);
    path.cubicTo(ring.left() + 50, top - 20, ring.right() - 50, top + 30, ring.right(), top);
    path.lineTo(ring.right(), top + 9);
    path.cubicTo(ring.right() - 50, top + 39, ring.left() + 50, top - 11, ring.left(), top + 19);
    path.closeSubpath();
    return path;
}

void PaintLogoGlobe(QPainter& painter, bool smoothEdge) {
    const QRectF ring = LogoGlobe();
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(LogoSky());
    painter.drawEllipse(ring);
    // The bands end at the globe's rim. A clip region is pixel-exact at the
    // logo's own size; scaled icons need the rim cut as a shape to stay smooth.
    QPainterPath globe;
    globe.addEllipse(ring);
    if (!smoothEdge)
        painter.setClipRegion(QRegion(ring.toRect(), QRegion::Ellipse));
    for (int band = 0; band < kLogoBandCount; ++band)
        painter.fillPath(smoothEdge ? LogoBand(band).intersected(globe) : LogoBand(band),
                         LogoBandColour(band));
    painter.restore();
}

QPixmap MakerLogo() {
    QPixmap logo(kLogoWidth, kLogoHeight);
    logo.fill(Qt::white);
    QPainter painter(&logo);
    painter.setRenderHint(QPainter::Antialiasing);
    PaintLogoGlobe(painter, false);
    painter.setPen(QColor(10, 25, 70));
    painter.setFont(SansFont(34, true));
    painter.drawText(QRect(0, 176, kLogoWidth, 40), Qt::AlignCenter, QStringLiteral("ORBENZA"));
    painter.setFont(SansFont(15, true));
    painter.drawText(QRect(0, 212, kLogoWidth, 22), Qt::AlignCenter, QStringLiteral("Inc."));
    return logo;
}

QPixmap SectionPicture(int number) {
    QPixmap picture(kSectionPictureWidth, kSectionPictureHeight);
    picture.fill(QColor(236, 236, 236));
    const int innerWidth = kSectionPictureWidth - 2 * kPictureMargin;
    const int innerHeight = kSectionPictureHeight - 2 * kPictureMargin;
    const QPixmap section = number % 2 == 0 ? WigglePicture(number, innerWidth, innerHeight)
                                            : DensityPicture(number, innerWidth, innerHeight);
    QPainter painter(&picture);
    painter.drawPixmap(kPictureMargin, kPictureMargin, section);
    painter.setPen(QColor(120, 120, 120));
    painter.drawRect(kPictureMargin - 1, kPictureMargin - 1, innerWidth + 1, innerHeight + 1);
    return picture;
}
