// Renders the main window with a page tree and a few log lines, for a person to look at.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QTest>
#include <QVBoxLayout>

#include "shell/MainWindow.h"
#include "widgets/LogViewWriter.h"

namespace {

TEST(MainWindowShotTest, RendersTheMainWindowToAPicture) {
    TMainWindow form;
    auto* common = new QTreeWidgetItem(form.PageTree, QStringList("Общие"));
    SetStateIndex(common, 0);
    auto* relays = new QTreeWidgetItem(form.PageTree, QStringList("Реле"));
    for (int n = 1; n <= 5; ++n) {
        SetStateIndex(new QTreeWidgetItem(relays, QStringList(QString("Реле %1").arg(n))), n);
    }
    form.PageTree->expandAll();
    form.PageTree->setCurrentItem(common);
    auto* layout = new QVBoxLayout(form.PagePane());
    layout->addWidget(new QLabel("Страница настроек"), 0, Qt::AlignCenter);

    TLogViewWriter log(form.ExchangeLog);
    log.WriteMessage("Читаю Версию");
    log.WriteData("<<<<", "*01v", clBlue);
    log.WriteData(">>>>", "*01v VER 08.01 OK", clFuchsia);
    log.WriteData("Прочли версию", "VER 08.01", clBlack);
    log.WriteMessage("Читаю Тревоги зон");
    log.WriteData("<<<<", "*01A2", clBlue);
    log.WriteError("Не получили: OK");
    form.SetStatusText(1, QString("ttyUSB0"));
    form.SetStatusText(2, QString("VER 08.01"));

    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    QApplication::processEvents();
    const QImage shot = form.grab().toImage();
    EXPECT_EQ(shot.width(), 919);

    const QString folder = qEnvironmentVariable("TARNEL_BUILD_DIR", QDir::tempPath());
    const QString file = QDir(folder).filePath("main-window.png");
    EXPECT_TRUE(shot.save(file)) << file.toStdString();
}

}  // namespace
