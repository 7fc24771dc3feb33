#include "Gdi.h"

#include <QFontInfo>
#include <QPainter>
#include <QPaintDevice>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <initializer_list>
#include <utility>

std::ostream& operator<<(std::ostream& out, const CPoint& p)
{
    return out << '(' << p.x << ", " << p.y << ')';
}

std::ostream& operator<<(std::ostream& out, const CSize& s)
{
    return out << s.cx << " x " << s.cy;
}

std::ostream& operator<<(std::ostream& out, const CRect& r)
{
    return out << '(' << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ')';
}

void InvalidateRect(QWidget* window, const CRect* rect, BOOL erase)
{
    (void)erase;
    if (!window)
        return;
    if (rect)
        window->update(ToQRect(*rect));
    else
        window->update();
}

// The objects of the run that every context shares: the stock pens and brushes, and
// what a fresh context holds before anything is selected.
class CStockObjects {
public:
    static CStockObjects& Get()
    {
        static CStockObjects objects;
        return objects;
    }
    CGdiObject* ByIndex(int index)
    {
        switch (index) {
        case WHITE_BRUSH: return &whiteBrush;
        case GRAY_BRUSH: return &grayBrush;
        case BLACK_BRUSH: return &blackBrush;
        case NULL_BRUSH: return &nullBrush;
        case WHITE_PEN: return &whitePen;
        case BLACK_PEN: return &blackPen;
        case NULL_PEN: return &nullPen;
        default: return nullptr;
        }
    }

    CBrush whiteBrush{RGB(255, 255, 255)};
    CBrush grayBrush{RGB(128, 128, 128)};
    CBrush blackBrush{RGB(0, 0, 0)};
    CBrush nullBrush;
    CPen whitePen{PS_SOLID, 1, RGB(255, 255, 255)};
    CPen blackPen{PS_SOLID, 1, RGB(0, 0, 0)};
    CPen nullPen{PS_NULL, 1, RGB(0, 0, 0)};
    // The application's font.
    CFont systemFont;
    // The 1 x 1 bitmap of a fresh memory context; nothing is ever drawn into it.
    CBitmap defaultBitmap;

private:
    CStockObjects()
    {
        nullBrush.m_bNull = true;
        nullBrush.m_bCreated = true;
        systemFont.m_bCreated = true;
        defaultBitmap.m_image = QImage(1, 1, QImage::Format_RGB32);
        defaultBitmap.m_image.fill(Qt::black);
        defaultBitmap.m_bCreated = true;
        for (CGdiObject* object : std::initializer_list<CGdiObject*>{
                 &whiteBrush, &grayBrush, &blackBrush, &nullBrush, &whitePen, &blackPen, &nullPen,
                 &systemFont, &defaultBitmap})
            object->m_bStock = true;
    }
};

CGdiObject* GetStockObject(int index)
{
    return CStockObjects::Get().ByIndex(index);
}

BOOL CGdiObject::DeleteObject()
{
    if (m_bStock || !m_bCreated)
        return FALSE;
    m_bCreated = false;
    return TRUE;
}

BOOL CPen::CreatePen(int style, int width, COLORREF colour)
{
    ASSERT(!m_bCreated);
    if (style != PS_SOLID && style != PS_NULL)
        return FALSE;
    m_nStyle = style;
    m_nWidth = std::max(width, 1);
    m_crColor = colour;
    m_bCreated = true;
    return TRUE;
}

BOOL CBrush::CreateSolidBrush(COLORREF colour)
{
    ASSERT(!m_bCreated);
    m_bNull = false;
    m_crColor = colour;
    m_bCreated = true;
    return TRUE;
}

BOOL CFont::CreatePointFont(int pointSize, const char* faceName, CDC* dc)
{
    (void)dc;
    ASSERT(!m_bCreated);
    if (pointSize <= 0)
        return FALSE;
    QFont font;
    if (faceName && *faceName)
        font.setFamily(QString::fromLatin1(faceName));
    // Where the face is missing, the font matching falls back to a sans-serif one;
    // the size is set in pixels and so never depends on the face or the screen.
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize((pointSize * 96 + 360) / 720);
    m_font = font;
    m_bCreated = true;
    return TRUE;
}

BOOL CFont::DeleteObject()
{
    if (!CGdiObject::DeleteObject())
        return FALSE;
    m_font.reset();
    return TRUE;
}

QFont CFont::GetQFont() const
{
    return m_font ? *m_font : QFont();
}

CBitmap::~CBitmap()
{
    if (m_pSelectedIn) {
        // Its context must not go on drawing into a picture that is gone.
        CDC* dc = m_pSelectedIn;
        dc->EndOwnPainter();
        dc->m_pBitmap = &CStockObjects::Get().defaultBitmap;
        m_pSelectedIn = nullptr;
    }
}

BOOL CBitmap::Attach(QImage image)
{
    ASSERT(!m_pSelectedIn);
    if (m_pSelectedIn)
        return FALSE;
    m_image = std::move(image);
    m_bCreated = !m_image.isNull();
    return m_bCreated;
}

BOOL CBitmap::CreateCompatibleBitmap(CDC* dc, int width, int height)
{
    if (width < 1 || height < 1)
        return FALSE;
    const qreal ratio = dc ? dc->GetDevicePixelRatio() : 1.0;
    QImage image(int(std::ceil(width * ratio)), int(std::ceil(height * ratio)), QImage::Format_RGB32);
    if (image.isNull())
        return FALSE;
    image.fill(Qt::black);
    image.setDevicePixelRatio(ratio);
    return Attach(std::move(image));
}

BOOL CBitmap::DeleteObject()
{
    ASSERT(!m_pSelectedIn);
    if (m_pSelectedIn || !CGdiObject::DeleteObject())
        return FALSE;
    m_image = QImage();
    return TRUE;
}

CDC::CDC()
    : m_pPen(&CStockObjects::Get().blackPen), m_pBrush(&CStockObjects::Get().whiteBrush),
      m_pFont(&CStockObjects::Get().systemFont), m_pBitmap(&CStockObjects::Get().defaultBitmap)
{
}

CDC::CDC(QPainter* painter, BOOL printing) : CDC()
{
    m_bPrinting = printing;
    if (painter && painter->isActive()) {
        m_pPainter = painter;
        m_pPainter->save();
        m_pPainter->setRenderHint(QPainter::Antialiasing, false);
        m_baseTransform = m_pPainter->worldTransform();
    }
}

CDC::~CDC()
{
    if (m_bMemory)
        DeleteDC();
    else if (m_pPainter)
        m_pPainter->restore();
}

BOOL CDC::CreateCompatibleDC(CDC* dc)
{
    if (m_pPainter && !m_bMemory)
        return FALSE;
    m_bMemory = true;
    m_dprCompatible = dc ? dc->GetDevicePixelRatio() : 1.0;
    return TRUE;
}

BOOL CDC::DeleteDC()
{
    if (!m_bMemory)
        return FALSE;
    EndOwnPainter();
    if (m_pBitmap->m_pSelectedIn == this)
        m_pBitmap->m_pSelectedIn = nullptr;
    m_pBitmap = &CStockObjects::Get().defaultBitmap;
    m_bMemory = false;
    return TRUE;
}

qreal CDC::GetDevicePixelRatio() const
{
    if (m_pPainter)
        return m_pPainter->device()->devicePixelRatio();
    if (m_pBitmap->m_pSelectedIn == this)
        return m_pBitmap->m_image.devicePixelRatio();
    return m_dprCompatible;
}

QPainter* CDC::Painter()
{
    if (m_pPainter || !m_bMemory || m_pBitmap->m_pSelectedIn != this)
        return m_pPainter;
    m_ownPainter = std::make_unique<QPainter>();
    if (!m_ownPainter->begin(&m_pBitmap->m_image)) {
        m_ownPainter.reset();
        return nullptr;
    }
    m_pPainter = m_ownPainter.get();
    m_baseTransform = m_pPainter->worldTransform();
    ApplyViewportOrg();
    return m_pPainter;
}

void CDC::EndOwnPainter()
{
    if (!m_ownPainter)
        return;
    m_ownPainter->end();
    m_ownPainter.reset();
    m_pPainter = nullptr;
}

void CDC::ApplyViewportOrg()
{
    if (m_pPainter)
        m_pPainter->setWorldTransform(QTransform::fromTranslate(m_ptViewportOrg.x, m_ptViewportOrg.y) *
                                      m_baseTransform);
}

CPen* CDC::SelectObject(CPen* pen)
{
    if (!pen || !pen->IsCreated())
        return nullptr;
    m_bPenNull = pen->IsNull();
    m_nPenWidth = pen->GetWidth();
    m_crPen = pen->GetColor();
    return std::exchange(m_pPen, pen);
}

CBrush* CDC::SelectObject(CBrush* brush)
{
    if (!brush || !brush->IsCreated())
        return nullptr;
    m_bBrushNull = brush->IsNull();
    m_crBrush = brush->GetColor();
    return std::exchange(m_pBrush, brush);
}

CFont* CDC::SelectObject(CFont* font)
{
    if (!font || !font->IsCreated())
        return nullptr;
    m_font = font->GetQFont();
    return std::exchange(m_pFont, font);
}

CBitmap* CDC::SelectObject(CBitmap* bitmap)
{
    if (!m_bMemory || !bitmap || !bitmap->IsCreated())
        return nullptr;
    if (bitmap == m_pBitmap)
        return bitmap;
    if (bitmap->m_pSelectedIn)
        return nullptr;
    EndOwnPainter();
    CBitmap* old = m_pBitmap;
    if (old->m_pSelectedIn == this)
        old->m_pSelectedIn = nullptr;
    m_pBitmap = bitmap;
    // The stock bitmap is shared by every memory context and never drawn into.
    if (bitmap != &CStockObjects::Get().defaultBitmap)
        bitmap->m_pSelectedIn = this;
    return old;
}

CGdiObject* CDC::SelectObject(CGdiObject* object)
{
    if (!object)
        return nullptr;
    switch (object->GetKind()) {
    case CGdiObject::Kind::pen: return SelectObject(static_cast<CPen*>(object));
    case CGdiObject::Kind::brush: return SelectObject(static_cast<CBrush*>(object));
    case CGdiObject::Kind::font: return SelectObject(static_cast<CFont*>(object));
    case CGdiObject::Kind::bitmap: return SelectObject(static_cast<CBitmap*>(object));
    }
    return nullptr;
}

CGdiObject* CDC::SelectStockObject(int index)
{
    CGdiObject* object = GetStockObject(index);
    ASSERT(object != nullptr);
    return SelectObject(object);
}

COLORREF CDC::SetTextColor(COLORREF colour)
{
    return std::exchange(m_crText, colour);
}

COLORREF CDC::SetBkColor(COLORREF colour)
{
    return std::exchange(m_crBk, colour);
}

int CDC::SetBkMode(int mode)
{
    ASSERT(mode == OPAQUE || mode == TRANSPARENT);
    if (mode != OPAQUE && mode != TRANSPARENT)
        return 0;
    return std::exchange(m_nBkMode, mode);
}

UINT CDC::SetTextAlign(UINT flags)
{
    return std::exchange(m_nTextAlign, flags);
}

CPoint CDC::SetViewportOrg(int x, int y)
{
    const CPoint old = std::exchange(m_ptViewportOrg, CPoint(x, y));
    ApplyViewportOrg();
    return old;
}

int CDC::IntersectClipRect(const CRect& rect)
{
    QPainter* painter = Painter();
    if (!painter)
        return 0;
    // Qt keeps the clip in device coordinates: the origins set later do not move it.
    painter->setClipRect(ToQRect(rect), painter->hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
    return painter->clipBoundingRect().isEmpty() ? NULLREGION : SIMPLEREGION;
}

void CDC::Fill(const QRect& rect, COLORREF colour)
{
    if (QPainter* painter = Painter(); painter && rect.isValid())
        painter->fillRect(rect, ToQColor(colour));
}

void CDC::FillSolidRect(const CRect& rect, COLORREF colour)
{
    m_crBk = colour;
    Fill(ToQRect(rect), colour);
}

void CDC::FillSolidRect(int x, int y, int cx, int cy, COLORREF colour)
{
    FillSolidRect(CRect(x, y, x + cx, y + cy), colour);
}

BOOL CDC::Rectangle(int left, int top, int right, int bottom)
{
    if (!Painter())
        return FALSE;
    if (right < left)
        std::swap(left, right);
    if (bottom < top)
        std::swap(top, bottom);
    const QRect area(left, top, right - left, bottom - top);
    if (m_bPenNull) {
        if (!m_bBrushNull)
            Fill(area, m_crBrush);
        return TRUE;
    }
    // The pen's frame lies inside the rectangle, the brush fills what it leaves.
    const int w = m_nPenWidth;
    if (!m_bBrushNull)
        Fill(area.adjusted(w, w, -w, -w), m_crBrush);
    if (area.width() <= 2 * w || area.height() <= 2 * w) {
        Fill(area, m_crPen);
        return TRUE;
    }
    Fill(QRect(left, top, area.width(), w), m_crPen);
    Fill(QRect(left, bottom - w, area.width(), w), m_crPen);
    Fill(QRect(left, top + w, w, area.height() - 2 * w), m_crPen);
    Fill(QRect(right - w, top + w, w, area.height() - 2 * w), m_crPen);
    return TRUE;
}

BOOL CDC::Ellipse(int left, int top, int right, int bottom)
{
    QPainter* painter = Painter();
    if (!painter)
        return FALSE;
    if (right < left)
        std::swap(left, right);
    if (bottom < top)
        std::swap(top, bottom);
    if (right == left || bottom == top)
        return TRUE;
    if (m_bPenNull && m_bBrushNull)
        return TRUE;
    // The outline is stroked in whole device pixels. An aliased stroke n pixels wide
    // covers n / 2 pixels before its path and the rest from the path on, so the path
    // runs that far inside the edges for the outline to cover exactly l..r-1 on any
    // device. Without a pen the brush's colour draws it, so the fill covers the same.
    const qreal scale = painter->deviceTransform().m11();
    const int stroke = std::max(1, int(std::lround((m_bPenNull ? 1 : m_nPenWidth) * scale)));
    const qreal before = (stroke / 2) / scale;
    const qreal after = (stroke - stroke / 2) / scale;
    painter->setPen(QPen(ToQColor(m_bPenNull ? m_crBrush : m_crPen), stroke / scale));
    painter->setBrush(m_bBrushNull ? QBrush(Qt::NoBrush) : QBrush(ToQColor(m_crBrush)));
    painter->drawEllipse(QRectF(left + before, top + before, right - left - before - after,
                                bottom - top - before - after));
    return TRUE;
}

CPoint CDC::MoveTo(int x, int y)
{
    return std::exchange(m_ptCurrent, CPoint(x, y));
}

void CDC::Plot(int x, int y)
{
    const int w = m_nPenWidth;
    Fill(QRect(x - (w - 1) / 2, y - (w - 1) / 2, w, w), m_crPen);
}

BOOL CDC::LineTo(int x, int y)
{
    const CPoint from = MoveTo(x, y);
    if (!Painter())
        return FALSE;
    if (m_bPenNull)
        return TRUE;
    const int w = m_nPenWidth;
    const int o = (w - 1) / 2;
    if (from.y == y && from.x != x) {
        const int x0 = from.x < x ? from.x : x + 1;
        Fill(QRect(x0 - o, y - o, std::abs(x - from.x), w), m_crPen);
        return TRUE;
    }
    if (from.x == x && from.y != y) {
        const int y0 = from.y < y ? from.y : y + 1;
        Fill(QRect(x - o, y0 - o, w, std::abs(y - from.y)), m_crPen);
        return TRUE;
    }
    // Bresenham's steps, leaving out the end point.
    const int dx = std::abs(x - from.x);
    const int dy = -std::abs(y - from.y);
    const int sx = from.x < x ? 1 : -1;
    const int sy = from.y < y ? 1 : -1;
    int error = dx + dy;
    int px = from.x;
    int py = from.y;
    while (px != x || py != y) {
        Plot(px, py);
        const int e2 = 2 * error;
        if (e2 >= dy) {
            error += dy;
            px += sx;
        }
        if (e2 <= dx) {
            error += dx;
            py += sy;
        }
    }
    return TRUE;
}

QFontMetrics CDC::Metrics() const
{
    return m_pPainter ? QFontMetrics(m_font, m_pPainter->device()) : QFontMetrics(m_font);
}

BOOL CDC::TextOut(int x, int y, const QString& text)
{
    QPainter* painter = Painter();
    if (!painter)
        return FALSE;
    const QFontMetrics metrics = Metrics();
    const int width = metrics.horizontalAdvance(text);
    const int height = metrics.ascent() + metrics.descent();
    int left = x;
    switch (m_nTextAlign & TA_CENTER) {
    case TA_CENTER: left = x - width / 2; break;
    case TA_RIGHT: left = x - width; break;
    default: break;
    }
    int top = y;
    switch (m_nTextAlign & TA_BASELINE) {
    case TA_BASELINE: top = y - metrics.ascent(); break;
    case TA_BOTTOM: top = y - height; break;
    default: break;
    }
    if (m_nBkMode == OPAQUE)
        Fill(QRect(left, top, width, height), m_crBk);
    painter->setFont(m_font);
    painter->setPen(ToQColor(m_crText));
    painter->drawText(left, top + metrics.ascent(), text);
    return TRUE;
}

BOOL CDC::ExtTextOut(int x, int y, UINT options, const CRect* rect, const QString& text)
{
    QPainter* painter = Painter();
    if (!painter || !(options & ETO_CLIPPED) || !rect)
        return TextOut(x, y, text);
    painter->save();
    painter->setClipRect(ToQRect(*rect), painter->hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
    const BOOL done = TextOut(x, y, text);
    painter->restore();
    return done;
}

CSize CDC::GetTextExtent(const QString& text) const
{
    const QFontMetrics metrics = Metrics();
    return CSize(metrics.horizontalAdvance(text), metrics.ascent() + metrics.descent());
}

BOOL CDC::GetTextMetrics(TEXTMETRIC* metrics) const
{
    if (!metrics)
        return FALSE;
    const QFontMetrics fm = Metrics();
    const int em = m_font.pixelSize() > 0 ? m_font.pixelSize() : QFontInfo(m_font).pixelSize();
    metrics->tmAscent = fm.ascent();
    metrics->tmDescent = fm.descent();
    metrics->tmHeight = fm.ascent() + fm.descent();
    metrics->tmInternalLeading = std::max(0, metrics->tmHeight - em);
    return TRUE;
}

BOOL CDC::BitBlt(int x, int y, int width, int height, CDC* source, int xSrc, int ySrc, DWORD rop)
{
    ASSERT(rop == SRCCOPY);
    if (rop != SRCCOPY || !source || !source->m_bMemory || width <= 0 || height <= 0)
        return FALSE;
    QPainter* painter = Painter();
    if (!painter)
        return FALSE;
    const QImage& image = source->m_pBitmap->m_image;
    if (image.isNull() || source->m_pBitmap == &CStockObjects::Get().defaultBitmap)
        return FALSE;
    // Source coordinates are the source context's; the painter leaves out whatever lies
    // beyond the bitmap, and the target keeps its pixels there.
    const qreal ratio = image.devicePixelRatio();
    const QRectF from(xSrc + source->m_ptViewportOrg.x, ySrc + source->m_ptViewportOrg.y, width, height);
    painter->drawImage(QRectF(x, y, width, height), image,
                       QRectF(from.topLeft() * ratio, from.size() * ratio));
    return TRUE;
}

BOOL CDC::DrawWindow(QWidget* window, const CRect& rect)
{
    QPainter* painter = Painter();
    if (!painter || !window || rect.IsRectEmpty())
        return FALSE;
    const qreal scale = painter->deviceTransform().m11() * GetDevicePixelRatio();
    const qreal ratio = std::clamp(scale, 1.0, 4.0);
    QImage picture(QSize(int(std::ceil(window->width() * ratio)), int(std::ceil(window->height() * ratio))),
                   QImage::Format_RGB32);
    if (picture.isNull())
        return FALSE;
    picture.setDevicePixelRatio(ratio);
    picture.fill(Qt::white);
    window->render(&picture);
    painter->drawImage(QRectF(ToQRect(rect)), picture);
    return TRUE;
}
