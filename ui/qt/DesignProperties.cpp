#include "ui/qt/DesignProperties.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace foliant::qt {

namespace {

constexpr int kTwipsPerPoint = 20;
constexpr int kLargestTwips = 1 << 20;

// A tri-state box: ticked, cleared, or grey for "as the style has it".
Qt::CheckState StateOf(const std::optional<bool>& value) {
    if (!value) {
        return Qt::PartiallyChecked;
    }
    return *value ? Qt::Checked : Qt::Unchecked;
}

std::optional<bool> ValueOf(Qt::CheckState state) {
    if (state == Qt::PartiallyChecked) {
        return std::nullopt;
    }
    return state == Qt::Checked;
}

QCheckBox* TriStateBox(const QString& text, const char* name) {
    auto* box = new QCheckBox(text);
    box->setObjectName(QString::fromLatin1(name));
    box->setTristate(true);
    box->setToolTip(QObject::tr("Grey: as the report's style has it"));
    return box;
}

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
    BuildFontRows(form);
    return page;
}

void DesignProperties::BuildFontRows(QFormLayout* form) {
    family_ = new QComboBox(this);
    family_->setObjectName(QStringLiteral("fontFamily"));
    family_->addItems(
        {tr("Style's"), QStringLiteral("Sans"), QStringLiteral("Serif"), QStringLiteral("Mono")});
    form->addRow(tr("&Font:"), family_);
    size_ = new QSpinBox(this);
    size_->setObjectName(QStringLiteral("fontSize"));
    size_->setRange(3, 72); // 3 stands for the style's size
    size_->setSpecialValueText(tr("Style's"));
    size_->setSuffix(tr(" pt"));
    size_->setKeyboardTracking(false);
    form->addRow(tr("&Size:"), size_);
    bold_ = TriStateBox(tr("&Bold"), "bold");
    italic_ = TriStateBox(tr("&Italic"), "italic");
    auto* faces = new QWidget(this);
    auto* row = new QHBoxLayout(faces);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(bold_);
    row->addWidget(italic_);
    form->addRow(QString(), faces);
    colour_ = new QPushButton(this);
    colour_->setObjectName(QStringLiteral("colour"));
    styleColour_ = new QPushButton(tr("Style's"), this);
    styleColour_->setObjectName(QStringLiteral("styleColour"));
    auto* colours = new QWidget(this);
    auto* colourRow = new QHBoxLayout(colours);
    colourRow->setContentsMargins(0, 0, 0, 0);
    colourRow->addWidget(colour_, 1);
    colourRow->addWidget(styleColour_);
    form->addRow(tr("&Colour:"), colours);
}

QWidget* DesignProperties::BuildSectionPage() {
    auto* page = new QWidget(this);
    auto* form = new QFormLayout(page);
    sectionHeight_ = TwipsBox("sectionHeight", 0);
    form->addRow(tr("&Height:"), sectionHeight_);
    newPage_ = new QCheckBox(tr("&New page before"), page);
    newPage_->setObjectName(QStringLiteral("newPageBefore"));
    form->addRow(QString(), newPage_);
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
    ConnectFont();
    connect(sectionHeight_, &QSpinBox::valueChanged, this, [this](int value) {
        if (!filling_) {
            design::SectionState after = section_;
            after.height = value;
            emit SectionEdited(after, tr("Section Height"));
        }
    });
    connect(newPage_, &QCheckBox::toggled, this, [this](bool on) {
        if (!filling_) {
            design::SectionState after = section_;
            after.newPageBefore = on;
            emit SectionEdited(after, tr("New Page Before"));
        }
    });
}

void DesignProperties::ConnectFont() {
    connect(family_, &QComboBox::activated, this, [this](int index) {
        EditObject(tr("Font"), [&](auto& s) {
            s.format.fontFamily =
                index == 0 ? std::nullopt : std::optional(family_->itemText(index).toStdString());
        });
    });
    connect(size_, &QSpinBox::valueChanged, this, [this](int points) {
        EditObject(tr("Font Size"), [&](auto& s) {
            s = design::FontSized(s, points == size_->minimum()
                                         ? std::nullopt
                                         : std::optional(points * kTwipsPerPoint));
        });
    });
    connect(bold_, &QCheckBox::stateChanged, this, [this](int state) {
        EditObject(tr("Bold"),
                   [&](auto& s) { s.format.bold = ValueOf(static_cast<Qt::CheckState>(state)); });
    });
    connect(italic_, &QCheckBox::stateChanged, this, [this](int state) {
        EditObject(tr("Italic"),
                   [&](auto& s) { s.format.italic = ValueOf(static_cast<Qt::CheckState>(state)); });
    });
    connect(colour_, &QPushButton::clicked, this, &DesignProperties::ChooseColour);
    connect(styleColour_, &QPushButton::clicked, this,
            [this] { EditObject(tr("Colour"), [](auto& s) { s.format.colour.reset(); }); });
}

void DesignProperties::ChooseColour() {
    const auto current = object_.format.colour.value_or(engine::page::kBlack);
    // Window-modal rather than a nested event loop: the window keeps painting behind it.
    auto* dialog = new QColorDialog(QColor(current.red, current.green, current.blue), this);
    dialog->setObjectName(QStringLiteral("colourDialog"));
    dialog->setWindowTitle(tr("Colour"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QColorDialog::colorSelected, this, [this](const QColor& chosen) {
        EditObject(tr("Colour"), [&](auto& s) {
            s.format.colour = engine::page::Colour{static_cast<std::uint8_t>(chosen.red()),
                                                   static_cast<std::uint8_t>(chosen.green()),
                                                   static_cast<std::uint8_t>(chosen.blue())};
        });
    });
    dialog->open();
}

void DesignProperties::ShowColour() {
    if (!object_.format.colour) {
        colour_->setText(tr("Style's colour..."));
        colour_->setIcon(QIcon());
        return;
    }
    const auto c = *object_.format.colour;
    const QColor colour(c.red, c.green, c.blue);
    // A swatch of the colour beside its name: a style sheet would lose the button's look.
    QPixmap swatch(colour_->iconSize());
    swatch.fill(colour);
    colour_->setIcon(QIcon(swatch));
    colour_->setText(colour.name());
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
    const QString family = QString::fromStdString(state.format.fontFamily.value_or(""));
    family_->setCurrentIndex(std::max(0, family_->findText(family)));
    size_->setValue(state.format.fontSize ? *state.format.fontSize / kTwipsPerPoint
                                          : size_->minimum());
    bold_->setCheckState(StateOf(state.format.bold));
    italic_->setCheckState(StateOf(state.format.italic));
    ShowColour();
    filling_ = false;
}

void DesignProperties::ShowSection(const design::SectionState& state, bool canStartPage,
                                   const QString& caption) {
    filling_ = true;
    section_ = state;
    caption_->setText(caption);
    pages_->setCurrentIndex(2);
    sectionHeight_->setValue(state.height);
    newPage_->setChecked(state.newPageBefore);
    newPage_->setEnabled(canStartPage || state.newPageBefore);
    newPage_->setToolTip(canStartPage ? QString()
                                      : tr("Page headers and footers come on every page, and the "
                                           "report header opens the first."));
    filling_ = false;
}

void DesignProperties::ShowNothing() {
    caption_->setText(tr("Choose an object or a section on the page or in the structure."));
    pages_->setCurrentIndex(0);
}

} // namespace foliant::qt
