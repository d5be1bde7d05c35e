// The pictures of the commands, the connect dialog's plug and the application's icon.
#include <gtest/gtest.h>

#include <QImage>

#include <cmath>

#include "widgets/Icons.h"

namespace {

// How many pixels of two pictures of one size differ.
int DifferentPixels(const QImage& a, const QImage& b) {
    const QImage left = a.convertToFormat(QImage::Format_ARGB32);
    const QImage right = b.convertToFormat(QImage::Format_ARGB32);
    int count = 0;
    for (int y = 0; y < left.height(); ++y) {
        for (int x = 0; x < left.width(); ++x) {
            count += left.pixel(x, y) != right.pixel(x, y) ? 1 : 0;
        }
    }
    return count;
}

// A picture drawn at the screen's own resolution, not a smoothed copy of the 1x one.
void ExpectDrawnAfresh(const QPixmap& scaled, const QPixmap& plain) {
    const QImage upscaled =
        plain.toImage().scaled(scaled.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    EXPECT_GT(DifferentPixels(scaled.toImage(), upscaled), scaled.width());
}

TEST(IconsTest, CommandIconsAreDrawnAtTheDevicePixelRatioAskedFor) {
    const TCommandIcon icons[] = {TCommandIcon::Connect, TCommandIcon::Read, TCommandIcon::Save,
                                  TCommandIcon::Clear};
    const struct {
        int size;
        qreal ratio;
    } cases[] = {{16, 1.25}, {16, 1.5}, {16, 2}, {16, 3}, {24, 1.5}, {24, 2}};
    for (TCommandIcon kind : icons) {
        const QIcon icon = CommandIcon(kind);
        for (const auto& c : cases) {
            SCOPED_TRACE(testing::Message()
                         << static_cast<int>(kind) << " " << c.size << " @ " << c.ratio);
            const QPixmap pixmap = icon.pixmap(QSize(c.size, c.size), c.ratio);
            const int pixels = static_cast<int>(std::lround(c.size * c.ratio));
            EXPECT_EQ(pixmap.size(), QSize(pixels, pixels));
            EXPECT_DOUBLE_EQ(pixmap.devicePixelRatio(), c.ratio);
            ExpectDrawnAfresh(pixmap, icon.pixmap(QSize(c.size, c.size), 1.0));
        }
    }
}

TEST(IconsTest, ADisabledCommandLooksDisabledAtAnyScale) {
    const QIcon icon = CommandIcon(TCommandIcon::Write);
    for (qreal ratio : {1.0, 2.0}) {
        const QPixmap normal = icon.pixmap(QSize(16, 16), ratio, QIcon::Normal);
        const QPixmap disabled = icon.pixmap(QSize(16, 16), ratio, QIcon::Disabled);
        EXPECT_EQ(disabled.size(), normal.size());
        EXPECT_GT(DifferentPixels(normal.toImage(), disabled.toImage()), 0) << ratio;
    }
}

TEST(IconsTest, ThePlugIsDrawnAtTheDevicePixelRatioAskedFor) {
    const QPixmap plain = ConnectPicture(1.0);
    EXPECT_EQ(plain.size(), QSize(41, 38));
    for (qreal ratio : {1.5, 2.0}) {
        const QPixmap picture = ConnectPicture(ratio);
        EXPECT_EQ(picture.size(), QSize(static_cast<int>(std::ceil(41 * ratio)),
                                        static_cast<int>(std::ceil(38 * ratio))));
        EXPECT_DOUBLE_EQ(picture.devicePixelRatio(), ratio);
        ExpectDrawnAfresh(picture, plain);
    }
}

TEST(IconsTest, TheApplicationIconHasEveryPackagedSize) {
    const QIcon icon = AppIcon();
    ASSERT_FALSE(icon.isNull());
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        SCOPED_TRACE(size);
        EXPECT_TRUE(icon.availableSizes().contains(QSize(size, size)));
        const QPixmap pixmap = icon.pixmap(QSize(size, size), 1.0);
        EXPECT_EQ(pixmap.size(), QSize(size, size));
        EXPECT_TRUE(pixmap.toImage().pixelColor(size / 2, size / 2).alpha() > 0);
    }
    EXPECT_EQ(icon.pixmap(QSize(32, 32), 2.0).size(), QSize(64, 64));
}

}  // namespace
