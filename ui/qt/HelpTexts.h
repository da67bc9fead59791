#pragma once

// The help viewer's own words (tab names, buttons, messages) in the languages the help comes
// in, chosen by the same language code as the wizard's texts.

#include <QString>

namespace foliant::qt {

struct HelpTexts {
    QString contents;
    QString index;
    QString search;
    QString back;
    QString forward;
    QString home;
    QString listTopics; // the search button
    QString noTopic;    // the search found nothing
    QString cannotOpen; // a help file that cannot be read; %1 is what went wrong
};

// The texts of a language code ("de", "jp", ...); English for any code without its own.
const HelpTexts& HelpTextsFor(const QString& languageCode);

} // namespace foliant::qt
