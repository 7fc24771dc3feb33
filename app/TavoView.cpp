#include "TavoView.h"

#include "Bitmap2.h"
#include "Tavo.h"

#include <QPainter>

void CTavoView::OnDraw(QPainter* painter)
{
    CBoardStyle* style = TavoApp()->GetBoardStyle();
    const COLORREF c = style->crBackground;
    painter->fillRect(rect(), QColor(GetRValue(c), GetGValue(c), GetBValue(c)));
    if (CBitmap2* bitmap = style->GetBitmap())
        painter->drawImage(rect().topLeft(), bitmap->GetImage(), rect());
}
