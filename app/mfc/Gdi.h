// Graphics objects of the framework that Qt does not have as such: a bitmap that
// owns its picture and can be empty.
#pragma once

#include "Afx.h"

#include <QImage>

class CBitmap {
public:
    virtual ~CBitmap() = default;
    // Takes the picture; false (and nothing held) when it is null.
    BOOL Attach(QImage image);
    void DeleteObject() { m_image = QImage(); }
    bool IsLoaded() const { return !m_image.isNull(); }
    const QImage& GetImage() const { return m_image; }
    QSize GetSize() const { return m_image.size(); }

private:
    QImage m_image;
};
