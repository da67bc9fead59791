// The wizard's texts in every language fit the boxes the dialog gives them: a description
// label holds all its lines, a one-line label, button, option or check box its whole caption.
#include "WizardTestSupport.h"

#include "resources/Resources.h"
#include "tests/shell/TestSupport.h"
#include "ui/qt/FormWindow.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QRadioButton>

namespace foliant::wizard::test {
namespace {

// The width a caption has beside its button's own parts.
int CaptionRoom(const QAbstractButton& button) {
    const bool indicator = qobject_cast<const QCheckBox*>(&button) != nullptr ||
                           qobject_cast<const QRadioButton*>(&button) != nullptr;
    return button.width() - (indicator ? 20 : 6);
}

// The room a label has: its box, cut where another control shown on the page starts below it
// or to its right.
QSize LabelRoom(const QLabel& label) {
    QSize room = label.size();
    for (QObject* child : label.parentWidget()->children()) {
        auto* other = qobject_cast<QWidget*>(child);
        if (other == nullptr || other == &label || !other->isVisibleTo(label.parentWidget()) ||
            !other->geometry().intersects(label.geometry())) {
            continue;
        }
        if (other->y() > label.y()) {
            room.setHeight(std::min(room.height(), other->y() - label.y()));
        } else if (other->x() > label.x() && qobject_cast<QLabel*>(other) == nullptr) {
            room.setWidth(std::min(room.width(), other->x() - label.x() - 2));
        }
    }
    return room;
}

// Whether a label's text fits its room: all lines of a wrapping label; the one line of any
// other, which may be drawn up to a pixel a character tighter.
bool Fits(const QLabel& label) {
    QFont font = label.font();
    font.setLetterSpacing(QFont::AbsoluteSpacing, 0);
    const QFontMetrics metrics(font);
    const QString text = QString(label.text()).remove('&');
    const QSize room = LabelRoom(label);
    if (label.height() >= 2 * metrics.height()) {
        const QRect needed =
            metrics.boundingRect(QRect(0, 0, label.width(), 10000), Qt::TextWordWrap, text);
        return needed.height() <= room.height() + 2;
    }
    return metrics.horizontalAdvance(text) <= room.width() + text.size();
}

// The texts shown on this page that do not fit, as "Name: text".
std::vector<std::string> Overflowing(frmWizard& f) {
    qt::FormWindow window(f);
    std::vector<std::string> out;
    for (const forms::Control* control : f.Controls()) {
        QWidget* widget = window.WidgetFor(*control);
        if (widget == nullptr || !widget->isVisibleTo(&window)) {
            continue;
        }
        bool fits = true;
        QString text;
        if (auto* label = qobject_cast<QLabel*>(widget);
            label != nullptr && !label->text().isEmpty()) {
            text = label->text();
            fits = Fits(*label);
        } else if (auto* button = qobject_cast<QAbstractButton*>(widget);
                   button != nullptr && button->icon().isNull()) {
            text = button->text();
            fits = QFontMetrics(button->font()).horizontalAdvance(QString(text).remove('&')) <=
                   CaptionRoom(*button);
        }
        if (!fits) {
            out.push_back(control->Name() + ": " + text.toStdString());
        }
    }
    return out;
}

class TextsFit : public WizardTest, public ::testing::WithParamInterface<std::string> {};

TEST_P(TextsFit, OnEveryPage) {
    static const std::map<std::string, std::string> kLocales = {
        {"en", "en_US"}, {"chs", "zh_CN"}, {"de", "de_DE"}, {"es", "es_ES"}, {"fr", "fr_FR"},
        {"it", "it_IT"}, {"jp", "ja_JP"},  {"ko", "ko_KR"}, {"pt", "pt_BR"}};
    foliant::testing::ScopedEnv locale("LC_ALL", kLocales.at(GetParam()) + ".UTF-8");
    const auto report = MakeReport();
    AddGroup(*report, "{Customer.Country}");
    PlaceSummary(*report, "GF1", "{Orders.Amount}", 0);
    Run(report, [&](frmWizard& f) {
        Wizard::State().ReportHasContent = false;
        for (;;) {
            EXPECT_EQ(Overflowing(f), std::vector<std::string>{})
                << GetParam() << ", page " << Wizard::State().CurrentPage;
            if (!f.cmdNext.Enabled()) {
                break;
            }
            f.cmdNext.UserClick();
        }
    });
}

INSTANTIATE_TEST_SUITE_P(Languages, TextsFit,
                         ::testing::ValuesIn(resources::StringTableLanguages()),
                         [](const auto& info) { return info.param; });

} // namespace
} // namespace foliant::wizard::test
