// Draws the wizard's pictures into PNG files:
//   - one preview per report style (150 x 174): a small sales report laid out the way the
//     style lays it out (page header, group breaks, columns, lines, boxes, shading, colours);
//   - the last page's picture (158 x 224);
//   - the image list's icons (16 x 16) and the arrows of the move buttons.
// Usage: foliant_draw_bitmaps OUTPUT_FOLDER

#include <QConicalGradient>
#include <QDir>
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cstdio>
#include <vector>

namespace {

// ---------------------------------------------------------------------------------------------
// The sample report every preview shows: sales per customer, grouped by country.

struct Row {
    const char* customer;
    const char* orders;
    const char* amount;
};

struct Group {
    const char* name;
    std::vector<Row> rows;
    const char* orders;
    const char* amount;
};

const std::vector<Group> kGroups = {
    {"France",
     {{"Dupont", "12", "1,250"}, {"Martin", "8", "980"}, {"Rousseau", "21", "2,400"}},
     "41",
     "4,630"},
    {"Germany",
     {{"Becker", "15", "1,720"}, {"Schmidt", "7", "860"}, {"Weber", "9", "1,105"}},
     "31",
     "3,685"},
};
const char* kGrandOrders = "72";
const char* kGrandAmount = "8,315";

enum class Break { Plain, Leading, Trailing };

// How one style looks. Everything a preview draws is decided here.
struct Look {
    bool serif = false;
    int rowHeight = 9;
    int groupGap = 3;
    Break groupBreak = Break::Plain;
    bool grid = false;
    bool dropShadow = false;
    bool shading = false;
    bool centredTitle = false;
    bool doubleRule = false;
    QColor headerFrame; // box around the page header (title and headings), if valid
    QColor groupFrame;  // box around each group section, if valid
    QColor groupBand;   // fill of the group's name line, if valid
    QColor groupNameText = Qt::black;
    QColor footerFrame; // box around the grand total, if valid
    QColor ruleColour = Qt::black;
};

const QColor kInk(0x10, 0x10, 0x10);
const QColor kSoftInk(0x55, 0x55, 0x55);

QFont MakeFont(bool serif, int pixels, bool bold, bool italic = false) {
    QFont font(serif ? "DejaVu Serif" : "DejaVu Sans");
    font.setPixelSize(pixels);
    font.setBold(bold);
    font.setItalic(italic);
    font.setHintingPreference(QFont::PreferFullHinting);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

class PreviewPainter {
public:
    PreviewPainter(QImage& image, const Look& look) : p_(&image), look_(look) {
        p_.setRenderHint(QPainter::Antialiasing, false);
        p_.setRenderHint(QPainter::TextAntialiasing, true);
    }

    void Draw() {
        DrawDesk();
        y_ = kPageTop + 6;
        DrawPageHeader();
        for (const Group& group : kGroups) {
            DrawGroup(group);
        }
        DrawReportFooter();
        DrawPageFooter();
    }

private:
    // The page: a sheet of paper with a soft shadow on a grey desk.
    static constexpr int kPageLeft = 6;
    static constexpr int kPageTop = 5;
    static constexpr int kPageRight = 143; // inclusive
    static constexpr int kPageBottom = 167;
    static constexpr int kLeft = kPageLeft + 7;
    static constexpr int kRight = kPageRight - 7;
    static constexpr int kOrdersRight = kLeft + 84;

    void DrawDesk() {
        QLinearGradient desk(0, 0, 0, 174);
        desk.setColorAt(0, QColor(0xb9, 0xc2, 0xcc));
        desk.setColorAt(1, QColor(0x98, 0xa3, 0xb0));
        p_.fillRect(0, 0, 150, 174, desk);
        p_.fillRect(kPageLeft + 3, kPageTop + 3, kPageRight - kPageLeft + 1,
                    kPageBottom - kPageTop + 1, QColor(0x6b, 0x74, 0x80));
        p_.fillRect(kPageLeft + 2, kPageTop + 2, kPageRight - kPageLeft + 1,
                    kPageBottom - kPageTop + 1, QColor(0x80, 0x89, 0x95));
        p_.fillRect(kPageLeft, kPageTop, kPageRight - kPageLeft + 1, kPageBottom - kPageTop + 1,
                    Qt::white);
    }

    int TextPixels() const { return look_.serif ? 8 : 7; }

    void Text(int left, int right, int top, int height, Qt::Alignment align, const QString& text,
              const QFont& font, const QColor& colour = kInk) {
        p_.setFont(font);
        p_.setPen(colour);
        p_.drawText(QRect(left, top, right - left + 1, height), align | Qt::AlignVCenter, text);
    }

    void HLine(int left, int right, int y, const QColor& colour) {
        p_.fillRect(left, y, right - left + 1, 1, colour);
    }

    void Frame(const QRect& r, const QColor& colour, int width = 1) {
        for (int i = 0; i < width; ++i) {
            p_.setPen(colour);
            p_.setBrush(Qt::NoBrush);
            p_.drawRect(r.adjusted(i, i, -i, -i));
        }
    }

    // Three cells of a line: customer (left), orders and amount (right aligned).
    void Cells(int top, int height, const QString& a, const QString& b, const QString& c,
               const QFont& font, int indent = 0, const QColor& colour = kInk) {
        Text(kLeft + 1 + indent, kOrdersRight - 36, top, height, Qt::AlignLeft, a, font, colour);
        Text(kOrdersRight - 34, kOrdersRight - 2, top, height, Qt::AlignRight, b, font, colour);
        Text(kOrdersRight + 1, kRight - 2, top, height, Qt::AlignRight, c, font, colour);
    }

    // The grand total line: its label may run on into the orders column, whose figure is short.
    void GrandTotalCells(int top, int height, const QFont& font) {
        Text(kLeft + 1, kOrdersRight - 18, top, height, Qt::AlignLeft, "Grand Total:", font);
        Cells(top, height, "", kGrandOrders, kGrandAmount, font);
    }

    void GridLine(int top, int height) {
        const QColor line(0x30, 0x30, 0x30);
        HLine(kLeft, kRight, top + height, line);
        p_.fillRect(kLeft, top, 1, height + 1, line);
        p_.fillRect(kOrdersRight - 35, top, 1, height + 1, line);
        p_.fillRect(kOrdersRight, top, 1, height + 1, line);
        p_.fillRect(kRight, top, 1, height + 1, line);
    }

    void DrawPageHeader() {
        const int headerTop = y_;
        const bool framed = look_.headerFrame.isValid();
        if (framed) {
            y_ += 2;
        }
        const QFont title =
            look_.serif ? MakeFont(true, 12, true, true) : MakeFont(false, 11, true);
        const QFont date = MakeFont(look_.serif, 6, false);
        if (look_.centredTitle) {
            Text(kLeft, kRight, y_, 14, Qt::AlignHCenter, "Sales", title);
            y_ += 14;
            Text(kLeft, kRight, y_, 8, Qt::AlignHCenter, "December 31, 1996", date, kSoftInk);
            y_ += 10;
        } else {
            Text(kLeft + 1, kRight, y_, 14, Qt::AlignLeft, "Sales", title);
            Text(kLeft, kRight - 1, y_ + 3, 8, Qt::AlignRight, "12/31/1996", date, kSoftInk);
            y_ += 16;
        }

        const QFont heading = MakeFont(look_.serif, TextPixels(), true);
        const int h = look_.rowHeight + 1;
        if (look_.grid) {
            const QRect cells(kLeft, y_, kRight - kLeft + 1, h + 1);
            if (look_.dropShadow) {
                tableTop_ = y_;
                p_.fillRect(cells, QColor(0xc8, 0xc8, 0xc8));
            }
            HLine(kLeft, kRight, y_, QColor(0x30, 0x30, 0x30));
            Cells(y_ + 1, h - 1, "Customer", "Orders", "Amount", heading);
            GridLine(y_, h);
            y_ += h + 1;
            return;
        }
        Cells(y_, h, "Customer", "Orders", "Amount", heading);
        y_ += h;
        if (look_.doubleRule) {
            HLine(kLeft, kRight, y_, look_.ruleColour);
            HLine(kLeft, kRight, y_ + 2, look_.ruleColour);
            y_ += 4;
        } else if (!framed) {
            HLine(kLeft, kRight, y_, look_.ruleColour);
            y_ += 2;
        }
        if (framed) {
            y_ += 1;
            Frame(QRect(kLeft - 3, headerTop - 1, kRight - kLeft + 7, y_ - headerTop + 1),
                  look_.headerFrame, 2);
            y_ += 3;
        }
    }

    void DrawGroupName(const Group& group, bool withTotals, int top, int height) {
        const QFont bold = MakeFont(look_.serif, TextPixels(), true);
        if (look_.groupBand.isValid()) {
            p_.fillRect(kLeft + (look_.groupFrame.isValid() ? 1 : 0), top,
                        kRight - kLeft + (look_.groupFrame.isValid() ? -1 : 1), height,
                        look_.groupBand);
        }
        const int indent = look_.groupFrame.isValid() ? 2 : 0; // keep clear of the box
        if (withTotals) {
            Cells(top, height, group.name, group.orders, group.amount, bold, indent,
                  look_.groupNameText);
        } else {
            Text(kLeft + 1 + indent, kRight, top, height, Qt::AlignLeft, group.name, bold,
                 look_.groupNameText);
        }
    }

    void DrawGroup(const Group& group) {
        const QFont regular = MakeFont(look_.serif, TextPixels(), false);
        const QFont bold = MakeFont(look_.serif, TextPixels(), true);
        const int h = look_.rowHeight;
        const int groupTop = y_;
        const bool framed = look_.groupFrame.isValid();
        if (framed) {
            y_ += 1;
        }

        if (look_.grid) {
            // Group name as a row of the table, records, then the subtotal row.
            const int rh = h + 1;
            if (look_.dropShadow) {
                p_.fillRect(kLeft, y_, kRight - kLeft + 1, rh, QColor(0xe4, 0xe4, 0xe4));
            }
            Text(kLeft + 2, kRight, y_, rh, Qt::AlignLeft, group.name, bold);
            HLine(kLeft, kRight, y_ + rh, QColor(0x30, 0x30, 0x30));
            p_.fillRect(kLeft, y_, 1, rh + 1, QColor(0x30, 0x30, 0x30));
            p_.fillRect(kRight, y_, 1, rh + 1, QColor(0x30, 0x30, 0x30));
            y_ += rh + 1;
            for (const Row& row : group.rows) {
                Cells(y_, rh, row.customer, row.orders, row.amount, regular, 3);
                GridLine(y_, rh);
                y_ += rh + 1;
            }
            Cells(y_, rh, "", group.orders, group.amount, bold);
            GridLine(y_, rh);
            y_ += rh + 1;
            return;
        }

        if (look_.groupBreak == Break::Leading) {
            DrawGroupName(group, true, y_, h + 1);
            y_ += h + 1;
            if (!look_.groupBand.isValid()) {
                HLine(kLeft, kRight, y_, QColor(0x90, 0x90, 0x90));
            }
            y_ += 2;
        } else if (look_.groupBreak == Break::Plain) {
            DrawGroupName(group, false, y_, h + 1);
            y_ += h + 1;
        } else {
            y_ += 1;
        }

        const int indent = look_.groupBreak == Break::Trailing ? 0 : 4;
        for (std::size_t r = 0; r < group.rows.size(); ++r) {
            const Row& row = group.rows[r];
            if (look_.shading && r % 2 == 0) {
                p_.fillRect(kLeft, y_, kRight - kLeft + 1, h, QColor(0xd8, 0xdc, 0xe2));
            }
            Cells(y_, h, row.customer, row.orders, row.amount, regular, indent);
            y_ += h;
        }

        if (look_.groupBreak == Break::Trailing) {
            y_ += 1;
            HLine(kLeft, kRight, y_, look_.serif ? kInk : QColor(0x90, 0x90, 0x90));
            y_ += 1;
            DrawGroupName(group, true, y_, h + 1);
            y_ += h + 1;
        } else if (look_.groupBreak == Break::Plain) {
            HLine(kOrdersRight - 22, kRight - 1, y_ + 1, QColor(0x70, 0x70, 0x70));
            Cells(y_ + 1, h + 1, "", group.orders, group.amount, regular);
            y_ += h + 2;
        }

        if (framed) {
            y_ += 1;
            Frame(QRect(kLeft, groupTop, kRight - kLeft + 1, y_ - groupTop + 1), look_.groupFrame);
            y_ += 1;
        }
        y_ += look_.groupGap;
    }

    void DrawReportFooter() {
        const QFont bold = MakeFont(look_.serif, TextPixels(), true);
        const int h = look_.rowHeight + 2;
        if (look_.grid) {
            const int rh = h;
            if (look_.dropShadow) {
                p_.fillRect(kLeft, y_, kRight - kLeft + 1, rh, QColor(0xc8, 0xc8, 0xc8));
            }
            GrandTotalCells(y_, rh, bold);
            GridLine(y_, rh);
            y_ += rh + 1;
            if (look_.dropShadow) {
                const QColor shadow(0x70, 0x70, 0x70);
                p_.fillRect(kRight + 1, tableTop_ + 3, 3, y_ - tableTop_, shadow);
                p_.fillRect(kLeft + 3, y_, kRight - kLeft + 1, 3, shadow);
            }
            return;
        }
        const int top = y_;
        if (look_.footerFrame.isValid()) {
            GrandTotalCells(top + 2, h, bold);
            Frame(QRect(kLeft - 3, top, kRight - kLeft + 7, h + 4), look_.footerFrame, 2);
            y_ = top + h + 4;
            return;
        }
        if (look_.doubleRule) {
            HLine(kLeft, kRight, top, look_.ruleColour);
            HLine(kLeft, kRight, top + 2, look_.ruleColour);
            GrandTotalCells(top + 3, h, bold);
            y_ = top + 3 + h;
            return;
        }
        HLine(kLeft, kRight, top, look_.ruleColour);
        GrandTotalCells(top + 1, h, bold);
        y_ = top + 1 + h;
    }

    // The page footer: the page number, centred at the foot of the page.
    void DrawPageFooter() {
        const int top = kPageBottom - 11;
        if (y_ + 2 > top) {
            return;
        }
        Text(kLeft, kRight, top, 8, Qt::AlignHCenter, "Page 1", MakeFont(look_.serif, 6, false),
             kSoftInk);
    }

    QPainter p_;
    const Look& look_;
    int y_ = 0;
    int tableTop_ = 0;
};

QImage StylePreview(const Look& look) {
    QImage image(150, 174, QImage::Format_RGB32);
    image.fill(Qt::white);
    PreviewPainter(image, look).Draw();
    return image;
}

std::vector<Look> StyleLooks() {
    std::vector<Look> looks(10);
    // 0 Standard: plain, bold headings, a rule under the page header.
    looks[0].groupBreak = Break::Plain;
    // 1 Leading Break: group name and its summaries before the group's records.
    looks[1].groupBreak = Break::Leading;
    // 2 Trailing Break: the records first, then the group name and its summaries.
    looks[2].groupBreak = Break::Trailing;
    // 3 Table: every cell in a grid.
    looks[3].grid = true;
    looks[3].rowHeight = 8;
    // 4 Drop Table: the grid with shaded heading rows and a drop shadow.
    looks[4].grid = true;
    looks[4].dropShadow = true;
    looks[4].rowHeight = 8;
    // 5, 6 Executive: serif type, centred title, wide spacing, double rules.
    for (int i : {5, 6}) {
        looks[i].serif = true;
        looks[i].centredTitle = true;
        looks[i].doubleRule = true;
        looks[i].rowHeight = 10;
        looks[i].groupGap = 4;
    }
    looks[5].groupBreak = Break::Leading;
    looks[6].groupBreak = Break::Trailing;
    // 7 Shading: every other record shaded.
    looks[7].groupBreak = Break::Plain;
    looks[7].shading = true;
    // 8 Red/Blue Border: a red border round the page header and the grand total, blue
    // borders round the group sections.
    looks[8].groupBreak = Break::Leading;
    looks[8].headerFrame = QColor(0xd0, 0x10, 0x10);
    looks[8].footerFrame = QColor(0xd0, 0x10, 0x10);
    looks[8].groupFrame = QColor(0x10, 0x30, 0xd0);
    looks[8].groupNameText = QColor(0x10, 0x30, 0xd0);
    looks[8].ruleColour = QColor(0xd0, 0x10, 0x10);
    // 9 Maroon/Teal Box: a maroon box round the page header and the grand total, each group
    // boxed in teal with its name on a teal band.
    looks[9].groupBreak = Break::Leading;
    looks[9].headerFrame = QColor(0x80, 0x00, 0x00);
    looks[9].footerFrame = QColor(0x80, 0x00, 0x00);
    looks[9].groupFrame = QColor(0x00, 0x80, 0x80);
    looks[9].groupBand = QColor(0x00, 0x80, 0x80);
    looks[9].groupNameText = Qt::white;
    looks[9].ruleColour = QColor(0x80, 0x00, 0x00);
    return looks;
}

// ---------------------------------------------------------------------------------------------
// The last page's picture: a finished report being looked at, on the wizard's blue band.

QImage LastPagePicture() {
    QImage image(158, 224, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::SmoothPixmapTransform, true);

    QLinearGradient band(0, 0, 0, 224);
    band.setColorAt(0, QColor(0x1c, 0x3a, 0x6e));
    band.setColorAt(1, QColor(0x2f, 0x8f, 0x9d));
    p.fillRect(image.rect(), band);
    // A soft glow behind the page.
    QRadialGradient glow(QPointF(79, 106), 95);
    glow.setColorAt(0, QColor(255, 255, 255, 70));
    glow.setColorAt(1, QColor(255, 255, 255, 0));
    p.fillRect(image.rect(), glow);

    // The finished report, a little tilted.
    p.save();
    p.translate(75, 104);
    p.rotate(-7);
    const QRectF page(-46, -62, 92, 122);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 70));
    p.drawRect(page.translated(4, 5));
    p.setBrush(Qt::white);
    p.drawRect(page);

    QFont title("DejaVu Sans");
    title.setPixelSize(11);
    title.setBold(true);
    p.setFont(title);
    p.setPen(QColor(0x1c, 0x3a, 0x6e));
    p.drawText(QRectF(-40, -57, 60, 14), Qt::AlignLeft | Qt::AlignVCenter, "Sales");
    p.fillRect(QRectF(14, -52, 26, 2), QColor(0xa0, 0xa8, 0xb4));
    p.fillRect(QRectF(-40, -41, 80, 1), QColor(0x1c, 0x3a, 0x6e));

    // A bar chart of the group totals.
    const QColor bars[] = {QColor(0x2f, 0x8f, 0x9d), QColor(0xe0, 0x8e, 0x10),
                           QColor(0x2f, 0x8f, 0x9d), QColor(0xe0, 0x8e, 0x10),
                           QColor(0x2f, 0x8f, 0x9d)};
    const int heights[] = {18, 27, 12, 23, 31};
    for (int i = 0; i < 5; ++i) {
        p.fillRect(QRectF(-34 + i * 14, -4 - heights[i], 9, heights[i]), bars[i]);
    }
    p.fillRect(QRectF(-38, -4, 76, 1), QColor(0x60, 0x68, 0x74));

    // The table of records, with a group line and a total.
    double y = 4;
    for (int row = 0; row < 8; ++row) {
        const bool groupLine = row == 0 || row == 4;
        const QColor ink = groupLine ? QColor(0x1c, 0x3a, 0x6e) : QColor(0x8a, 0x92, 0x9e);
        p.fillRect(QRectF(groupLine ? -40 : -36, y, groupLine ? 24 : 20 + (row * 7) % 9, 2), ink);
        p.fillRect(QRectF(22 + (row * 5) % 7, y, 18 - (row * 5) % 7, 2), ink);
        y += 6;
    }
    p.fillRect(QRectF(-40, y, 80, 1), QColor(0x1c, 0x3a, 0x6e));
    p.fillRect(QRectF(-40, y + 3, 28, 2), QColor(0x1c, 0x3a, 0x6e));
    p.fillRect(QRectF(18, y + 3, 22, 2), QColor(0x1c, 0x3a, 0x6e));
    p.restore();

    // A magnifying glass over the page: the report is ready to be looked at.
    p.setRenderHint(QPainter::Antialiasing, true);
    const QPointF lens(108, 156);
    const double radius = 23;
    p.save();
    p.translate(lens);
    p.rotate(45);
    QLinearGradient handle(0, -5, 0, 5);
    handle.setColorAt(0, QColor(0x5a, 0x3c, 0x22));
    handle.setColorAt(0.5, QColor(0x8c, 0x5e, 0x36));
    handle.setColorAt(1, QColor(0x3a, 0x24, 0x12));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 60));
    p.drawRoundedRect(QRectF(radius + 4, -4, 34, 11), 4, 4);
    p.setBrush(handle);
    p.drawRoundedRect(QRectF(radius + 1, -5, 34, 10), 4, 4);
    p.setBrush(QColor(0xb8, 0xc0, 0xc8));
    p.drawRect(QRectF(radius - 2, -4, 6, 8));
    p.restore();

    QRadialGradient glass(lens - QPointF(8, 8), radius * 1.4);
    glass.setColorAt(0, QColor(255, 255, 255, 150));
    glass.setColorAt(0.6, QColor(0xd8, 0xee, 0xf6, 70));
    glass.setColorAt(1, QColor(0x9c, 0xd0, 0xe0, 60));
    p.setBrush(glass);
    QConicalGradient rim(lens, 45);
    rim.setColorAt(0, QColor(0xf4, 0xf6, 0xf8));
    rim.setColorAt(0.5, QColor(0x70, 0x78, 0x84));
    rim.setColorAt(1, QColor(0xf4, 0xf6, 0xf8));
    p.setPen(QPen(QBrush(rim), 4));
    p.drawEllipse(lens, radius, radius);
    // The highlight on the glass.
    p.setPen(QPen(QColor(255, 255, 255, 190), 2, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawArc(
        QRectF(lens.x() - radius + 6, lens.y() - radius + 6, 2 * radius - 12, 2 * radius - 12),
        100 * 16, 60 * 16);

    // A check mark in a green seal: the wizard's work is done.
    const QPointF seal(122, 38);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 60));
    p.drawEllipse(seal + QPointF(2, 2), 14, 14);
    QRadialGradient green(seal - QPointF(4, 4), 18);
    green.setColorAt(0, QColor(0x7c, 0xd6, 0x5a));
    green.setColorAt(1, QColor(0x2e, 0x8b, 0x2a));
    p.setBrush(green);
    p.setPen(QPen(Qt::white, 2));
    p.drawEllipse(seal, 14, 14);
    QPainterPath check;
    check.moveTo(seal + QPointF(-7, 0));
    check.lineTo(seal + QPointF(-2, 5));
    check.lineTo(seal + QPointF(7, -6));
    p.setPen(QPen(Qt::white, 3.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(check);
    return image;
}

// ---------------------------------------------------------------------------------------------
// Image-list icons (16 x 16) and move arrows.

QImage Transparent(int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    return image;
}

QImage ArrowPicture(bool up) {
    QImage image = Transparent(12, 12);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);
    const QColor ink(0x10, 0x10, 0x10);
    // A solid head five rows tall over a three-pixel stem.
    for (int row = 0; row < 5; ++row) {
        const int y = up ? 2 + row : 9 - row;
        p.fillRect(6 - row - 1, y, 2 * row + 2, 1, ink);
    }
    p.fillRect(5, up ? 7 : 2, 2, 3, ink);
    return image;
}

bool Save(const QImage& image, const QString& folder, const QString& name) {
    const QString path = QDir(folder).filePath(name);
    if (!image.save(path, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s  %dx%d\n", qPrintable(path), image.width(), image.height());
    return true;
}

} // namespace

QImage DatabaseIcon();
QImage GroupsIcon();
QImage GroupItemIcon();
QImage TableIcon();
QImage FieldIcon();

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: foliant_draw_bitmaps OUTPUT_FOLDER\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(folder);

    static const char* kPreviewFiles[] = {"103_standard.png",
                                          "104_leading_break.png",
                                          "105_trailing_break.png",
                                          "106_table.png",
                                          "107_drop_table.png",
                                          "108_executive_leading_break.png",
                                          "109_executive_trailing_break.png",
                                          "110_shading.png",
                                          "111_red_blue_border.png",
                                          "112_maroon_teal_box.png"};
    bool ok = true;
    const std::vector<Look> looks = StyleLooks();
    for (std::size_t i = 0; i < looks.size(); ++i) {
        ok = Save(StylePreview(looks[i]), folder, kPreviewFiles[i]) && ok;
    }
    ok = Save(LastPagePicture(), folder, "102_last_page.png") && ok;
    ok = Save(DatabaseIcon(), folder, "imagelist_database.png") && ok;
    ok = Save(GroupsIcon(), folder, "imagelist_groups.png") && ok;
    ok = Save(GroupItemIcon(), folder, "imagelist_group_item.png") && ok;
    ok = Save(TableIcon(), folder, "imagelist_database_table.png") && ok;
    ok = Save(FieldIcon(), folder, "imagelist_field_item.png") && ok;
    ok = Save(ArrowPicture(true), folder, "arrow_up.png") && ok;
    ok = Save(ArrowPicture(false), folder, "arrow_down.png") && ok;
    return ok ? 0 : 1;
}
