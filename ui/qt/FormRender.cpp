#include "ui/qt/FormRender.h"

#include "ui/qt/FormWindow.h"

#include <QApplication>

namespace foliant::qt {

QImage RenderForm(forms::Form& form) {
    FormWindow window(form);
    window.setAttribute(Qt::WA_DontShowOnScreen);
    window.show();
    QApplication::processEvents();
    const QImage image = window.grab().toImage();
    window.hide();
    return image;
}

bool SaveFormPng(forms::Form& form, const std::string& path) {
    const QImage image = RenderForm(form);
    return !image.isNull() && image.save(QString::fromStdString(path), "PNG");
}

} // namespace foliant::qt
