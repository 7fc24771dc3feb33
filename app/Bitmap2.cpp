#include "Bitmap2.h"

BOOL CBitmap2::LoadFromFile(const char* path)
{
    ASSERT(path != nullptr);
    DeleteObject();
    if (!path)
        return FALSE;
    QImage image;
    if (!image.load(QString::fromLocal8Bit(path)))
        return FALSE;
    return Attach(std::move(image));
}
