// make_icons: writes the program's icon, the globe of the maker's logo, into
// a hicolor icon tree: make_icons OUTPUT_DIR ICON_NAME SIZE...
// The PNGs are painted by the logo's own drawing code; the scalable SVG is
// written from the same shapes, so every size shows one picture.
#include "viewer/Pictures.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QString>

#include <cstdio>

namespace {

// The globe fills this share of the icon's square; the rest is margin, as
// the hicolor theme's icons keep one.
constexpr double kGlobeShare = 7.0 / 8.0;

QString Number(double value) {
    return QString::number(value, 'g', 6);
}

QString SvgPathData(const QPainterPath& path) {
    QString data;
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        if (e.isMoveTo())
            data += QStringLiteral("M");
        else if (e.isLineTo())
            data += QStringLiteral("L");
        else if (e.isCurveTo())
            data += QStringLiteral("C");
        data += Number(e.x) + QLatin1Char(' ') + Number(e.y) + QLatin1Char(' ');
    }
    return data + QStringLiteral("Z");
}

QString SvgIcon() {
    const QRectF globe = LogoGlobe();
    const double side = globe.width() / kGlobeShare;
    const QPointF origin = globe.center() - QPointF(side / 2, side / 2);
    const QLinearGradient sky = LogoSky();
    QString svg = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                 "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" "
                                 "height=\"256\" viewBox=\"%1 %2 %3 %3\">\n")
                      .arg(Number(origin.x()), Number(origin.y()), Number(side));
    svg += QStringLiteral("<defs>\n<linearGradient id=\"sky\" gradientUnits=\"userSpaceOnUse\" "
                          "x1=\"%1\" y1=\"%2\" x2=\"%3\" y2=\"%4\">\n")
               .arg(Number(sky.start().x()), Number(sky.start().y()), Number(sky.finalStop().x()),
                    Number(sky.finalStop().y()));
    for (const QGradientStop& stop : sky.stops())
        svg += QStringLiteral("<stop offset=\"%1\" stop-color=\"%2\"/>\n")
                   .arg(Number(stop.first), stop.second.name());
    const QString circle =
        QStringLiteral("cx=\"%1\" cy=\"%2\" r=\"%3\"")
            .arg(Number(globe.center().x()), Number(globe.center().y()), Number(globe.width() / 2));
    svg += QStringLiteral("</linearGradient>\n<clipPath id=\"rim\"><circle %1/></clipPath>\n"
                          "</defs>\n<circle %1 fill=\"url(#sky)\"/>\n<g clip-path=\"url(#rim)\">\n")
               .arg(circle);
    for (int band = 0; band < kLogoBandCount; ++band)
        svg += QStringLiteral("<path d=\"%1\" fill=\"%2\"/>\n")
                   .arg(SvgPathData(LogoBand(band)), LogoBandColour(band).name());
    return svg + QStringLiteral("</g>\n</svg>\n");
}

QImage PngIcon(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    const QRectF globe = LogoGlobe();
    const double scale = size * kGlobeShare / globe.width();
    painter.translate(size / 2.0, size / 2.0);
    painter.scale(scale, scale);
    painter.translate(-globe.center());
    PaintLogoGlobe(painter, true);
    return image;
}

bool WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size() && file.flush();
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: make_icons OUTPUT_DIR ICON_NAME SIZE...\n");
        return 2;
    }
    const QDir out(QFile::decodeName(argv[1]));
    const QString name = QString::fromLocal8Bit(argv[2]);
    const QString scalable = QStringLiteral("scalable/apps");
    if (!out.mkpath(scalable) ||
        !WriteFile(out.filePath(scalable + QLatin1Char('/') + name + QStringLiteral(".svg")),
                   SvgIcon().toUtf8())) {
        std::fprintf(stderr, "make_icons: cannot write the scalable icon\n");
        return 1;
    }
    for (int i = 3; i < argc; ++i) {
        const int size = QString::fromLatin1(argv[i]).toInt();
        const QString folder = QStringLiteral("%1x%1/apps").arg(size);
        if (size <= 0 || !out.mkpath(folder) ||
            !PngIcon(size).save(
                out.filePath(folder + QLatin1Char('/') + name + QStringLiteral(".png")), "PNG")) {
            std::fprintf(stderr, "make_icons: cannot write the %s pixel icon\n", argv[i]);
            return 1;
        }
    }
    return 0;
}
