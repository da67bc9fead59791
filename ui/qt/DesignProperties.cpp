#include "ui/qt/DesignProperties.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace foliant::qt {

namespace {

constexpr int kLargestTwips = 1 << 20;

} // namespace

DesignProperties::DesignProperties(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("properties"));
    auto* layout = new QVBoxLayout(this);
    caption_ = new QLabel(this);
    caption_->setObjectName(QStringLiteral("propertyCaption"));
    caption_->setWordWrap(true);
    layout->addWidget(caption_);
    pages_ = new QStackedWidget(this);
    pages_->addWidget(new QWidget(pages_));
    pages_->addWidget(BuildObjectPage());
    pages_->addWidget(BuildSectionPage());
    layout->addWidget(pages_);
    layout->addStretch(1);
    Connect();
    ShowNothing();
}

QSpinBox* DesignProperties::TwipsBox(const char* name, int minimum) {
    auto* box = new QSpinBox(this);
    box->setObjectName(QString::fromLatin1(name));
    box->setRange(minimum, kLargestTwips);
    box->setSingleStep(60);
    box->setSuffix(tr(" twips"));
    box->setKeyboardTracking(false);
    return box;
}

QWidget* DesignProperties::BuildObjectPage() {
    auto* page = new QWidget(this);
    auto* form = new QFormLayout(page);
    text_ = new QLineEdit(page);
    text_->setObjectName(QStringLiteral("text"));
    form->addRow(tr("&Text:"), text_);
    left_ = TwipsBox("left", 0);
    top_ = TwipsBox("top", 0);
    width_ = TwipsBox("width", 1);
    height_ = TwipsBox("height", 1);
    form->addRow(tr("&Left:"), left_);
    form->addRow(tr("T&op:"), top_);
    form->addRow(tr("&Width:"), width_);
    form->addRow(tr("&Height:"), height_);
    align_ = new QComboBox(page);
    align_->setObjectName(QStringLiteral("alignment"));
    align_->addItems({tr("Default"), tr("Left"), tr("Centre"), tr("Right")});
    form->addRow(tr("&Alignment:"), align_);
    return page;
}

QWidget* DesignProperties::BuildSectionPage() {
    auto* page = new QWidget(this);
    auto* form = new QFormLayout(page);
    sectionHeight_ = TwipsBox("sectionHeight", 0);
    form->addRow(tr("&Height:"), sectionHeight_);
    return page;
}

void DesignProperties::EditObject(const QString& label,
                                  const std::function<void(design::ObjectState&)>& change) {
    if (filling_) {
        return;
    }
    design::ObjectState after = object_;
    change(after);
    emit ObjectEdited(after, label);
}

void DesignProperties::Connect() {
    connect(text_, &QLineEdit::editingFinished, this, [this] {
        EditObject(tr("Text"), [this](auto& s) { s.text = text_->text().toStdString(); });
    });
    const auto twips = [this](QSpinBox* box, const QString& label, int design::ObjectState::*m) {
        connect(box, &QSpinBox::valueChanged, this,
                [this, label, m](int value) { EditObject(label, [&](auto& s) { s.*m = value; }); });
    };
    twips(left_, tr("Move"), &design::ObjectState::left);
    twips(top_, tr("Move"), &design::ObjectState::top);
    twips(width_, tr("Resize"), &design::ObjectState::width);
    twips(height_, tr("Resize"), &design::ObjectState::height);
    connect(align_, &QComboBox::activated, this, [this](int index) {
        EditObject(tr("Alignment"),
                   [&](auto& s) { s.align = static_cast<engine::HorizontalAlignment>(index); });
    });
    connect(sectionHeight_, &QSpinBox::valueChanged, this, [this](int value) {
        if (!filling_) {
            design::SectionState after = section_;
            after.height = value;
            emit SectionEdited(after, tr("Section Height"));
        }
    });
}

void DesignProperties::ShowObject(const design::ObjectState& state, bool textObject,
                                  const QString& caption) {
    filling_ = true;
    object_ = state;
    caption_->setText(caption);
    pages_->setCurrentIndex(1);
    text_->setEnabled(textObject);
    text_->setText(textObject ? QString::fromStdString(state.text) : QString());
    left_->setValue(state.left);
    top_->setValue(state.top);
    width_->setValue(state.width);
    height_->setValue(state.height);
    align_->setCurrentIndex(static_cast<int>(state.align));
    filling_ = false;
}

void DesignProperties::ShowSection(const design::SectionState& state, const QString& caption) {
    filling_ = true;
    section_ = state;
    caption_->setText(caption);
    pages_->setCurrentIndex(2);
    sectionHeight_->setValue(state.height);
    filling_ = false;
}

void DesignProperties::ShowNothing() {
    caption_->setText(tr("Choose an object or a section on the page or in the structure."));
    pages_->setCurrentIndex(0);
}

} // namespace foliant::qt
