// foliant-help: shows a compiled help file in a window. This is the program the wizard's Help
// button starts.
//
//   foliant-help FILE.chm [--topic TOPIC]
//
// TOPIC is a topic of the help ("summaries.htm"); without it the help's default topic shows.
// The viewer speaks the language of the system's locale. A file that cannot be read is said so
// in a message box, and the program ends with 1.

#include "platform/help/ChmArchive.h"
#include "resources/Language.h"
#include "ui/qt/HelpTexts.h"
#include "ui/qt/HelpViewer.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QMessageBox>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addPositionalArgument("file", "The compiled help file (.chm) to show.");
    parser.addOption({"topic", "The topic to show first.", "topic"});
    parser.process(app);
    if (parser.positionalArguments().size() != 1) {
        parser.showHelp(2);
    }
    const QString language = QString::fromStdString(foliant::resources::SystemLanguageCode());
    try {
        foliant::qt::HelpViewer viewer(parser.positionalArguments().front().toStdString(),
                                       language);
        if (parser.isSet("topic")) {
            viewer.ShowTopic(parser.value("topic"));
        }
        viewer.show();
        return QApplication::exec();
    } catch (const foliant::help::HelpFileError& e) {
        QMessageBox::critical(
            nullptr, QStringLiteral("Foliant"),
            foliant::qt::HelpTextsFor(language).cannotOpen.arg(QString::fromStdString(e.what())));
        return 1;
    }
}
