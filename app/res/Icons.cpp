#include "Icons.h"

#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>
#include <cmath>
#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

// A small deterministic generator, so that every build draws the same pictures.
class Random {
public:
    explicit Random(std::uint32_t seed) : m_state(seed) {}
    std::uint32_t Next()
    {
        m_state = m_state * 1664525u + 1013904223u;
        return m_state >> 8;
    }
    double Unit() { return (Next() & 0xFFFF) / 65535.0; }

private:
    std::uint32_t m_state;
};

void DrawSpace(QImage& image)
{
    QPainter painter(&image);
    painter.fillRect(image.rect(), QColor(2, 2, 10));
    Random random(20261209u);
    // A faint nebula or two, then the stars.
    for (int i = 0; i < 3; ++i) {
        const QPointF centre(random.Unit() * image.width(), random.Unit() * image.height());
        const double radius = (0.2 + 0.2 * random.Unit()) * image.width();
        QRadialGradient glow(centre, radius);
        glow.setColorAt(0, QColor(40, 20, 70, 90));
        glow.setColorAt(1, QColor(0, 0, 0, 0));
        painter.fillRect(image.rect(), glow);
    }
    const int stars = image.width() * image.height() / 400;
    for (int i = 0; i < stars; ++i) {
        const int x = int(random.Next() % std::uint32_t(image.width()));
        const int y = int(random.Next() % std::uint32_t(image.height()));
        const int brightness = 90 + int(random.Next() % 166);
        const int tint = int(random.Next() % 40);
        painter.setPen(QColor(brightness, brightness, std::min(255, brightness + tint)));
        painter.drawPoint(x, y);
        if (brightness > 240)
            painter.drawPoint(x + 1, y);
    }
}

void DrawWood(QImage& image)
{
    Random random(19970513u);
    const double phase1 = random.Unit() * 6.3;
    const double phase2 = random.Unit() * 6.3;
    // Fibres: a random shade per row of the plank, smoothed a little.
    std::vector<double> fibre(1024);
    for (double& f : fibre)
        f = random.Unit() - 0.5;
    for (int pass = 0; pass < 2; ++pass)
        for (size_t i = 1; i + 1 < fibre.size(); ++i)
            fibre[i] = (fibre[i - 1] + 2 * fibre[i] + fibre[i + 1]) / 4;
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            // Growth rings seen from the side: long bands bent by slow waves.
            const double yy = y + 14.0 * std::sin(x / 173.0 + phase1) + 5.0 * std::sin(x / 61.0 + phase2);
            const double ring = std::sin(yy / 7.0 + 1.7 * std::sin(yy / 43.0));
            const int row = int(std::floor(yy)) & 1023;
            const double shade = 0.86 + 0.07 * ring + 0.16 * fibre[size_t(row)];
            line[x] = qRgb(std::min(255, int(128 * shade)), std::min(255, int(96 * shade)),
                           std::min(255, int(64 * shade)));
        }
    }
}

} // namespace

QImage DrawProgramIcon(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 128, 0));
    painter.drawRoundedRect(QRectF(0, 0, size, size), size / 8.0, size / 8.0);
    const double r = size * 0.26;
    painter.setPen(QPen(Qt::black, std::max(1.0, size / 48.0)));
    painter.setBrush(Qt::white);
    painter.drawEllipse(QPointF(size * 0.34, size * 0.36), r, r);
    painter.setBrush(Qt::black);
    painter.drawEllipse(QPointF(size * 0.64, size * 0.64), r, r);
    return image;
}

QImage DrawDocumentIcon(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const double s = size;
    const double fold = s * 0.25;
    const double left = s * 0.14, right = s * 0.86, top = s * 0.04, bottom = s * 0.96;
    QPolygonF sheet;
    sheet << QPointF(left, top) << QPointF(right - fold, top) << QPointF(right, top + fold)
          << QPointF(right, bottom) << QPointF(left, bottom);
    painter.setPen(QPen(QColor(96, 96, 96), std::max(1.0, s / 32.0)));
    painter.setBrush(Qt::white);
    painter.drawPolygon(sheet);
    QPolygonF corner;
    corner << QPointF(right - fold, top) << QPointF(right - fold, top + fold) << QPointF(right, top + fold);
    painter.setBrush(QColor(210, 210, 210));
    painter.drawPolygon(corner);

    // A board of four squares with the starting discs.
    const QRectF board(s * 0.24, s * 0.40, s * 0.52, s * 0.46);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 128, 0));
    painter.drawRect(board);
    const double r = board.width() * 0.19;
    const QPointF centre = board.center();
    const double dx = board.width() / 4, dy = board.height() / 4;
    painter.setPen(QPen(Qt::black, std::max(0.5, s / 64.0)));
    for (int i = 0; i < 4; ++i) {
        const bool white = i == 0 || i == 3;
        painter.setBrush(white ? Qt::white : Qt::black);
        painter.drawEllipse(QPointF(centre.x() + (i % 2 ? dx : -dx), centre.y() + (i / 2 ? dy : -dy)), r, r);
    }
    return image;
}

QImage DrawStyleTexture(const QString& style, int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    if (style == QStringLiteral("space"))
        DrawSpace(image);
    else if (style == QStringLiteral("wood"))
        DrawWood(image);
    else
        return QImage();
    return image;
}
