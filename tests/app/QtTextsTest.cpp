// Qt's own texts in the tool's language: buttons of message boxes and dialogs, the file dialogs
// of "Сохранить" and "Загрузить", and the edits' context menus.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <memory>

#include "shell/QtTranslations.h"

namespace {

// What a button or menu item reads, without the "&" that marks its mnemonic.
QString Shown(const QString& text) {
    return QString(text).remove('&');
}

QStringList ActionTexts(const QMenu& menu) {
    QStringList texts;
    for (const QAction* action : menu.actions()) {
        if (!action->isSeparator()) {
            texts << Shown(action->text());
        }
    }
    return texts;
}

}  // namespace

TEST(QtTextsTest, QtsOwnTextsAreRussian) {
    ASSERT_TRUE(InstallRussianQtTexts(*qApp))
        << "Debian's Russian catalogue of Qt (qt6-translations-l10n) is not installed";

    QDialogButtonBox buttons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel |
                             QDialogButtonBox::Yes | QDialogButtonBox::No);
    EXPECT_EQ(Shown(buttons.button(QDialogButtonBox::Cancel)->text()), QString::fromUtf8("Отмена"));
    EXPECT_EQ(Shown(buttons.button(QDialogButtonBox::Yes)->text()), QString::fromUtf8("Да"));
    EXPECT_EQ(Shown(buttons.button(QDialogButtonBox::No)->text()), QString::fromUtf8("Нет"));

    // Qt's own file dialog, as on a desktop without a native one.
    QFileDialog dialog;
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    QStringList labels;
    for (const QLabel* label : dialog.findChildren<QLabel*>()) {
        labels << Shown(label->text());
    }
    EXPECT_TRUE(labels.join('|').contains(QString::fromUtf8("Имя файла")))
        << labels.join('|').toStdString();
    const auto* box = dialog.findChild<QDialogButtonBox*>();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(Shown(box->button(QDialogButtonBox::Cancel)->text()), QString::fromUtf8("Отмена"));

    QLineEdit edit;
    const std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
    EXPECT_TRUE(ActionTexts(*menu).join('|').contains(QString::fromUtf8("Вставить")))
        << ActionTexts(*menu).join('|').toStdString();
}
