#include "profiles/gameprofilesdialog.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

GameProfilesDialog::GameProfilesDialog(const QList<GameRule>& rules, const QStringList& profiles, QWidget* parent)
    : QDialog(parent)
    , m_profiles(profiles)
{
    setObjectName(QStringLiteral("GameProfilesDialog"));
    setWindowTitle(QCoreApplication::translate("MainWindow", "Game profiles"));
    auto* layout = new QVBoxLayout(this);
    auto* hint = new QLabel(
        QCoreApplication::translate("MainWindow",
                                    "While a program runs, its profile is applied live; when it ends, the wheel gets "
                                    "back what it had. Of several running programs the first row wins. The program is "
                                    "the name of its executable, for example acc.exe."),
        this);
    hint->setWordWrap(true);
    layout->addWidget(hint);
    m_table = new QTableWidget(0, 2, this);
    m_table->setObjectName(QStringLiteral("twGameRules"));
    m_table->setHorizontalHeaderLabels(
        {QCoreApplication::translate("MainWindow", "Program"), QCoreApplication::translate("MainWindow", "Profile")});
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    layout->addWidget(m_table);
    for (const GameRule& rule : rules)
        addRow(rule);

    auto* rowButtons = new QHBoxLayout;
    auto* add = new QPushButton(QCoreApplication::translate("MainWindow", "Add"), this);
    add->setObjectName(QStringLiteral("pbGameRuleAdd"));
    auto* remove = new QPushButton(QCoreApplication::translate("MainWindow", "Remove"), this);
    remove->setObjectName(QStringLiteral("pbGameRuleRemove"));
    rowButtons->addWidget(add);
    rowButtons->addWidget(remove);
    rowButtons->addStretch();
    layout->addLayout(rowButtons);
    connect(add, &QPushButton::clicked, this, [this] {
        addRow(GameRule{QString(), m_profiles.value(0)});
        m_table->setCurrentCell(m_table->rowCount() - 1, 0);
        m_table->editItem(m_table->item(m_table->rowCount() - 1, 0));
    });
    connect(remove, &QPushButton::clicked, this, [this] {
        if (m_table->currentRow() >= 0)
            m_table->removeRow(m_table->currentRow());
    });

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(480, 320);
}

void GameProfilesDialog::addRow(const GameRule& rule)
{
    const int row = m_table->rowCount();
    m_table->insertRow(row);
    m_table->setItem(row, 0, new QTableWidgetItem(rule.program));
    auto* profile = new QComboBox(m_table);
    profile->setEditable(true);
    profile->addItems(m_profiles);
    profile->setCurrentText(rule.profile);
    m_table->setCellWidget(row, 1, profile);
}

QList<GameRule> GameProfilesDialog::rules() const
{
    QList<GameRule> rules;
    for (int row = 0; row < m_table->rowCount(); ++row) {
        const QTableWidgetItem* program = m_table->item(row, 0);
        const auto* profile = qobject_cast<const QComboBox*>(m_table->cellWidget(row, 1));
        const GameRule rule{program ? program->text().trimmed() : QString(),
                            profile ? profile->currentText().trimmed() : QString()};
        if (!rule.program.isEmpty() && !rule.profile.isEmpty())
            rules.append(rule);
    }
    return rules;
}
