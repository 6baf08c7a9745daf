#include "ui/ProfilesPanelParts.h"

#include "app/CreditChecks.h"
#include "ui/Buttons.h"
#include "ui/ProfileRow.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QVBoxLayout>

namespace {

// How many rows the list keeps in view at least before it scrolls.
constexpr qreal visibleRowsAtLeast = 2.5;
constexpr int rowSpacing = 6;

} // namespace

void applyFieldTheme(QLineEdit* field, const CompactTheme& theme) {
    // The text colours go through the palette: a colour in the style sheet would also draw
    // the placeholder, at half strength, too faint to read.
    field->setStyleSheet(
        QStringLiteral("QLineEdit { background: %1; border: 1px solid %2;"
                       " border-radius: 9px; padding: 7px 11px; }"
                       "QLineEdit:focus { border: 2px solid %3; padding: 6px 10px; }")
            .arg(theme.buttonSurface().name(QColor::HexArgb), theme.border().name(QColor::HexArgb),
                 theme.primaryText().name(QColor::HexArgb)));
    QPalette palette = field->palette();
    palette.setColor(QPalette::Text, theme.primaryText());
    palette.setColor(QPalette::Disabled, QPalette::Text, theme.mutedText());
    palette.setColor(QPalette::PlaceholderText, theme.secondaryText());
    field->setPalette(palette);
}

QHBoxLayout* keyButtonRow(FilledButton* save, FilledButton* remove) {
    save->setObjectName(QStringLiteral("saveKeyButton"));
    remove->setObjectName(QStringLiteral("deleteKeyButton"));
    remove->setMinimumWidth(96);
    remove->setHorizontalPadding(8);
    for (FilledButton* b : {save, remove}) {
        b->setFont(uiFont(14, QFont::Bold));
        b->setRadius(9);
        b->setVerticalPadding(8);
    }
    save->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(8);
    buttons->addWidget(save, 1);
    buttons->addWidget(remove);
    return buttons;
}

// RowList

RowList::RowList(QWidget* parent) : QScrollArea(parent) {
    setObjectName(QStringLiteral("profileList"));
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    viewport()->setAutoFillBackground(false);
    setFocusPolicy(Qt::NoFocus);
    m_rows = new QWidget(this);
    m_rows->setAutoFillBackground(false);
    m_layout = new QVBoxLayout(m_rows);
    m_layout->setSpacing(rowSpacing);
    m_layout->setContentsMargins(0, 0, 0, 0);
    setWidget(m_rows);
}

QSize RowList::sizeHint() const {
    // Asks for little and grows into the space left (up to all its rows): the controls
    // below always get theirs first.
    return minimumSizeHint();
}

QSize RowList::minimumSizeHint() const {
    const int content = m_rows->sizeHint().height();
    const int rows = int(visibleRowsAtLeast * (ProfileRow::rowHeight + rowSpacing));
    return {0, std::min(content, rows)};
}

void RowList::rowsChanged() {
    m_rows->adjustSize();
    // Never taller than the rows: the space below goes to the panel's end.
    setMaximumHeight(std::max(0, m_rows->sizeHint().height()));
    updateGeometry();
}

// CreditRow

CreditRow::CreditRow(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("creditRow"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    m_status = new ElidedLabel(this, Qt::AlignLeft);
    m_status->setObjectName(QStringLiteral("creditStatus"));
    m_status->setFont(uiFont(12, QFont::DemiBold));
    texts->addWidget(m_status);
    for (int i = 0; i < LimitCheckerService::maximumDetails; ++i) {
        auto* detail = new ElidedLabel(this, Qt::AlignLeft);
        detail->setObjectName(QStringLiteral("creditDetail"));
        detail->setFont(uiFont(11));
        texts->addWidget(detail);
        m_details << detail;
    }
    m_button = new IconButton(QSize(26, 24), 12, this);
    m_button->setObjectName(QStringLiteral("creditRefreshButton"));
    m_button->setAccessibleName(tr("Check remaining credit"));
    layout->addLayout(texts, 1);
    layout->addWidget(m_button, 0, Qt::AlignTop);
}

void CreditRow::refresh(const std::optional<Profile>& profile, const CreditChecks& credit,
                        bool hasKey, const CompactTheme& t) {
    const bool shown = profile && CreditChecks::appliesTo(*profile);
    setVisible(shown);
    if (!shown)
        return;
    const std::optional<LimitStatus> status = credit.status(*profile);
    const bool checking = credit.isChecking(*profile);
    QString line;
    QColor color = t.secondaryText();
    if (status) {
        line = CreditChecks::describe(*status);
        if (status->failed)
            color = t.error();
        else if (status->isConfigured)
            color = t.primaryText();
    } else if (checking) {
        line = tr("Checking remaining credit\u2026");
    } else {
        line = LimitStatus::idle(*profile, hasKey).text;
    }
    m_status->setText(line);
    m_status->setColor(color);
    const QStringList details = status && !status->failed ? status->details : QStringList();
    for (qsizetype i = 0; i < m_details.size(); ++i) {
        ElidedLabel* label = m_details.at(i);
        label->setVisible(i < details.size());
        label->setText(details.value(i));
        label->setColor(t.secondaryText());
    }
    m_button->setAppearance(checking ? QStringLiteral("hourglass")
                                     : QStringLiteral("arrow.clockwise"),
                            t.primaryText(), t.buttonSurface());
    const bool canCheck = credit.canCheck(*profile);
    m_button->setEnabled(canCheck);
    m_button->setToolTip(canCheck || checking ? tr("Check remaining credit")
                                              : tr("Checked less than a minute ago"));
}

// ProxySection

ProxySection::ProxySection(QWidget* parent) : CardWidget(parent) {
    setObjectName(QStringLiteral("proxyGroup"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 6, 8, 8);
    layout->setSpacing(8);
    m_header = new DisclosureHeader(QStringLiteral("network"), tr("Proxy Settings"), this);
    m_header->setObjectName(QStringLiteral("proxyDisclosure"));
    m_content = new QWidget(this);
    m_content->setObjectName(QStringLiteral("proxyContent"));
    auto* content = new QVBoxLayout(m_content);
    content->setContentsMargins(2, 0, 2, 0);
    content->setSpacing(8);
    auto* formatRow = new QHBoxLayout;
    m_formatLabel = new QLabel(tr("Format"), m_content);
    m_formatLabel->setFont(uiFont(11));
    m_schemePicker = new MenuPicker(m_content);
    m_schemePicker->setObjectName(QStringLiteral("proxySchemePicker"));
    m_schemePicker->setAccessibleName(tr("Proxy format"));
    m_schemePicker->setFont(uiFont(12));
    for (ProxyScheme scheme : ProxySchemes::allCases)
        m_schemePicker->addItem(ProxySchemes::rawValue(scheme));
    formatRow->addWidget(m_formatLabel);
    formatRow->addStretch(1);
    formatRow->addWidget(m_schemePicker);
    m_addressField = new QLineEdit(m_content);
    m_addressField->setObjectName(QStringLiteral("proxyAddressField"));
    m_addressField->setPlaceholderText(QStringLiteral("host:port:user:pass"));
    m_addressField->setFont(uiFont(12));
    m_addressField->setAccessibleName(tr("Proxy address"));
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(8);
    m_saveButton = new FilledButton(tr("Save Proxy"), m_content);
    m_saveButton->setObjectName(QStringLiteral("saveProxyButton"));
    m_saveButton->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    m_clearButton = new FilledButton(tr("Clear"), m_content);
    m_clearButton->setObjectName(QStringLiteral("clearProxyButton"));
    m_clearButton->setMinimumWidth(70);
    m_clearButton->setHorizontalPadding(8);
    for (FilledButton* b : {m_saveButton, m_clearButton}) {
        b->setFont(uiFont(13, QFont::Bold));
        b->setRadius(8);
        b->setVerticalPadding(7);
    }
    buttons->addWidget(m_saveButton, 1);
    buttons->addWidget(m_clearButton);
    content->addLayout(formatRow);
    content->addWidget(m_addressField);
    content->addLayout(buttons);
    m_content->setVisible(false);
    layout->addWidget(m_header);
    layout->addWidget(m_content);
    connect(m_header, &QAbstractButton::toggled, m_content, &QWidget::setVisible);
    connect(m_saveButton, &QAbstractButton::clicked, this, &ProxySection::saveRequested);
    connect(m_clearButton, &QAbstractButton::clicked, this, &ProxySection::clearRequested);
    connect(m_addressField, &QLineEdit::returnPressed, this, &ProxySection::saveRequested);
}

void ProxySection::setTheme(const CompactTheme& t) {
    setTextColor(m_formatLabel, t.secondaryText());
    m_saveButton->setColors(t.accentFill(), Qt::white);
    m_clearButton->setColors(t.buttonSurface(), t.secondaryText());
    setStyle(t.panel(), t.border(), 12);
    applyFieldTheme(m_addressField, t);
    m_schemePicker->setTheme(t);
}

void ProxySection::refresh(const std::optional<Profile>& profile, const CompactTheme& t) {
    const bool usable = profile && profile->isVelqorAccount();
    setEnabled(usable);
    m_header->setAppearance(t, usable);
    m_saveButton->setEnabled(profile.has_value());
    m_clearButton->setEnabled(profile.has_value());
    const bool hasProxy = profile && ProxyURLFormatter::normalized(profile->proxyURL);
    m_header->setBadge(hasProxy
                           ? ProxySchemes::rawValue(ProxyURLFormatter::scheme(profile->proxyURL))
                           : tr("Off"));
}

void ProxySection::load(const std::optional<QString>& proxyURL) {
    const QSignalBlocker blockPicker(m_schemePicker);
    m_schemePicker->setCurrentIndex(ProxyURLFormatter::scheme(proxyURL) == ProxyScheme::socks5 ? 1
                                                                                               : 0);
    m_addressField->setText(ProxyURLFormatter::withoutScheme(proxyURL));
}

std::optional<QString> ProxySection::proxyURL() const {
    const ProxyScheme scheme =
        ProxySchemes::fromRawValue(m_schemePicker->currentText()).value_or(ProxyScheme::http);
    return ProxyURLFormatter::normalized(m_addressField->text(), scheme);
}

void ProxySection::clearAddress() {
    m_addressField->clear();
}

QList<QWidget*> ProxySection::focusOrder() const {
    return {m_header, m_schemePicker, m_addressField, m_saveButton, m_clearButton};
}
