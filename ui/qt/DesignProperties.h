#pragma once

// The design window's property panel: for the chosen object its text (text objects), left,
// top, width and height, alignment, font family, size, bold and italic, and colour; for the
// chosen section its height and whether it starts a new page. A value the person changes is
// announced as the object's or section's whole new state, named for the undo list.

#include "design/Edit.h"

#include <QWidget>

#include <functional>

class QCheckBox;
class QComboBox;
class QFormLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QStackedWidget;

namespace foliant::qt {

class DesignProperties : public QWidget {
    Q_OBJECT

public:
    explicit DesignProperties(QWidget* parent = nullptr);

    void ShowObject(const design::ObjectState& state, bool textObject, const QString& caption);
    // canStartPage: whether "new page before" means anything for the section.
    void ShowSection(const design::SectionState& state, bool canStartPage, const QString& caption);
    void ShowNothing();

signals:
    void ObjectEdited(const design::ObjectState& after, const QString& label);
    void SectionEdited(const design::SectionState& after, const QString& label);

private:
    QWidget* BuildObjectPage();
    void BuildFontRows(QFormLayout* form);
    QWidget* BuildSectionPage();
    QSpinBox* TwipsBox(const char* name, int minimum);
    void Connect();
    void ConnectFont();
    void EditObject(const QString& label, const std::function<void(design::ObjectState&)>& change);
    void ChooseColour();
    void ShowColour();

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
    QComboBox* family_ = nullptr;
    QSpinBox* size_ = nullptr;
    QCheckBox* bold_ = nullptr;
    QCheckBox* italic_ = nullptr;
    QPushButton* colour_ = nullptr;
    QPushButton* styleColour_ = nullptr;
    QSpinBox* sectionHeight_ = nullptr;
    QCheckBox* newPage_ = nullptr;
};

} // namespace foliant::qt
