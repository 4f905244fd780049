// The style that decodes standard icons when first used: the pictures are the wrapped style's own,
// for either direction, and one still loads after the style that promised it is gone.
#include "app/deferred_icon_style.h"

#include <QApplication>
#include <QIcon>
#include <QImage>
#include <QMenuBar>
#include <QStyleFactory>
#include <QStyleOption>
#include <QToolButton>

#include <gtest/gtest.h>

#include <memory>

namespace {

QImage Picture(const QIcon& icon)
{
    return icon.pixmap(QSize(16, 16)).toImage();
}

QImage Direct(QStyle::StandardPixmap which, Qt::LayoutDirection direction)
{
    const std::unique_ptr<QStyle> style(QStyleFactory::create("Fusion"));
    QStyleOption option;
    option.direction = direction;
    return Picture(style->standardIcon(which, &option));
}

} // namespace

TEST(DeferredIconStyle, IconsLookAsTheWrappedStylesInEitherDirection)
{
    const CDeferredIconStyle style(QStyleFactory::create("Fusion"));
    for (const QStyle::StandardPixmap which :
         {QStyle::SP_ToolBarHorizontalExtensionButton, QStyle::SP_MessageBoxWarning, QStyle::SP_ArrowBack}) {
        const QIcon deferred = style.standardIcon(which, nullptr, nullptr);
        EXPECT_FALSE(deferred.isNull());
        EXPECT_EQ(Picture(deferred), Direct(which, Qt::LeftToRight)) << which;

        QWidget rightToLeft;
        rightToLeft.setLayoutDirection(Qt::RightToLeft);
        EXPECT_EQ(Picture(style.standardIcon(which, nullptr, &rightToLeft)), Direct(which, Qt::RightToLeft)) << which;
    }
    // The pictures differ by direction, or the check above would prove nothing.
    EXPECT_NE(Direct(QStyle::SP_ArrowBack, Qt::LeftToRight), Direct(QStyle::SP_ArrowBack, Qt::RightToLeft));
}

TEST(DeferredIconStyle, AnIconOutlivingItsStyleStillLoads)
{
    QIcon icon;
    {
        const CDeferredIconStyle style(QStyleFactory::create("Fusion"));
        icon = style.standardIcon(QStyle::SP_ToolBarHorizontalExtensionButton, nullptr, nullptr);
    }
    EXPECT_FALSE(Picture(icon).isNull());
}

TEST(DeferredIconStyle, TheApplicationKeepsItsStyleWrapped)
{
    const QString before = QApplication::style()->name();
    UseDeferredIconStyle();
    auto* wrapped = qobject_cast<CDeferredIconStyle*>(QApplication::style());
    ASSERT_NE(wrapped, nullptr);
    EXPECT_EQ(wrapped->baseStyle()->name(), before);
    UseDeferredIconStyle();
    EXPECT_EQ(QApplication::style(), wrapped) << "wrapped twice";
    // A menu bar made under it, too narrow for its menus, draws its overflow arrow.
    QMenuBar bar;
    for (const char* title : {"&File", "&Edit", "&View", "&Tools", "&Help"})
        bar.addMenu(title);
    bar.resize(60, 30);
    bar.show();
    QApplication::processEvents();
    const auto* overflow = bar.findChild<QToolButton*>();
    ASSERT_NE(overflow, nullptr);
    EXPECT_TRUE(overflow->isVisible());
    EXPECT_EQ(Picture(overflow->icon()), Direct(QStyle::SP_ToolBarHorizontalExtensionButton, Qt::LeftToRight));

    // The other tests of this program run under the style they started with.
    QApplication::setStyle(QStyleFactory::create(before));
}
