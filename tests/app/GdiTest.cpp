// The device context by its pixels: shapes, lines, text placement, origins, objects and
// their selection, copies from bitmaps and the double buffer on a HiDPI device.
#include "AppTestSupport.h"
#include "LinePixels.h"

#include "mfc/Gdi.h"

#include <QFontInfo>
#include <QImage>
#include <QPaintEvent>
#include <QPainter>
#include <QWidget>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 128, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

class Gdi : public ::testing::Test {
protected:
    void SetUp() override { TestHome(); }
};

// A white canvas of w x h (logical) pixels painted through a context.
QImage Draw(int w, int h, const std::function<void(CDC&)>& paint, qreal ratio = 1.0)
{
    QImage image(int(w * ratio), int(h * ratio), QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::white);
    QPainter painter(&image);
    {
        CDC dc(&painter);
        paint(dc);
    }
    painter.end();
    return image;
}

COLORREF At(const QImage& image, int x, int y)
{
    const QRgb p = image.pixel(x, y);
    return RGB(qRed(p), qGreen(p), qBlue(p));
}

// The smallest rectangle (right and bottom outside) holding every pixel that matches.
CRect Extent(const QImage& image, const std::function<bool(COLORREF)>& match)
{
    CRect r(image.width(), image.height(), 0, 0);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (match(At(image, x, y)))
                r = CRect(std::min(r.left, x), std::min(r.top, y), std::max(r.right, x + 1),
                          std::max(r.bottom, y + 1));
    return r;
}

CRect ExtentOf(const QImage& image, COLORREF colour)
{
    return Extent(image, [colour](COLORREF c) { return c == colour; });
}

CRect NotWhite(const QImage& image)
{
    return Extent(image, [](COLORREF c) { return c != kWhite; });
}

// The pixels of the colour.
std::set<std::pair<int, int>> PixelsOf(const QImage& image, COLORREF colour)
{
    std::set<std::pair<int, int>> pixels;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (At(image, x, y) == colour)
                pixels.emplace(x, y);
    return pixels;
}

int Count(const QImage& image, COLORREF colour)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += At(image, x, y) == colour;
    return n;
}

} // namespace

TEST(GdiGeometry, RectEdgesAndArithmetic)
{
    const CRect pane(390, 30, 595, 180);
    EXPECT_EQ(pane.Width(), 205);
    EXPECT_EQ(pane.Height(), 150);
    EXPECT_TRUE(pane.PtInRect(CPoint(390, 30)));   // left and top edges are in
    EXPECT_FALSE(pane.PtInRect(CPoint(595, 100))); // right edge out
    EXPECT_FALSE(pane.PtInRect(CPoint(400, 180))); // bottom edge out
    EXPECT_TRUE(pane.PtInRect(CPoint(594, 179)));

    CRect square(40, 80, 80, 120); // a 40-pixel board square: its mark
    const int d = square.Width() >> 3;
    const int e = square.Height() >> 3;
    square.DeflateRect(d, e, 6 * d, 6 * e);
    EXPECT_EQ(square, CRect(45, 85, 50, 90));

    CRect board(30, 30, 350, 350); // the board pane made a window rectangle, shrunk
    board.OffsetRect(CPoint(0, 0) + CPoint(5, -5));
    board.DeflateRect(1, 1);
    EXPECT_EQ(board, CRect(36, 26, 354, 344));
    board.InflateRect(1, 2);
    EXPECT_EQ(board.Size(), CSize(320, 322));

    // Qt's rectangles hold their right and bottom pixels; the conversions keep the area.
    EXPECT_EQ(ToQRect(CRect(391, 31, 594, 179)), QRect(391, 31, 203, 148));
    EXPECT_EQ(CRect(QRect(0, 0, 380, 380)), CRect(0, 0, 380, 380));
    EXPECT_TRUE(CRect(5, 5, 5, 9).IsRectEmpty());
}

TEST_F(Gdi, RectangleCoversLeftTopButNotRightBottom)
{
    CBrush green(kGreen);
    const QImage framed = Draw(40, 40, [&](CDC& dc) {
        dc.SelectObject(&green);
        dc.Rectangle(10, 10, 20, 16);
    });
    EXPECT_EQ(ExtentOf(framed, kBlack), CRect(10, 10, 20, 16)); // the default pen's frame
    EXPECT_EQ(ExtentOf(framed, kGreen), CRect(11, 11, 19, 15)); // the brush inside it
    EXPECT_EQ(Count(framed, kBlack), 2 * 10 + 2 * 4);

    const QImage noPen = Draw(40, 40, [&](CDC& dc) {
        dc.SelectStockObject(NULL_PEN);
        dc.SelectObject(&green);
        dc.Rectangle(CRect(10, 10, 20, 16));
    });
    EXPECT_EQ(NotWhite(noPen), CRect(10, 10, 20, 16));
    EXPECT_EQ(Count(noPen, kGreen), 10 * 6);

    const QImage hollow = Draw(40, 40, [&](CDC& dc) {
        dc.SelectStockObject(NULL_BRUSH);
        dc.Rectangle(10, 10, 20, 16);
    });
    EXPECT_EQ(At(hollow, 15, 13), kWhite);
    EXPECT_EQ(Count(hollow, kBlack), 2 * 10 + 2 * 4);
}

TEST_F(Gdi, EllipseStaysInsideItsRectangle)
{
    // A disc with its inner ring, as the game window draws them: 40 x 40 at (10, 10).
    const QImage disc = Draw(60, 60, [](CDC& dc) {
        dc.SelectStockObject(GRAY_BRUSH);
        dc.SelectStockObject(BLACK_PEN);
        dc.Ellipse(10, 10, 50, 50);
        dc.Ellipse(16, 16, 44, 44);
    });
    EXPECT_EQ(NotWhite(disc), CRect(10, 10, 50, 50));
    EXPECT_EQ(At(disc, 30, 10), kBlack); // the outline touches all four sides
    EXPECT_EQ(At(disc, 10, 30), kBlack);
    EXPECT_EQ(At(disc, 49, 30), kBlack);
    EXPECT_EQ(At(disc, 30, 49), kBlack);
    EXPECT_EQ(At(disc, 30, 16), kBlack); // the inner ring
    EXPECT_EQ(At(disc, 43, 30), kBlack);
    EXPECT_EQ(At(disc, 30, 13), RGB(128, 128, 128));
    EXPECT_EQ(At(disc, 30, 30), RGB(128, 128, 128));
    EXPECT_EQ(At(disc, 10, 10), kWhite); // the corners stay out

    const QImage filled = Draw(60, 60, [](CDC& dc) {
        dc.SelectStockObject(NULL_PEN);
        dc.SelectStockObject(BLACK_BRUSH);
        dc.Ellipse(10, 10, 50, 50);
    });
    EXPECT_EQ(NotWhite(filled), CRect(10, 10, 50, 50));

    const QImage ring = Draw(60, 60, [](CDC& dc) {
        CPen pen(PS_SOLID, 1, kRed);
        dc.SelectObject(&pen);
        dc.SelectStockObject(HOLLOW_BRUSH);
        dc.Ellipse(20, 20, 30, 30); // a legal-move mark's 10 x 10 box
    });
    EXPECT_EQ(NotWhite(ring), CRect(20, 20, 30, 30));
    EXPECT_EQ(At(ring, 25, 25), kWhite);
}

TEST_F(Gdi, LinesLeaveOutTheirEndPoint)
{
    const QImage lines = Draw(40, 40, [](CDC& dc) {
        dc.MoveTo(5, 5);
        dc.LineTo(15, 5); // to the right
        dc.MoveTo(15, 8);
        dc.LineTo(5, 8); // to the left
        dc.MoveTo(30, 5);
        dc.LineTo(30, 15); // down
        dc.MoveTo(33, 15);
        dc.LineTo(33, 5); // up
    });
    EXPECT_EQ(At(lines, 5, 5), kBlack);
    EXPECT_EQ(At(lines, 14, 5), kBlack);
    EXPECT_EQ(At(lines, 15, 5), kWhite);
    EXPECT_EQ(At(lines, 15, 8), kBlack);
    EXPECT_EQ(At(lines, 6, 8), kBlack);
    EXPECT_EQ(At(lines, 5, 8), kWhite);
    EXPECT_EQ(At(lines, 30, 14), kBlack);
    EXPECT_EQ(At(lines, 30, 15), kWhite);
    EXPECT_EQ(At(lines, 33, 6), kBlack);
    EXPECT_EQ(At(lines, 33, 5), kWhite);
    EXPECT_EQ(Count(lines, kBlack), 40);

    // The cross of a legal-move mark in its 10 x 10 box (10, 10, 20, 20).
    const QImage cross = Draw(40, 40, [](CDC& dc) {
        CPen pen(PS_SOLID, 1, kRed);
        dc.SelectObject(&pen);
        dc.MoveTo(11, 11);
        dc.LineTo(20, 20);
        dc.MoveTo(11, 19);
        dc.LineTo(20, 10);
    });
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(At(cross, 11 + i, 11 + i), kRed) << i;
        EXPECT_EQ(At(cross, 11 + i, 19 - i), kRed) << i;
    }
    EXPECT_EQ(At(cross, 20, 20), kWhite);
    EXPECT_EQ(At(cross, 20, 10), kWhite);
    EXPECT_EQ(Count(cross, kRed), 17); // the two share their middle pixel

    CPoint before;
    const QImage none = Draw(40, 40, [&](CDC& dc) {
        dc.SelectStockObject(NULL_PEN);
        dc.MoveTo(1, 1);
        dc.LineTo(30, 30);
        before = dc.MoveTo(0, 0);
    });
    EXPECT_EQ(NotWhite(none), CRect(40, 40, 0, 0));
    EXPECT_EQ(before, CPoint(30, 30)); // the null pen still moves the position
}

TEST_F(Gdi, SlantedLinesLightTheNearestPixels)
{
    // Every line from the middle of the canvas to a point up to 11 pixels away each way,
    // in all eight directions.
    const QPoint from(12, 12);
    std::vector<std::string> wrong;
    for (int dx = -11; dx <= 11; ++dx)
        for (int dy = -11; dy <= 11; ++dy) {
            const QPoint to = from + QPoint(dx, dy);
            const QImage line = Draw(25, 25, [&](CDC& dc) {
                dc.MoveTo(from.x(), from.y());
                dc.LineTo(to.x(), to.y());
            });
            if (PixelsOf(line, kBlack) != LinePixels(from, to))
                wrong.push_back(std::to_string(dx) + "," + std::to_string(dy));
        }
    EXPECT_EQ(wrong, std::vector<std::string>{});

    // Two lines midway between pixels, each both ways: the pixel towards the end point.
    using Pixels = std::set<std::pair<int, int>>;
    for (const bool back : {false, true}) {
        const QImage flat = Draw(10, 10, [back](CDC& dc) {
            dc.MoveTo(back ? 5 : 1, back ? 3 : 2);
            dc.LineTo(back ? 1 : 5, back ? 2 : 3);
        });
        EXPECT_EQ(PixelsOf(flat, kBlack), back ? (Pixels{{5, 3}, {4, 3}, {3, 2}, {2, 2}})
                                                : (Pixels{{1, 2}, {2, 2}, {3, 3}, {4, 3}}));
        const QImage steep = Draw(10, 10, [back](CDC& dc) {
            dc.MoveTo(back ? 3 : 2, back ? 5 : 1);
            dc.LineTo(back ? 2 : 3, back ? 1 : 5);
        });
        EXPECT_EQ(PixelsOf(steep, kBlack), back ? (Pixels{{3, 5}, {3, 4}, {2, 3}, {2, 2}})
                                                 : (Pixels{{2, 1}, {2, 2}, {3, 3}, {3, 4}}));
    }
}

TEST_F(Gdi, TextCellIsPlacedByTheAlignment)
{
    CFont font;
    ASSERT_TRUE(font.CreatePointFont(160, "Arial"));
    CSize cell;
    TEXTMETRIC tm;
    // Drawn with the origin at (40, 40), so that negative coordinates show.
    const auto text = [&](UINT align, int x, int y, const std::string& s = "A") {
        return Draw(120, 120, [&](CDC& dc) {
            dc.SelectObject(&font);
            dc.SetViewportOrg(40, 40);
            dc.SetBkColor(kRed);
            dc.SetTextAlign(align);
            dc.TextOut(x, y, s);
            cell = dc.GetTextExtent(s);
            dc.GetTextMetrics(&tm);
        });
    };
    // The column letters above the board: centred, bottom edge at -1.
    for (const char* letter : {"A", "B", "C", "D", "E", "F", "G", "H"}) {
        const QImage above = text(TA_CENTER | TA_BOTTOM, 20, -1, letter);
        const int left = 40 + 20 - cell.cx / 2;
        EXPECT_EQ(ExtentOf(above, kRed), CRect(left, 39 - cell.cy, left + cell.cx, 39)) << letter;
        EXPECT_EQ(NotWhite(above).bottom, 39);
        EXPECT_GT(Count(above, kBlack), 0);
    }
    // The row numbers left of the board: right edge at -3.
    const QImage left = text(TA_RIGHT | TA_TOP, -3, 10);
    EXPECT_EQ(ExtentOf(left, kRed), CRect(37 - cell.cx, 50, 37, 50 + cell.cy));
    // Below and right of it: top and left edges on the point.
    const QImage below = text(TA_LEFT | TA_TOP, 0, 3);
    EXPECT_EQ(ExtentOf(below, kRed), CRect(40, 43, 40 + cell.cx, 43 + cell.cy));
    const QImage baseline = text(TA_LEFT | TA_BASELINE, 0, 20);
    EXPECT_EQ(ExtentOf(baseline, kRed), CRect(40, 60 - tm.tmAscent, 40 + cell.cx, 60 + tm.tmDescent));
}

TEST_F(Gdi, OpaqueFillsTheCellTransparentDoesNot)
{
    const auto text = [](int mode) {
        return Draw(100, 40, [mode](CDC& dc) {
            dc.SetBkMode(mode);
            dc.SetBkColor(kRed);
            dc.SetTextColor(kBlue);
            dc.TextOut(5, 5, std::string("Game adjourned"));
        });
    };
    const QImage opaque = text(OPAQUE);
    const QImage transparent = text(TRANSPARENT);
    EXPECT_EQ(At(opaque, 5, 5), kRed);
    EXPECT_GT(Count(opaque, kBlue), 0);
    EXPECT_EQ(Count(transparent, kRed), 0);
    EXPECT_GT(Count(transparent, kBlue), 0);
    EXPECT_EQ(At(transparent, 5, 5), kWhite);
}

TEST_F(Gdi, PointFontsHaveFixedPixelSizes)
{
    const auto pixels = [](int tenths, const char* face) {
        CFont font;
        EXPECT_TRUE(font.CreatePointFont(tenths, face));
        return QFontInfo(font.GetQFont()).pixelSize();
    };
    EXPECT_EQ(pixels(90, "Arial"), 12);
    EXPECT_EQ(pixels(120, "Arial"), 16);
    EXPECT_EQ(pixels(160, "Arial"), 21);
    EXPECT_EQ(pixels(80, "MS Sans Serif"), 11);
    EXPECT_EQ(pixels(120, "No Such Face At All"), 16);

    CFont font;
    EXPECT_FALSE(font.CreatePointFont(0, "Arial"));
    ASSERT_TRUE(font.CreatePointFont(120, "Arial"));
    Draw(10, 10, [&](CDC& dc) {
        dc.SelectObject(&font);
        TEXTMETRIC tm;
        ASSERT_TRUE(dc.GetTextMetrics(&tm));
        EXPECT_EQ(tm.tmHeight, tm.tmAscent + tm.tmDescent);
        EXPECT_EQ(tm.tmInternalLeading, tm.tmHeight - 16);
        EXPECT_GT(tm.tmAscent - tm.tmInternalLeading, 8); // the row height of the info panes
        EXPECT_EQ(dc.GetTextExtent(std::string("15:05 wup")).cy, tm.tmHeight);
    });
    EXPECT_TRUE(font.DeleteObject());
    EXPECT_FALSE(font.IsCreated());
}

TEST_F(Gdi, ViewportOriginOffsetsLaterDrawing)
{
    CPoint first;
    CPoint second;
    const QImage image = Draw(60, 60, [&](CDC& dc) {
        first = dc.SetViewportOrg(30, 40);
        dc.FillSolidRect(0, 0, 5, 5, kRed);
        dc.MoveTo(-10, 0);
        dc.LineTo(-5, 0);
        second = dc.SetViewportOrg(CPoint(0, 0));
        dc.FillSolidRect(0, 0, 2, 2, kBlue);
    });
    EXPECT_EQ(first, CPoint(0, 0));
    EXPECT_EQ(second, CPoint(30, 40));
    EXPECT_EQ(ExtentOf(image, kRed), CRect(30, 40, 35, 45));
    EXPECT_EQ(ExtentOf(image, kBlack), CRect(20, 40, 25, 41));
    EXPECT_EQ(ExtentOf(image, kBlue), CRect(0, 0, 2, 2));

    // On a scaled painter (a printer) the origin is in logical pixels as well.
    QImage page(40, 40, QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter painter(&page);
    painter.scale(2, 2);
    {
        CDC dc(&painter, TRUE);
        EXPECT_TRUE(dc.IsPrinting());
        dc.SetViewportOrg(10, 5);
        dc.FillSolidRect(0, 0, 1, 1, kRed);
    }
    painter.end();
    EXPECT_EQ(ExtentOf(page, kRed), CRect(20, 10, 22, 12));
}

TEST_F(Gdi, FillSolidRectFillsExactlyAndSetsTheBackground)
{
    COLORREF background = 0;
    const QImage image = Draw(40, 40, [&](CDC& dc) {
        dc.FillSolidRect(CRect(3, 4, 13, 9), kGreen);
        background = dc.GetBkColor();
    });
    EXPECT_EQ(background, kGreen);
    EXPECT_EQ(ExtentOf(image, kGreen), CRect(3, 4, 13, 9));
    EXPECT_EQ(Count(image, kGreen), 50);
}

TEST_F(Gdi, StockObjectsHaveTheirColours)
{
    const auto fill = [](int brush) {
        return At(Draw(10, 10, [brush](CDC& dc) {
                      dc.FillSolidRect(0, 0, 10, 10, kBlue);
                      dc.SelectStockObject(brush);
                      dc.Rectangle(0, 0, 10, 10);
                  }),
                  5, 5);
    };
    EXPECT_EQ(fill(BLACK_BRUSH), kBlack);
    EXPECT_EQ(fill(WHITE_BRUSH), kWhite);
    EXPECT_EQ(fill(GRAY_BRUSH), RGB(128, 128, 128));
    EXPECT_EQ(fill(NULL_BRUSH), kBlue);

    const auto frame = [](int pen) {
        return At(Draw(10, 10, [pen](CDC& dc) {
                      dc.FillSolidRect(0, 0, 10, 10, kBlue);
                      dc.SelectStockObject(pen);
                      dc.SelectStockObject(NULL_BRUSH);
                      dc.Rectangle(0, 0, 10, 10);
                  }),
                  0, 0);
    };
    EXPECT_EQ(frame(BLACK_PEN), kBlack);
    EXPECT_EQ(frame(WHITE_PEN), kWhite);
    EXPECT_EQ(frame(NULL_PEN), kBlue);

    EXPECT_EQ(GetStockObject(3), nullptr);
    EXPECT_FALSE(GetStockObject(BLACK_BRUSH)->DeleteObject()); // stock objects stay
    EXPECT_EQ(fill(BLACK_BRUSH), kBlack);
}

TEST_F(Gdi, SelectionReturnsThePreviousObject)
{
    CPen red(PS_SOLID, 1, kRed);
    CBrush green(kGreen);
    CFont font;
    font.CreatePointFont(90, "Arial");
    CPen unmade;
    const QImage image = Draw(40, 40, [&](CDC& dc) {
        EXPECT_EQ(dc.SelectObject(&red), GetStockObject(BLACK_PEN));
        EXPECT_EQ(dc.SelectObject(&unmade), nullptr); // changes nothing
        EXPECT_EQ(dc.SelectObject(&red), &red);
        CGdiObject* oldBrush = dc.SelectStockObject(NULL_BRUSH);
        EXPECT_EQ(oldBrush, GetStockObject(WHITE_BRUSH));
        EXPECT_EQ(dc.SelectObject(&green), GetStockObject(NULL_BRUSH));
        CFont* oldFont = dc.SelectObject(&font);
        ASSERT_NE(oldFont, nullptr);
        EXPECT_EQ(dc.SelectObject(oldFont), &font);
        dc.Rectangle(0, 0, 10, 10); // red frame, green inside

        // Putting back what a stock selection returned, by its kind.
        CGdiObject* pen = dc.SelectStockObject(WHITE_PEN);
        EXPECT_EQ(pen, &red);
        EXPECT_EQ(dc.SelectObject(pen), GetStockObject(WHITE_PEN));
        dc.SelectObject(oldBrush);
        dc.Rectangle(20, 0, 30, 10); // red frame, white inside

        CBitmap bitmap;
        EXPECT_EQ(dc.SelectObject(&bitmap), nullptr); // no bitmaps in a window's context
    });
    EXPECT_EQ(At(image, 0, 0), kRed);
    EXPECT_EQ(At(image, 5, 5), kGreen);
    EXPECT_EQ(At(image, 20, 0), kRed);
    EXPECT_EQ(At(image, 25, 5), kWhite);

    // A pen destroyed while selected: the context draws on with its colour.
    const QImage after = Draw(20, 20, [](CDC& dc) {
        {
            auto pen = std::make_unique<CPen>(PS_SOLID, 1, kBlue);
            dc.SelectObject(pen.get());
        }
        dc.MoveTo(0, 0);
        dc.LineTo(10, 0);
    });
    EXPECT_EQ(At(after, 5, 0), kBlue);
}

TEST_F(Gdi, BitBltCopiesFromTheSameCoordinates)
{
    // A texture whose every pixel tells its coordinates.
    QImage picture(100, 100, QImage::Format_RGB32);
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x)
            picture.setPixel(x, y, qRgb(x, y, 7));
    CBitmap texture;
    ASSERT_TRUE(texture.Attach(picture));

    const QImage image = Draw(120, 120, [&](CDC& dc) {
        dc.FillSolidRect(0, 0, 120, 120, kBlue);
        CDC memDC;
        ASSERT_TRUE(memDC.CreateCompatibleDC(&dc));
        CBitmap* old = memDC.SelectObject(&texture);
        ASSERT_NE(old, nullptr);
        EXPECT_TRUE(dc.BitBlt(20, 30, 10, 10, &memDC, 20, 30, SRCCOPY));
        // Past the texture's end the area keeps its colour; nothing is stretched.
        EXPECT_TRUE(dc.BitBlt(90, 95, 20, 20, &memDC, 90, 95, SRCCOPY));

        CDC other;
        other.CreateCompatibleDC(&dc);
        EXPECT_EQ(other.SelectObject(&texture), nullptr); // one context at a time
        EXPECT_EQ(memDC.SelectObject(old), &texture);
        EXPECT_EQ(other.SelectObject(&texture), old);
        other.SelectObject(old);
    });
    EXPECT_EQ(At(image, 20, 30), RGB(20, 30, 7));
    EXPECT_EQ(At(image, 29, 39), RGB(29, 39, 7));
    EXPECT_EQ(At(image, 30, 30), kBlue);
    EXPECT_EQ(At(image, 19, 30), kBlue);
    EXPECT_EQ(At(image, 99, 99), RGB(99, 99, 7));
    EXPECT_EQ(At(image, 100, 99), kBlue);
    EXPECT_EQ(At(image, 99, 100), kBlue);
    EXPECT_EQ(Count(image, kBlue), 120 * 120 - 100 - 10 * 5);
    EXPECT_EQ(texture.GetImage(), picture); // only read
}

TEST_F(Gdi, DoubleBufferOnAHiDpiDeviceStaysSharp)
{
    QSize bufferSize;
    const QImage screen = Draw(
        100, 100,
        [&](CDC& dc) {
            EXPECT_EQ(dc.GetDevicePixelRatio(), 2.0);
            CDC memDC;
            CBitmap buffer;
            ASSERT_TRUE(memDC.CreateCompatibleDC(&dc));
            ASSERT_TRUE(buffer.CreateCompatibleBitmap(&dc, 100, 100));
            bufferSize = buffer.GetSize();
            CBitmap* old = memDC.SelectObject(&buffer);
            memDC.FillSolidRect(0, 0, 100, 100, kWhite);
            memDC.SetViewportOrg(10, 10);
            memDC.MoveTo(0, 0);
            memDC.LineTo(50, 0);
            memDC.SelectStockObject(BLACK_BRUSH);
            memDC.Ellipse(20, 20, 60, 60);
            memDC.SetViewportOrg(0, 0);
            dc.BitBlt(0, 0, 100, 100, &memDC, 0, 0, SRCCOPY);
            memDC.SelectObject(old);
        },
        2.0);
    EXPECT_EQ(bufferSize, QSize(200, 200));
    // The line at logical y = 10 is device rows 20 and 21, nothing else.
    EXPECT_EQ(At(screen, 20, 19), kWhite);
    EXPECT_EQ(At(screen, 20, 20), kBlack);
    EXPECT_EQ(At(screen, 21, 21), kBlack);
    EXPECT_EQ(At(screen, 20, 22), kWhite);
    EXPECT_EQ(At(screen, 119, 20), kBlack);
    EXPECT_EQ(At(screen, 120, 20), kWhite);
    // The disc covers logical 30..69, device 60..139.
    EXPECT_EQ(ExtentOf(screen, kBlack), CRect(20, 20, 140, 140));
    // Sharp: every pixel is black or white, no blending.
    EXPECT_EQ(Count(screen, kBlack) + Count(screen, kWhite), 200 * 200);
}

TEST_F(Gdi, MemoryContextAndItsBitmap)
{
    CDC memDC;
    EXPECT_FALSE(memDC.Rectangle(0, 0, 5, 5)); // nothing to draw on yet
    ASSERT_TRUE(memDC.CreateCompatibleDC(nullptr));
    EXPECT_FALSE(memDC.Rectangle(0, 0, 5, 5));
    CBitmap empty;
    EXPECT_EQ(memDC.SelectObject(&empty), nullptr);
    EXPECT_FALSE(empty.CreateCompatibleBitmap(&memDC, 0, 10));

    auto buffer = std::make_unique<CBitmap>();
    ASSERT_TRUE(buffer->CreateCompatibleBitmap(&memDC, 8, 8));
    ASSERT_NE(memDC.SelectObject(buffer.get()), nullptr);
    memDC.FillSolidRect(0, 0, 8, 8, kRed);
    EXPECT_FALSE(buffer->DeleteObject()); // not while selected
    EXPECT_FALSE(buffer->Attach(QImage(2, 2, QImage::Format_RGB32)));
    EXPECT_EQ(At(buffer->GetImage(), 7, 7), kRed);
    buffer.reset(); // destroyed while selected: the context draws nothing more
    EXPECT_FALSE(memDC.Rectangle(0, 0, 5, 5));
    EXPECT_TRUE(memDC.DeleteDC());
}

TEST_F(Gdi, ClipRectangleStaysWhereItWasSet)
{
    int region = 0;
    int nothing = 0;
    const QImage image = Draw(40, 40, [&](CDC& dc) {
        dc.SetViewportOrg(5, 5);
        region = dc.IntersectClipRect(CRect(0, 0, 10, 10));
        dc.SetViewportOrg(0, 0);
        dc.FillSolidRect(0, 0, 40, 40, kRed);
        nothing = dc.IntersectClipRect(CRect(30, 30, 40, 40));
        dc.FillSolidRect(0, 0, 40, 40, kBlue);
    });
    EXPECT_EQ(region, SIMPLEREGION);
    EXPECT_EQ(nothing, NULLREGION);
    EXPECT_EQ(ExtentOf(image, kRed), CRect(5, 5, 15, 15));
    EXPECT_EQ(Count(image, kBlue), 0);
}

TEST_F(Gdi, InvalidateRectRepaintsThatPart)
{
    class PaintRecorder : public QWidget {
    public:
        QRegion painted;

    protected:
        void paintEvent(QPaintEvent* event) override { painted += event->region(); }
    };
    PaintRecorder window;
    window.resize(600, 440);
    window.show();
    ASSERT_TRUE(ProcessEventsUntil([&] { return !window.painted.isEmpty(); }));
    window.painted = QRegion();

    const CRect list(391, 31, 594, 179);
    InvalidateRect(&window, &list, FALSE);
    ASSERT_TRUE(ProcessEventsUntil([&] { return !window.painted.isEmpty(); }));
    EXPECT_EQ(window.painted, QRegion(391, 31, 203, 148));

    window.painted = QRegion();
    InvalidateRect(&window, nullptr);
    ASSERT_TRUE(ProcessEventsUntil([&] { return !window.painted.isEmpty(); }));
    EXPECT_EQ(window.painted, QRegion(0, 0, 600, 440));
}
