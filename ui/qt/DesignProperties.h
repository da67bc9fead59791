#pragma once

// The design window's property panel: for the chosen object its text (text objects), left,
// top, width and height and alignment; for the chosen section its height. A value the person
// changes is announced as the object's or section's whole new state, named for the undo list.

#include "design/Edit.h"

#include <QWidget>

#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;
class QStackedWidget;

namespace foliant::qt {

class DesignProperties : public QWidget {
    Q_OBJECT

public:
    explicit DesignProperties(QWidget* parent = nullptr);

    void ShowObject(const design::ObjectState& state, bool textObject, const QString& caption);
    void ShowSection(const design::SectionState& state, const QString& caption);
    void ShowNothing();

signals:
    void ObjectEdited(const design::ObjectState& after, const QString& label);
    void SectionEdited(const design::SectionState& after, const QString& label);

private:
    QWidget* BuildObjectPage();
    QWidget* BuildSectionPage();
    QSpinBox* TwipsBox(const char* name, int minimum);
    void Connect();
    void EditObject(const QString& label, const std::function<void(design::ObjectState&)>& change);

    design::ObjectState object_;
    design::SectionState section_;
    bool filling_ = false; // set while values are shown, so no edit is announced

    QLabel* caption_ = nullptr;
    QStackedWidget* pages_ = nullptr;
    QLineEdit* text_ = nullptr;
    QSpinBox* left_ = nullptr;
    QSpinBox* top_ = nullptr;
    QSpinBox* width_ = nullptr;
    QSpinBox* height_ = nullptr;
    QComboBox* align_ = nullptr;
    QSpinBox* sectionHeight_ = nullptr;
};

} // namespace foliant::qt
