// The device context that the game window draws with, over a QPainter: points, sizes
// and rectangles; pens, brushes, fonts and bitmaps; and CDC, which draws with them.
//
// Coordinates are logical pixels of a 96-DPI screen. A HiDPI device or a printer scales
// them as a whole through the painter's own transform, so the layout never changes.
// Drawing is aliased and follows these pixel rules:
// - Rectangle and Ellipse (l, t, r, b) cover the pixels l..r-1 and t..b-1: the pen's
//   frame on the edge, the brush inside. FillSolidRect fills exactly (l, t, r, b).
// - LineTo draws from the current position up to its end point, which it leaves out.
// - TextOut places the text's cell (its advance wide, ascent + descent high) by the
//   alignment: TA_LEFT, TA_CENTER or TA_RIGHT puts its left edge, its middle or its
//   right edge (just outside the cell) at x; TA_TOP, TA_BASELINE or TA_BOTTOM its top,
//   its baseline or its bottom edge (just below the cell) at y. In OPAQUE mode the cell
//   is filled with the background colour first.
//
// Double buffering a paint (`painter` on the widget, the client area w x h):
//     CDC dc(painter);
//     CDC memDC;
//     CBitmap buffer;
//     if (memDC.CreateCompatibleDC(&dc) && buffer.CreateCompatibleBitmap(&dc, w, h)) {
//         CBitmap* old = memDC.SelectObject(&buffer);
//         ...draw on memDC...
//         dc.BitBlt(0, 0, w, h, &memDC, 0, 0, SRCCOPY);
//         memDC.SelectObject(old);
//     }
// The buffer holds the device's pixels (w x h times its pixel ratio), so the copy is
// one to one and a HiDPI screen stays sharp. What the window shows cannot be read back
// into the buffer: the paint must cover the whole area. A printer's context (IsPrinting)
// is drawn on directly.
//
// Selecting an object returns the one it replaces, so that the caller can put it back.
#pragma once

#include "Afx.h"

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QRect>
#include <QTransform>
#include <memory>
#include <optional>
#include <ostream>
#include <string>

class CDC;
class QPainter;
class QWidget;

// Stock objects (GetStockObject indices).
constexpr int WHITE_BRUSH = 0;
constexpr int GRAY_BRUSH = 2;
constexpr int BLACK_BRUSH = 4;
constexpr int NULL_BRUSH = 5;
constexpr int HOLLOW_BRUSH = NULL_BRUSH;
constexpr int WHITE_PEN = 6;
constexpr int BLACK_PEN = 7;
constexpr int NULL_PEN = 8;

// Pen styles.
constexpr int PS_SOLID = 0;
constexpr int PS_NULL = 5;

// Text alignment: one horizontal and one vertical flag.
constexpr UINT TA_LEFT = 0;
constexpr UINT TA_RIGHT = 2;
constexpr UINT TA_CENTER = 6;
constexpr UINT TA_TOP = 0;
constexpr UINT TA_BOTTOM = 8;
constexpr UINT TA_BASELINE = 24;

// Options of ExtTextOut: the text is cut at the rectangle's edges.
constexpr UINT ETO_CLIPPED = 4;

// Background modes.
constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;

// Raster operation of BitBlt (the only one there is here).
constexpr DWORD SRCCOPY = 0x00CC0020;

// Results of IntersectClipRect.
constexpr int NULLREGION = 1;
constexpr int SIMPLEREGION = 2;

inline QColor ToQColor(COLORREF c) { return QColor(GetRValue(c), GetGValue(c), GetBValue(c)); }

struct CSize {
    CSize() = default;
    CSize(int width, int height) : cx(width), cy(height) {}
    bool operator==(const CSize& o) const { return cx == o.cx && cy == o.cy; }
    bool operator!=(const CSize& o) const { return !(*this == o); }
    int cx = 0;
    int cy = 0;
};

struct CPoint {
    CPoint() = default;
    CPoint(int px, int py) : x(px), y(py) {}
    CPoint& operator+=(const CPoint& o) { x += o.x; y += o.y; return *this; }
    CPoint operator+(const CPoint& o) const { return CPoint(x + o.x, y + o.y); }
    CPoint operator-(const CPoint& o) const { return CPoint(x - o.x, y - o.y); }
    bool operator==(const CPoint& o) const { return x == o.x && y == o.y; }
    bool operator!=(const CPoint& o) const { return !(*this == o); }
    int x = 0;
    int y = 0;
};

// A rectangle by its edges; right and bottom lie just outside it.
struct CRect {
    CRect() = default;
    CRect(int l, int t, int r, int b) : left(l), top(t), right(r), bottom(b) {}
    CRect(const CPoint& topLeft, const CSize& size)
        : left(topLeft.x), top(topLeft.y), right(topLeft.x + size.cx), bottom(topLeft.y + size.cy) {}
    explicit CRect(const QRect& r) : CRect(r.x(), r.y(), r.x() + r.width(), r.y() + r.height()) {}

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    CSize Size() const { return CSize(Width(), Height()); }
    CPoint TopLeft() const { return CPoint(left, top); }
    BOOL IsRectEmpty() const { return right <= left || bottom <= top; }
    // Left and top edges are in, right and bottom edges out.
    BOOL PtInRect(const CPoint& p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }

    void OffsetRect(int dx, int dy) { left += dx; right += dx; top += dy; bottom += dy; }
    void OffsetRect(const CPoint& d) { OffsetRect(d.x, d.y); }
    void InflateRect(int dx, int dy) { InflateRect(dx, dy, dx, dy); }
    void InflateRect(int l, int t, int r, int b) { left -= l; top -= t; right += r; bottom += b; }
    void DeflateRect(int dx, int dy) { InflateRect(-dx, -dy); }
    void DeflateRect(int l, int t, int r, int b) { InflateRect(-l, -t, -r, -b); }

    bool operator==(const CRect& o) const
    {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
    bool operator!=(const CRect& o) const { return !(*this == o); }

    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

inline QRect ToQRect(const CRect& r) { return QRect(r.left, r.top, r.Width(), r.Height()); }

std::ostream& operator<<(std::ostream& out, const CPoint& p);
std::ostream& operator<<(std::ostream& out, const CSize& s);
std::ostream& operator<<(std::ostream& out, const CRect& r);

// Repaints that part of the window (all of it for null) at the next paint. The whole
// window is always painted afresh, so erasing changes nothing.
void InvalidateRect(QWidget* window, const CRect* rect, BOOL erase = TRUE);

// What pens, brushes, fonts and bitmaps share: their kind, for selection into a context,
// and whether they hold anything to select. Stock objects are never deleted.
class CGdiObject {
public:
    enum class Kind { pen, brush, font, bitmap };
    explicit CGdiObject(Kind kind) : m_kind(kind) {}
    virtual ~CGdiObject() = default;
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;

    Kind GetKind() const { return m_kind; }
    // True once created (stock objects always are); only then can it be selected.
    bool IsCreated() const { return m_bCreated; }
    virtual BOOL DeleteObject();

protected:
    bool m_bCreated = false;
    bool m_bStock = false;

private:
    friend class CStockObjects;
    Kind m_kind;
};

class CPen : public CGdiObject {
public:
    CPen() : CGdiObject(Kind::pen) {}
    CPen(int style, int width, COLORREF colour) : CPen() { CreatePen(style, width, colour); }
    // PS_SOLID or PS_NULL; a width below 1 is one pixel.
    BOOL CreatePen(int style, int width, COLORREF colour);
    bool IsNull() const { return m_nStyle == PS_NULL; }
    int GetWidth() const { return m_nWidth; }
    COLORREF GetColor() const { return m_crColor; }

private:
    int m_nStyle = PS_SOLID;
    int m_nWidth = 1;
    COLORREF m_crColor = 0;
};

class CBrush : public CGdiObject {
public:
    CBrush() : CGdiObject(Kind::brush) {}
    explicit CBrush(COLORREF colour) : CBrush() { CreateSolidBrush(colour); }
    BOOL CreateSolidBrush(COLORREF colour);
    // The hollow brush fills nothing.
    bool IsNull() const { return m_bNull; }
    COLORREF GetColor() const { return m_crColor; }

private:
    friend class CStockObjects;
    bool m_bNull = false;
    COLORREF m_crColor = 0;
};

class CFont : public CGdiObject {
public:
    CFont() : CGdiObject(Kind::font) {}
    // A font of `pointSize` tenths of a point at 96 DPI (90 is 12 pixels, 120 is 16, 160
    // is 21) on every screen and printer: the context is not needed. A face that is not
    // installed ("Arial" or "MS Sans Serif" on most systems) gives a sans-serif face of
    // the same size.
    BOOL CreatePointFont(int pointSize, const char* faceName, CDC* dc = nullptr);
    BOOL DeleteObject() override;
    // The font, for a widget as well; the application's font when none was created.
    QFont GetQFont() const;

private:
    std::optional<QFont> m_font;
};

// A picture that can be empty: loaded from a file (the board-style textures) or made as
// the drawing surface of a memory context. Deleting or replacing the picture fails
// while it is selected into a context; destroying the object deselects it.
class CBitmap : public CGdiObject {
public:
    CBitmap() : CGdiObject(Kind::bitmap) {}
    ~CBitmap() override;
    // Takes the picture; false (and nothing held) when it is null.
    BOOL Attach(QImage image);
    // A surface for `dc`: width x height logical pixels, stored in the device pixels of
    // dc's device. False when a size is below 1 or the memory cannot be had.
    BOOL CreateCompatibleBitmap(CDC* dc, int width, int height);
    BOOL DeleteObject() override;
    bool IsLoaded() const { return !m_image.isNull(); }
    const QImage& GetImage() const { return m_image; }
    // The size in device pixels.
    QSize GetSize() const { return m_image.size(); }

private:
    friend class CDC;
    friend class CStockObjects;
    QImage m_image;
    CDC* m_pSelectedIn = nullptr;
};

// A stock pen or brush by the indices above; null for any other index.
CGdiObject* GetStockObject(int index);

struct TEXTMETRIC {
    int tmHeight = 0;          // ascent + descent
    int tmAscent = 0;
    int tmDescent = 0;
    int tmInternalLeading = 0; // tmHeight minus the font's em height
};

// A device context. Either it draws through a painter that the caller keeps active
// while the context lives (a widget's or a printer's paint; the painter's state is
// put back when the context goes), or, once CreateCompatibleDC has made it a memory
// context, into the bitmap selected into it. A fresh context has BLACK_PEN,
// WHITE_BRUSH and the application's font, black text on a white OPAQUE background,
// TA_LEFT | TA_TOP and the viewport origin (0, 0).
//
// The context keeps what it needs of the selected objects, so drawing stays safe when
// a selected pen, brush or font is destroyed first; it returns them by address only.
class CDC {
public:
    CDC();
    explicit CDC(QPainter* painter, BOOL printing = FALSE);
    ~CDC();
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    BOOL IsPrinting() const { return m_bPrinting; }
    // Makes this a memory context whose bitmaps suit `dc` (a plain screen when null).
    BOOL CreateCompatibleDC(CDC* dc);
    // Ends a memory context: its drawing is finished and its bitmap deselected.
    BOOL DeleteDC();
    // Device pixels per logical pixel.
    qreal GetDevicePixelRatio() const;

    // Selection returns the object replaced, or null (changing nothing) when the object
    // is not created, or for a bitmap when this is not a memory context or the bitmap
    // is selected into another one.
    CPen* SelectObject(CPen* pen);
    CBrush* SelectObject(CBrush* brush);
    CFont* SelectObject(CFont* font);
    CBitmap* SelectObject(CBitmap* bitmap);
    CGdiObject* SelectObject(CGdiObject* object);
    CGdiObject* SelectStockObject(int index);

    COLORREF SetTextColor(COLORREF colour);
    COLORREF GetTextColor() const { return m_crText; }
    COLORREF SetBkColor(COLORREF colour);
    COLORREF GetBkColor() const { return m_crBk; }
    // OPAQUE or TRANSPARENT.
    int SetBkMode(int mode);
    int GetBkMode() const { return m_nBkMode; }
    UINT SetTextAlign(UINT flags);
    UINT GetTextAlign() const { return m_nTextAlign; }

    // Later coordinates are offset by the origin; returns the previous one.
    CPoint SetViewportOrg(int x, int y);
    CPoint SetViewportOrg(const CPoint& origin) { return SetViewportOrg(origin.x, origin.y); }
    CPoint GetViewportOrg() const { return m_ptViewportOrg; }
    // Narrows the drawing to the rectangle, placed by the current origin; later origins
    // do not move it. NULLREGION when nothing is left to draw on, else SIMPLEREGION.
    int IntersectClipRect(const CRect& rect);

    // Fills exactly the rectangle, and the colour becomes the background colour.
    void FillSolidRect(const CRect& rect, COLORREF colour);
    void FillSolidRect(int x, int y, int cx, int cy, COLORREF colour);
    BOOL Rectangle(int left, int top, int right, int bottom);
    BOOL Rectangle(const CRect& rect) { return Rectangle(rect.left, rect.top, rect.right, rect.bottom); }
    BOOL Ellipse(int left, int top, int right, int bottom);
    BOOL Ellipse(const CRect& rect) { return Ellipse(rect.left, rect.top, rect.right, rect.bottom); }
    // Returns the previous current position.
    CPoint MoveTo(int x, int y);
    BOOL LineTo(int x, int y);

    BOOL TextOut(int x, int y, const QString& text);
    BOOL TextOut(int x, int y, const std::string& text) { return TextOut(x, y, ToQ(text)); }
    BOOL TextOut(int x, int y, const char* text) { return TextOut(x, y, QString::fromUtf8(text)); }
    // TextOut, with ETO_CLIPPED drawing nothing outside the rectangle (placed by the
    // current origin); the context's own clipping stays as it was.
    BOOL ExtTextOut(int x, int y, UINT options, const CRect* rect, const QString& text);
    CSize GetTextExtent(const QString& text) const;
    CSize GetTextExtent(const std::string& text) const { return GetTextExtent(ToQ(text)); }
    CSize GetTextExtent(const char* text) const { return GetTextExtent(QString::fromUtf8(text)); }
    BOOL GetTextMetrics(TEXTMETRIC* metrics) const;

    // SRCCOPY of width x height from (xSrc, ySrc) of the bitmap selected into the memory
    // context `source` to (x, y). Where the bitmap ends before the area does, the area keeps what it had.
    BOOL BitBlt(int x, int y, int width, int height, CDC* source, int xSrc, int ySrc, DWORD rop);
    // Draws what a window shows, its children included, over the rectangle: how a
    // control inside a view appears on paper. The window is drawn as a picture at up to
    // four device pixels for each of its own.
    BOOL DrawWindow(QWidget* window, const CRect& rect);

private:
    friend class CBitmap;
    // What is drawn with; for a memory context a painter begun on its bitmap when
    // first needed. Null when there is nothing to draw on.
    QPainter* Painter();
    void EndOwnPainter();
    void ApplyViewportOrg();
    QFontMetrics Metrics() const;
    void Fill(const QRect& rect, COLORREF colour);
    // Fills the pixel at (x, y) as the pen does.
    void Plot(int x, int y);

    QPainter* m_pPainter = nullptr;
    std::unique_ptr<QPainter> m_ownPainter;
    QTransform m_baseTransform;
    bool m_bMemory = false;
    BOOL m_bPrinting = FALSE;
    qreal m_dprCompatible = 1.0;

    CPen* m_pPen;
    bool m_bPenNull = false;
    int m_nPenWidth = 1;
    COLORREF m_crPen = RGB(0, 0, 0);
    CBrush* m_pBrush;
    bool m_bBrushNull = false;
    COLORREF m_crBrush = RGB(255, 255, 255);
    CFont* m_pFont;
    QFont m_font;
    CBitmap* m_pBitmap;

    COLORREF m_crText = RGB(0, 0, 0);
    COLORREF m_crBk = RGB(255, 255, 255);
    int m_nBkMode = OPAQUE;
    UINT m_nTextAlign = TA_LEFT | TA_TOP;
    CPoint m_ptViewportOrg;
    CPoint m_ptCurrent;
};
