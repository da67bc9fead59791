// The image list's icons, 16 x 16 with transparency: the database (tree root), a table, a field
// (one column of a table), the group tree's root (nested groups) and one group.

#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace {

QImage Transparent() {
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    return image;
}

const QColor kOutline(0x2a, 0x3b, 0x52);
const QColor kHeaderBlue(0x3f, 0x74, 0xc4);
const QColor kGridLine(0xa9, 0xb6, 0xc6);

} // namespace

QImage DatabaseIcon() {
    QImage image = Transparent();
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    QLinearGradient body(2, 0, 14, 0);
    body.setColorAt(0, QColor(0x7f, 0xa9, 0xdc));
    body.setColorAt(0.45, QColor(0xc9, 0xdd, 0xf5));
    body.setColorAt(1, QColor(0x3d, 0x6a, 0xa6));
    QPainterPath cylinder;
    cylinder.moveTo(2.5, 3.5);
    cylinder.lineTo(2.5, 12.5);
    cylinder.arcTo(QRectF(2.5, 10.5, 11, 4), 180, 180);
    cylinder.lineTo(13.5, 3.5);
    cylinder.arcTo(QRectF(2.5, 1.5, 11, 4), 0, -180);
    p.setPen(QPen(QColor(0x1f, 0x3c, 0x66), 1));
    p.setBrush(body);
    p.drawPath(cylinder);
    // Two rings mark the stacked platters.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0x2c, 0x50, 0x84, 170), 1));
    p.drawArc(QRectF(2.5, 4.5, 11, 4), 180 * 16, 180 * 16);
    p.drawArc(QRectF(2.5, 7.5, 11, 4), 180 * 16, 180 * 16);
    p.setPen(QPen(QColor(0x1f, 0x3c, 0x66), 1));
    p.setBrush(QColor(0xe4, 0xef, 0xfb));
    p.drawEllipse(QRectF(2.5, 1.5, 11, 4));
    return image;
}

QImage TableIcon() {
    QImage image = Transparent();
    QPainter p(&image);
    p.fillRect(1, 2, 14, 12, Qt::white);
    p.fillRect(1, 2, 14, 4, kHeaderBlue);
    for (int y : {8, 11}) {
        p.fillRect(2, y, 12, 1, kGridLine);
    }
    for (int x : {5, 10}) {
        p.fillRect(x, 6, 1, 7, kGridLine);
    }
    p.setPen(kOutline);
    p.drawRect(1, 2, 13, 11);
    return image;
}

QImage FieldIcon() {
    QImage image = Transparent();
    QPainter p(&image);
    // One column of a table: a blue heading cell over three value cells.
    p.fillRect(4, 1, 8, 14, Qt::white);
    p.fillRect(4, 1, 8, 4, kHeaderBlue);
    for (int y : {8, 11}) {
        p.fillRect(5, y, 6, 1, kGridLine);
    }
    p.setPen(kOutline);
    p.drawRect(4, 1, 7, 13);
    // A short text stroke in each value cell.
    p.fillRect(6, 6, 4, 1, QColor(0x50, 0x5a, 0x68));
    p.fillRect(6, 9, 3, 1, QColor(0x50, 0x5a, 0x68));
    p.fillRect(6, 12, 4, 1, QColor(0x50, 0x5a, 0x68));
    return image;
}

namespace {

// A group: an amber card with a darker band (the group's header line).
void GroupCard(QPainter& p, int x, int y, int w, int h) {
    p.fillRect(x, y, w, h, QColor(0xff, 0xd8, 0x6b));
    p.fillRect(x, y, w, 2, QColor(0xe0, 0x8e, 0x10));
    p.setPen(QColor(0x8a, 0x52, 0x00));
    p.setBrush(Qt::NoBrush);
    p.drawRect(x, y, w - 1, h - 1);
}

} // namespace

QImage GroupsIcon() {
    QImage image = Transparent();
    QPainter p(&image);
    // Three groups nested one inside the other, drawn as a staircase joined by tree lines.
    const QColor line(0x6a, 0x5a, 0x40);
    p.fillRect(2, 5, 1, 3, line);
    p.fillRect(2, 7, 2, 1, line);
    p.fillRect(6, 10, 1, 4, line);
    p.fillRect(6, 13, 1, 1, line);
    GroupCard(p, 0, 0, 9, 5);
    GroupCard(p, 4, 5, 9, 5);
    GroupCard(p, 7, 11, 9, 5);
    return image;
}

QImage GroupItemIcon() {
    QImage image = Transparent();
    QPainter p(&image);
    // One group: its card with two records below the header band and a bracket that marks
    // the records it gathers.
    GroupCard(p, 1, 2, 14, 12);
    p.fillRect(6, 7, 7, 1, QColor(0x8a, 0x52, 0x00));
    p.fillRect(6, 10, 5, 1, QColor(0x8a, 0x52, 0x00));
    p.fillRect(3, 6, 1, 6, QColor(0x8a, 0x52, 0x00));
    p.fillRect(3, 6, 2, 1, QColor(0x8a, 0x52, 0x00));
    p.fillRect(3, 11, 2, 1, QColor(0x8a, 0x52, 0x00));
    return image;
}
