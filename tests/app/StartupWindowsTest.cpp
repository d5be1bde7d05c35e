// The splash window's fade and the about box.
#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>

#include "shell/AboutDialog.h"
#include "shell/SplashWindow.h"

TEST(SplashWindow, FadesInFromFiftyToFullOpacityAndNeverBeyond) {
    TSplashWindow splash;
    EXPECT_EQ(splash.Opacity(), 50);
    splash.show();
    splash.FadeIn();
    EXPECT_EQ(splash.Opacity(), 255);
    splash.FadeIn();
    EXPECT_EQ(splash.Opacity(), 255);
    EXPECT_EQ(splash.Label1->text(), QString::fromUtf8("Программа настройки Тарнел"));
    EXPECT_EQ(splash.windowTitle(), QString::fromUtf8("Зугрузка"));
}

TEST(AboutBox, ShowsTheMakerAndClosesWithOk) {
    TAboutDialog about;
    EXPECT_EQ(about.windowTitle(), QString::fromUtf8("О программе"));
    EXPECT_EQ(about.MakerLabel->text().count('\n'), 3);
    // The version the program is, as tarnel-cli --version says it.
    ASSERT_NE(about.VersionLabel, nullptr);
    EXPECT_TRUE(about.VersionLabel->text().contains(QStringLiteral(TARNEL_VERSION)))
        << about.VersionLabel->text().toStdString();
    EXPECT_TRUE(about.LinkLabel->openExternalLinks());
    about.show();
    about.Button1->click();
    EXPECT_FALSE(about.isVisible());
    EXPECT_EQ(about.result(), QDialog::Accepted);
}
