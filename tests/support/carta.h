#pragma once
// A scan of the 200 ppp grey chart whose patches printed as respuesta(grey),
// on paper of that grey.

#include "windows/chart/geometria.h"

#include <QImage>
#include <QPainter>

#include <functional>

inline QImage CartaEscaneada(const std::function<int(int)> &respuesta, int papel = 255)
{
    using namespace CartaGrises;
    const Geometria g = GeometriaDe(200);
    QImage img(g.AnchoPx, g.AltoPx, QImage::Format_RGB888);
    img.fill(QColor(papel, papel, papel));
    QPainter p(&img);
    for (int k = 0; k <= 100; ++k) {
        const Rect r = k < 100 ? RectParche(g, k) : RectParche100(g);
        const int v = respuesta(k < 100 ? GrisParche(k, false) : GrisParche100(false));
        p.fillRect(QRect(QPoint(r.x1, r.y1), QPoint(r.x2, r.y2)), QColor(v, v, v));
    }
    return img;
}
