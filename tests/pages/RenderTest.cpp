// Renders the pages to PNG files in the build folder, for a look at the layout.
#include <gtest/gtest.h>

#include <QImage>
#include <QPixmap>
#include <QScrollBar>

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

TEST(PageRendering, CommonPageShowsTheObjectNumber) {
    TCommonPage page;
    page.resize(page.ScrolledContent()->minimumSize());
    page.show();
    const QImage image = page.grab().toImage();
    ASSERT_TRUE(image.save(OutputPath("common-page.png")));
}

}  // namespace
