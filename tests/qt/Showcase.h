#pragma once

// A dialog with one control of every kind, and drawn placeholder pictures for it.

#include "platform/forms/Controls.h"
#include "platform/forms/Form.h"
#include "platform/forms/TreeView.h"

#include <QBuffer>
#include <QColor>
#include <QImage>
#include <QPainter>
#include <string>
#include <vector>

namespace foliant::qt::testing {

// Simple drawn stand-ins: a framed page for resource bitmaps, a coloured square per image list
// key, a triangle for the arrows. Unknown pictures have no bytes.
inline std::vector<std::uint8_t> PlaceholderPicture(const forms::Picture& picture) {
    QImage image;
    if (picture.id != 0) {
        image = QImage(picture.id == 102 ? 158 : 150, picture.id == 102 ? 224 : 174,
                       QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter p(&image);
        p.setPen(Qt::darkGray);
        p.drawRect(0, 0, image.width() - 1, image.height() - 1);
        p.fillRect(10, 10, image.width() - 20, 18, QColor(0, 0, 128));
        for (int y = 40; y < image.height() - 10; y += 12) {
            p.fillRect(10, y, image.width() - 40, 5, QColor(160, 160, 160));
        }
    } else if (picture.key == "ArrowUp" || picture.key == "ArrowDown") {
        image = QImage(9, 9, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        QPainter p(&image);
        p.setBrush(Qt::black);
        p.setPen(Qt::NoPen);
        const bool up = picture.key == "ArrowUp";
        const QPoint points[3] = {QPoint(0, up ? 7 : 1), QPoint(8, up ? 7 : 1),
                                  QPoint(4, up ? 2 : 6)};
        p.drawPolygon(points, 3);
    } else if (!picture.key.empty()) {
        const QColor colour = picture.key == "Database"        ? QColor(200, 120, 0)
                              : picture.key == "DatabaseTable" ? QColor(0, 110, 200)
                              : picture.key == "FieldItem"     ? QColor(0, 150, 60)
                                                               : QColor(150, 0, 150);
        image = QImage(16, 16, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        QPainter p(&image);
        p.fillRect(2, 2, 12, 12, colour);
    } else {
        return {};
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return {bytes.begin(), bytes.end()};
}

class Showcase : public forms::Form {
public:
    Showcase() : Form("frmShowcase") {
        SetCaption("Every Control");
        SetClientSize(7905, 4710);
        heading.SetCaption("Choose the information to display on the report.");
        heading.SetFontBold(true);
        description.SetCaption("A label that wraps: select fields in the tree, then add them "
                               "to the list on the right.");
        available.SetCaption("Available Fields:");
        images.Add("Database", forms::Picture::Named("Database"));
        images.Add("DatabaseTable", forms::Picture::Named("DatabaseTable"));
        images.Add("FieldItem", forms::Picture::Named("FieldItem"));
        tree.SetImageList(&images);
        auto& nodes = tree.Nodes();
        forms::Node& root = nodes.Add("Database", "Database");
        root.SetExpanded(true);
        forms::Node& orders =
            nodes.Add(&root, forms::Relationship::Child, "", "Orders", "DatabaseTable");
        orders.SetExpanded(true);
        forms::Node& amount =
            nodes.Add(&orders, forms::Relationship::Child, "", "Amount", "FieldItem");
        nodes.Add(&orders, forms::Relationship::Child, "", "OrderDate", "FieldItem");
        nodes.Add(&root, forms::Relationship::Child, "", "Customer", "DatabaseTable");
        tree.SetSelectedItem(&amount);
        add.SetCaption(">");
        add.SetToolTipText("Add a field to the report.");
        fieldsLabel.SetCaption("Fields to Display:");
        fields.AddItem("Orders.Amount");
        fields.AddItem("Customer.Name");
        fields.SetListIndex(0);
        up.SetPicture(forms::Picture::Named("ArrowUp"));
        down.SetPicture(forms::Picture::Named("ArrowDown"));
        down.SetEnabled(false);
        order.AddItem("Ascending");
        order.AddItem("Descending");
        order.SetListIndex(0);
        condition.AddItem("is equal to");
        condition.SetText("1000");
        title.SetText("Sales");
        grandTotal.SetCaption("Add Grand Totals");
        grandTotal.SetValue(1);
        orderFrame.SetCaption("Order");
        ascending.SetContainer(&orderFrame);
        descending.SetContainer(&orderFrame);
        ascending.SetCaption("&Ascending");
        descending.SetCaption("&Descending");
        ascending.SetValue(true);
        preview.SetPicture(forms::Picture::Resource(103));
        help.SetCaption("&Help");
        cancel.SetCaption("&Cancel");
        back.SetCaption("< &Back");
        next.SetCaption("Nex&t >");
        finish.SetCaption("&Finish");
        back.SetEnabled(false);
        next.SetDefault(true);
        cancel.SetCancel(true);
        fileDialog.SetFilter("Vellum Reports (*.rpt) | *.rpt");
    }

    forms::CommandButton& next = Add<forms::CommandButton>("next", {5250, 4260, 1095, 315}, "2");
    forms::CommandButton& back = Add<forms::CommandButton>("back", {4080, 4260, 1095, 315}, "1");
    forms::CommandButton& cancel =
        Add<forms::CommandButton>("cancel", {2900, 4260, 1095, 315}, "3");
    forms::CommandButton& finish =
        Add<forms::CommandButton>("finish", {6440, 4260, 1280, 315}, "4");
    forms::CommandButton& help = Add<forms::CommandButton>("help", {200, 4260, 1095, 315}, "9");
    forms::Frame& rule = Add<forms::Frame>("rule", {180, 4082, 7550, 75}, "5");
    forms::Label& heading = Add<forms::Label>("heading", {180, 120, 7600, 240}, "10");
    forms::Label& description = Add<forms::Label>("description", {180, 360, 7600, 400}, "11");
    forms::Frame& headRule = Add<forms::Frame>("headRule", {180, 800, 7550, 75}, "12");
    forms::Label& available = Add<forms::Label>("available", {180, 940, 2815, 200}, "7");
    forms::ImageList& images = Add<forms::ImageList>("images", {}, "8");
    forms::TreeView& tree = Add<forms::TreeView>("tree", {180, 1190, 2400, 2800}, "6");
    forms::CommandButton& add = Add<forms::CommandButton>("add", {2700, 1500, 495, 255}, "14");
    forms::Label& fieldsLabel = Add<forms::Label>("fieldsLabel", {3300, 940, 2000, 200}, "15");
    forms::ListBox& fields = Add<forms::ListBox>("fields", {3300, 1190, 1900, 1100}, "16");
    forms::CommandButton& up = Add<forms::CommandButton>("up", {5250, 1190, 270, 240}, "17");
    forms::CommandButton& down = Add<forms::CommandButton>("down", {5250, 1450, 270, 240}, "18");
    forms::ComboBox& order = Add<forms::ComboBox>("order", {3300, 2400, 1900, 315}, "19",
                                                  forms::ComboBox::Style::DropDownList);
    forms::ComboBox& condition = Add<forms::ComboBox>("condition", {3300, 2800, 1900, 315}, "20");
    forms::TextBox& title = Add<forms::TextBox>("title", {3300, 3200, 1900, 300}, "21");
    forms::CheckBox& grandTotal = Add<forms::CheckBox>("grandTotal", {3300, 3600, 1900, 255}, "22");
    forms::Frame& orderFrame = Add<forms::Frame>("orderFrame", {5650, 2400, 2080, 900}, "23");
    forms::OptionButton& ascending =
        Add<forms::OptionButton>("ascending", {150, 250, 1800, 255}, "24");
    forms::OptionButton& descending =
        Add<forms::OptionButton>("descending", {150, 550, 1800, 255}, "25");
    forms::PictureBox& preview = Add<forms::PictureBox>("preview", {5650, 940, 2080, 1400}, "26");
    forms::CommonDialog& fileDialog = Add<forms::CommonDialog>("fileDialog");
};

} // namespace foliant::qt::testing
