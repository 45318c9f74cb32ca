#pragma once
// The picture box: a retained drawing surface in pixels with the primitives
// the windows draw with. Colours are 0x00BBGGRR references (colorref.h).
//
// Superficie is the GUI-free surface (an image plus drawing state); the
// PictureBox widget holds one at its own pixel size and paints it on screen.
// Off-screen pictures (the full-size chart) use a Superficie directly, so the
// same drawing code serves both.

#include <QFont>
#include <QImage>
#include <QString>
#include <QWidget>
#include <cstdint>

class Superficie {
public:
    Superficie() = default;
    Superficie(int ancho, int alto);

    // Resizes the surface; false when the memory cannot be had (the surface
    // is then empty). The content is cleared to BackColor. Pictures that go
    // to a file can be held at 24 bits (QImage::Format_BGR888, the image
    // library's byte order) instead of 32.
    bool Redimensionar(int ancho, int alto, QImage::Format formato = QImage::Format_RGB32);

    int ScaleWidth() const { return imagen_.width(); }
    int ScaleHeight() const { return imagen_.height(); }
    bool Vacia() const { return imagen_.isNull(); }

    uint32_t BackColor = 0xFFFFFF;
    uint32_t ForeColor = 0x000000;
    int DrawWidth = 1;
    double CurrentX = 0;
    double CurrentY = 0;

    // Fonts: face, size in points (fractional allowed, at the screen's
    // logical resolution), bold.
    void FontName(const QString &nombre);
    void FontSize(double puntos);
    double FontSize() const { return fuente_.pointSizeF(); }
    void FontBold(bool b) { fuente_.setBold(b); }
    bool FontBold() const { return fuente_.bold(); }
    const QFont &Fuente() const { return fuente_; }

    // Clears to BackColor and puts the text position at (0, 0).
    void Cls();
    // Segment from (x1, y1) to (x2, y2); like the platform's LineTo the end
    // point itself is not drawn.
    void Line(int x1, int y1, int x2, int y2, uint32_t color);
    // Box outline with edges DrawWidth pixels wide, corners included.
    void LineBox(int x1, int y1, int x2, int y2, uint32_t color);
    // Filled box: every pixel with x1 <= x <= x2 and y1 <= y <= y2.
    void LineBoxFill(int x1, int y1, int x2, int y2, uint32_t color);
    // Circle outline of the given radius in pixels.
    void Circle(int x, int y, int radio, uint32_t color);
    // Filled circle (the point markers).
    void CircleFill(int x, int y, int radio, uint32_t color);
    void PSet(int x, int y, uint32_t color);
    uint32_t Point(int x, int y) const;

    // Draws the text in ForeColor with its top-left corner at
    // (CurrentX, CurrentY), without filling its background; then moves the
    // text position to the start of the next line.
    void Print(const QString &texto);
    double TextWidth(const QString &texto) const;
    double TextHeight(const QString &texto) const;

    // Copies an image into the surface at (x, y) scaled to (w, h).
    void DibujarImagen(int x, int y, int w, int h, const QImage &img);

    const QImage &Imagen() const { return imagen_; }
    QImage &Imagen() { return imagen_; }

private:
    // A solid box, clipped to the picture.
    void Rellenar(const QRect &r, uint32_t color);

    QImage imagen_;
    QFont fuente_{QStringLiteral("Liberation Sans")};
};

class PictureBox : public QWidget {
    Q_OBJECT
public:
    explicit PictureBox(QWidget *parent = nullptr);

    Superficie &S() { return sup_; }
    const Superficie &S() const { return sup_; }
    int ScaleWidth() const { return sup_.ScaleWidth(); }
    int ScaleHeight() const { return sup_.ScaleHeight(); }
    // Shows what was drawn (the retained image) on screen.
    void Refresh() { update(); }

    // Sets a picture shown under the drawing (the Picture property): drawn
    // at the top-left corner at its own size. An empty image removes it.
    void SetPicture(const QImage &img);
    const QImage &Picture() const { return picture_; }

    QSize sizeHint() const override { return QSize(100, 100); }

signals:
    void MouseDown(Qt::MouseButton boton, Qt::KeyboardModifiers mods, int x, int y);
    void MouseMove(Qt::MouseButtons botones, Qt::KeyboardModifiers mods, int x, int y);
    void MouseUp(Qt::MouseButton boton, Qt::KeyboardModifiers mods, int x, int y);
    void DblClick(int x, int y);
    void Resized();

protected:
    void paintEvent(QPaintEvent *) override;
    void resizeEvent(QResizeEvent *) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void mouseDoubleClickEvent(QMouseEvent *e) override;

private:
    Superficie sup_;
    QImage picture_;
};
