#include "Gdi.h"

BOOL CBitmap::Attach(QImage image)
{
    m_image = std::move(image);
    return !m_image.isNull();
}
