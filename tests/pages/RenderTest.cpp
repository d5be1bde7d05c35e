// Renders the pages to PNG files in the build folder, for a look at the layout.
#include <gtest/gtest.h>

#include <QImage>
#include <QPixmap>

#include "fCommon.h"
#include "fRelay.h"

namespace {

QString OutputPath(const char* name) {
    const QString dir = qEnvironmentVariable("TARNEL_BUILD_DIR", QStringLiteral("."));
    return dir + '/' + QString::fromLatin1(name);
}

TEST(PageRendering, RelayPageShowsEveryPictureAndCaption) {
    TFormRelay page;
    page.SetNumber(3);
    auto& s = page.Settings();
    for (int n = 1; n <= kTableWidth; ++n) {
        s.Zone(zeAlarm, n) = (n - 1) % 5;
        s.Partition(peDisarm, n) = 7;
    }
    s.YesOf(rcFire) = rrOn1Hz;
    s.NoOf(rcDelay) = rrOff;
    page.resize(820, 620);
    page.show();
    const QImage image = page.grab().toImage();
    ASSERT_TRUE(image.save(OutputPath("relay-page.png")));
    EXPECT_EQ(image.size(), QSize(820, 620));
}

TEST(PageRendering, CommonPageShowsTheObjectNumber) {
    TFormCommon page;
    page.resize(820, 620);
    page.show();
    const QImage image = page.grab().toImage();
    ASSERT_TRUE(image.save(OutputPath("common-page.png")));
}

}  // namespace
