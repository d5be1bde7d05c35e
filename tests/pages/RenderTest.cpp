// Renders the pages to PNG files in the build folder, for a look at the layout and the markers.
#include <gtest/gtest.h>

#include <QImage>
#include <QPixmap>
#include <QScrollBar>
#include <QTest>
#include <bitset>

#include "pages/CommonPage.h"
#include "pages/RelayPage.h"

namespace {

QString OutputPath(const char* name) {
    const QString dir = qEnvironmentVariable("TARNEL_BUILD_DIR", QStringLiteral("."));
    return dir + '/' + QString::fromLatin1(name);
}

TEST(PageRendering, RelayPageShowsEveryPictureAndCaption) {
    TRelayPage page;
    page.SetNumber(3);
    auto& s = page.Settings();
    for (int n = 1; n <= kTableWidth; ++n) {
        s.Zone(zeAlarm, n) = (n - 1) % 5;
        s.Partition(peDisarm, n) = 7;
    }
    s.YesOf(rcFire) = rrOn1Hz;
    s.NoOf(rcDelay) = rrOff;
    // At its content size the page shows whole, without scroll bars.
    const QSize content = page.ScrolledContent()->minimumSize();
    page.resize(content);
    page.show();
    const QImage image = page.grab().toImage();
    ASSERT_TRUE(image.save(OutputPath("relay-page.png")));
    EXPECT_EQ(image.size(), content);
    EXPECT_FALSE(page.ScrollArea->horizontalScrollBar()->isVisible());
    EXPECT_FALSE(page.ScrollArea->verticalScrollBar()->isVisible());
}

// Some cells, a condition and the duration differ from the module's values; the "Все" column
// never wears the marker. The file's name tells the screen's scale ("relay-page-marked-2.png").
TEST(PageRendering, RelayPageShowsTheMarkersOfUnwrittenValues) {
    TRelayPage page;
    page.SetNumber(3);
    TRelaySettings module = page.Settings();
    module.Zone(zeAlarm, 2) = rrOff;
    module.Zone(zeRestore, 16) = rrNone;
    module.Partition(peArm, 1) = rrOn1Hz;
    module.YesOf(rcPower) = rrOnTimed;
    module.Duration = 10;
    page.ShowModuleValues(module, std::bitset<kRelayValueCount>().set());
    page.resize(page.ScrolledContent()->minimumSize());
    page.show();
    page.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&page));
    // One marked cell has the focus as well, to show the two frames together.
    page.ZoneGrid->SetFocusCell(2, 1);
    page.ZoneGrid->setFocus();
    const QImage image = page.grab().toImage();
    const QString name = QStringLiteral("relay-page-marked-%1.png").arg(image.devicePixelRatio());
    ASSERT_TRUE(image.save(OutputPath(name.toLatin1().constData())));
    EXPECT_EQ(page.UnwrittenCount(), 5);
}

TEST(PageRendering, CommonPageShowsTheObjectNumber) {
    TCommonPage page;
    page.resize(page.ScrolledContent()->minimumSize());
    page.show();
    const QImage image = page.grab().toImage();
    ASSERT_TRUE(image.save(OutputPath("common-page.png")));
}

}  // namespace
