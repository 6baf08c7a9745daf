#include "ui/ActivityPopover.h"

#include "app/AppViewModel.h"
#include "ui/Buttons.h"
#include "ui/Controls.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QVBoxLayout>

ActivityPopover::ActivityPopover(QWidget* parent) : QFrame(parent, Qt::Popup) {
    setObjectName(QStringLiteral("recentActivity"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->setSpacing(8);
    auto* header = new QHBoxLayout;
    m_title = new QLabel(tr("Recent activity"), this);
    m_title->setFont(uiFont(12, QFont::Bold));
    m_copy = new FilledButton(tr("Copy"), this);
    m_copy->setObjectName(QStringLiteral("copyActivityButton"));
    m_copy->setFont(uiFont(11, QFont::Bold));
    m_copy->setVerticalPadding(3);
    m_copy->setHorizontalPadding(10);
    header->addWidget(m_title, 1);
    header->addWidget(m_copy);
    m_lines = new QPlainTextEdit(this);
    m_lines->setObjectName(QStringLiteral("recentActivityText"));
    m_lines->setAccessibleName(tr("Recent activity"));
    m_lines->setReadOnly(true);
    m_lines->setFrameShape(QFrame::NoFrame);
    m_lines->setFont(uiFont(11));
    m_lines->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    // Tab leaves the text for the Copy button instead of typing nothing.
    m_lines->setTabChangesFocus(true);
    layout->addLayout(header);
    layout->addWidget(m_lines, 1);
    chainTabOrder({m_lines, m_copy});
    connect(m_copy, &QAbstractButton::clicked, this,
            [this] { QGuiApplication::clipboard()->setText(m_lines->toPlainText()); });
}

QString ActivityPopover::entryText(const QDateTime& time, const QString& line) {
    if (!time.isValid())
        return line;
    return QLocale().toString(time.time(), QLocale::ShortFormat) + QStringLiteral("  ") + line;
}

void ActivityPopover::fill(const AppViewModel& vm, const CompactTheme& t) {
    setStyleSheet(QStringLiteral("QFrame#recentActivity { background: %1; border: 1px solid %2; }"
                                 "QPlainTextEdit { background: %1; color: %3; }")
                      .arg(t.panel().name(), t.buttonSurface().name(), t.primaryText().name()));
    setTextColor(m_title, t.primaryText());
    m_copy->setColors(t.buttonSurface(), t.primaryText());
    m_lines->clear();
    const QStringList& log = vm.logLines();
    for (qsizetype i = 0; i < log.size(); ++i) {
        m_lines->appendPlainText(entryText(vm.logTime(i), log.at(i)));
        QTextCursor cursor(m_lines->document()->lastBlock());
        // A little space between entries: each reads as one paragraph.
        QTextBlockFormat spaced;
        spaced.setBottomMargin(4);
        cursor.mergeBlockFormat(spaced);
        if (!vm.isFailureLine(i))
            continue;
        cursor.select(QTextCursor::BlockUnderCursor);
        QTextCharFormat failure;
        failure.setForeground(t.error());
        cursor.mergeCharFormat(failure);
    }
    m_lines->verticalScrollBar()->setValue(m_lines->verticalScrollBar()->maximum());
}

void ActivityPopover::hideEvent(QHideEvent* event) {
    QFrame::hideEvent(event);
    emit closed();
}
