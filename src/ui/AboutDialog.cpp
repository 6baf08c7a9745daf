#include "ui/AboutDialog.h"

#include "desktop/LinuxDesktop.h"
#include "profiles/AppPaths.h"
#include "remote/CloudControlService.h"
#include "ui/UiSettings.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QKeySequence>
#include <QLabel>
#include <QVBoxLayout>

namespace {

// A path as the user knows it: "~" for the home folder.
QString shown(const QString& path) {
    const QString home = QDir::homePath();
    return path.startsWith(home + QLatin1Char('/')) ? QLatin1Char('~') + path.mid(home.size())
                                                    : path;
}

QLabel* textLabel(const QString& html, QWidget* parent) {
    auto* label = new QLabel(html, parent);
    label->setWordWrap(true);
    label->setTextFormat(Qt::RichText);
    label->setOpenExternalLinks(true);
    label->setTextInteractionFlags(Qt::TextBrowserInteraction);
    return label;
}

// The dialog's frame: title, the labels, and a Close button that Escape also presses.
void finish(QDialog* dialog, const QString& title, const QList<QLabel*>& labels) {
    dialog->setWindowTitle(title);
    auto* layout = new QVBoxLayout(dialog);
    layout->setSpacing(10);
    for (QLabel* label : labels)
        layout->addWidget(label);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, dialog);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    layout->addWidget(buttons);
    dialog->setMinimumWidth(420);
}

} // namespace

QString AboutDialog::projectURL() {
    return QStringLiteral(TAVRIN_PROJECT_URL);
}

QString AboutDialog::velqorKeysURL() {
    return QStringLiteral(TAVRIN_VELQOR_KEYS_URL);
}

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("aboutDialog"));
    const QString link = QStringLiteral("<a href=\"%1\">%1</a>");
    auto* heading = textLabel(QStringLiteral("<b>Tavrin %1</b>")
                                  .arg(CloudControlService::currentAppVersion().toHtmlEscaped()),
                              this);
    auto* summary = textLabel(
        tr("Keeps account profiles for Codex and Claude Code and switches either one to the "
           "profile you pick.") +
            QStringLiteral("<br>") + tr("Licence: %1").arg(QStringLiteral("MIT")),
        this);
    auto* links = textLabel(tr("Project: %1").arg(link.arg(projectURL())) + QStringLiteral("<br>") +
                                tr("Velqor API keys: %1").arg(link.arg(velqorKeysURL())),
                            this);
    QStringList paths{AppPaths::profilesURL(), AppPaths::keysURL(), AppPaths::backupsDirectory(),
                      AppPaths::claudeBackupsDirectory(), UiSettings::filePath()};
#if !defined(Q_OS_MACOS)
    paths << LinuxDesktop::autostartPath();
#endif
    QString list;
    for (const QString& path : std::as_const(paths))
        list += QStringLiteral("<br><tt>") + shown(path).toHtmlEscaped() + QStringLiteral("</tt>");
    auto* files = textLabel(tr("Tavrin's files:") + list, this);
    files->setObjectName(QStringLiteral("aboutFiles"));
    finish(this, tr("About Tavrin"), {heading, summary, links, files});
}

HelpDialog::HelpDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("helpDialog"));
    const QStringList paragraphs{
        tr("<b>Switch</b>: choose Codex or Claude Code at the top, pick a profile on the card "
           "and press the power button. The line below it tells how the switch ended; open it "
           "to see the recent activity."),
        tr("<b>Profiles</b>: add Velqor accounts, save their API keys and set a proxy. Your "
           "ChatGPT and Claude accounts need no key."),
        tr("<b>Settings</b> (%1): edit every field of every profile, and start Tavrin at login.")
            .arg(QKeySequence(QKeySequence::Preferences).isEmpty()
                     ? QStringLiteral("Ctrl+,")
                     : QKeySequence(QKeySequence::Preferences).toString(QKeySequence::NativeText)),
        tr("<b>Keyboard</b>: Tab moves between the controls, Space or Enter presses one, "
           "Escape closes a menu."),
        tr("<b>Command line</b>: <tt>tavrin-cli help</tt> lists what it can do from a terminal."),
    };
    QList<QLabel*> labels;
    for (const QString& paragraph : paragraphs)
        labels << textLabel(paragraph, this);
    finish(this, tr("Tavrin Help"), labels);
}
