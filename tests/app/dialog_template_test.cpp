#include "platform/dialog_builder.h"
#include "platform/dialog_template.h"
#include "platform/dialog_units.h"
#include "platform/group_box.h"
#include "platform/resource_loader.h"

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>

#include <gtest/gtest.h>

TEST(DialogTemplate, EveryTemplateOfTheProgramLoads)
{
    for (int id : {100, 102, 129, 130}) {
        DialogTemplate t;
        QString error;
        ASSERT_TRUE(LoadDialogTemplate(id, t, &error)) << id << ": " << error.toStdString();
        EXPECT_EQ(t.id, id);
        EXPECT_FALSE(t.items.empty());
    }
    DialogTemplate main;
    ASSERT_TRUE(LoadDialogTemplate(102, main));
    EXPECT_EQ(main.caption, "Vantrolix v0.10");
    EXPECT_EQ(main.size, QSize(320, 333));
    EXPECT_EQ(main.items.size(), 16u);
    ASSERT_NE(main.Item(1003), nullptr);
    EXPECT_EQ(main.Item(1003)->windowClass, "MFCGridCtrl");
    EXPECT_EQ(main.Item(1017)->rect, QRect(85, 55, 170, 12));

    DialogTemplate missing;
    QString error;
    EXPECT_FALSE(LoadDialogTemplate(999, missing, &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST(DialogTemplate, MalformedTextIsRefusedWithAReason)
{
    const char* const bad[] = {
        "not json",
        R"({"size": [10]})",
        R"({"size": [10, 10], "controls": [{"id": 1, "kind": "slider", "rect": [0, 0, 1, 1]}]})",
        R"({"size": [10, 10], "controls": [{"id": 1, "kind": "edit", "rect": [0, 0, 1]}]})",
        R"({"size": [10, 10], "controls": [{"id": 1, "kind": "edit", "rect": [0, -1, 1, 1]}]})",
        R"({"size": [10, 10], "controls": [{"id": 1, "kind": "custom", "rect": [0, 0, 1, 1]}]})",
        R"({"size": [10, 10], "controls": [{"id": 1, "kind": "edit", "rect": [0, 0, 1, 1]},
                                           {"id": 1, "kind": "edit", "rect": [0, 0, 1, 1]}]})",
    };
    for (const char* text : bad) {
        DialogTemplate t;
        t.caption = "unchanged";
        QString error;
        EXPECT_FALSE(ParseDialogTemplate(text, t, &error)) << text;
        EXPECT_FALSE(error.isEmpty()) << text;
        EXPECT_EQ(t.caption, "unchanged") << text;
    }
    // Labels share the id -1.
    DialogTemplate t;
    EXPECT_TRUE(ParseDialogTemplate(R"({"size": [10, 10], "controls": [
        {"kind": "static", "rect": [0, 0, 1, 1]}, {"kind": "static", "rect": [0, 2, 1, 1]}]})", t));
    EXPECT_EQ(t.items.size(), 2u);
}

TEST(DialogUnits, MapsEachEdgeLikeMapDialogRect)
{
    const CDialogUnits units(6, 13);
    // left 10*6/4 = 15, top 15*13/8 = 24.4 -> 24, right 120*6/4 = 180, bottom 27*13/8 = 43.9 -> 44
    EXPECT_EQ(units.MapDialogRect(QRect(10, 15, 110, 12)), QRect(15, 24, 165, 20));
    EXPECT_EQ(units.MapDialogSize(QSize(320, 333)), QSize(480, 541));
    // Controls that touch in dialog units still touch in pixels.
    const QRect a = units.MapDialogRect(QRect(5, 5, 7, 3));
    const QRect b = units.MapDialogRect(QRect(12, 8, 7, 3));
    EXPECT_EQ(a.x() + a.width(), b.x());
    EXPECT_EQ(a.y() + a.height(), b.y());
}

TEST(DialogUnits, FollowTheFont)
{
    QFont small;
    small.setPixelSize(10);
    QFont large;
    large.setPixelSize(20);
    const CDialogUnits s(small);
    const CDialogUnits l(large);
    EXPECT_GT(l.BaseX(), s.BaseX());
    EXPECT_GT(l.BaseY(), s.BaseY());
    EXPECT_EQ(s.BaseY(), QFontMetrics(small).height());
}

TEST(DialogBuilder, CreatesEveryControlWithItsKindTextAndPlace)
{
    QDialog dialog;
    CDialogControls controls;
    const auto grid = [](const DialogItemTemplate& item, QWidget* parent) {
        auto* w = new QListWidget(parent);
        w->setProperty("windowClass", item.windowClass);
        return w;
    };
    ASSERT_TRUE(BuildDialog(dialog, 102, controls, grid));
    const CDialogUnits units(dialog.font());

    EXPECT_EQ(dialog.windowTitle(), "Vantrolix v0.10");
    EXPECT_EQ(dialog.size(), units.MapDialogSize(QSize(320, 333)));
    ASSERT_NE(controls.Get<CGroupBox>(1021), nullptr);
    EXPECT_EQ(controls.Get<CGroupBox>(1021)->title(), "Setup");
    ASSERT_NE(controls.Get<QLineEdit>(1001), nullptr);
    EXPECT_TRUE(controls.Get<QLineEdit>(1001)->isReadOnly());
    EXPECT_FALSE(controls.Get<QLineEdit>(1017)->isReadOnly());
    EXPECT_EQ(controls.Get<QLineEdit>(1017)->geometry(), units.MapDialogRect(QRect(85, 55, 170, 12)));
    ASSERT_NE(controls.Get<QPushButton>(1010), nullptr);
    EXPECT_TRUE(controls.Get<QPushButton>(1010)->isDefault());
    EXPECT_FALSE(controls.Get<QPushButton>(1014)->isDefault());
    EXPECT_EQ(controls.Get<QPushButton>(1014)->text(), "Clear");
    EXPECT_EQ(controls.Item(1003)->property("windowClass").toString(), "MFCGridCtrl");
    EXPECT_EQ(controls.Get<QListWidget>(1003)->frameShadow(), QFrame::Sunken);

    QStringList labels;
    for (const QLabel* label : dialog.findChildren<QLabel*>())
        labels << label->text();
    // The empty one is the warning line under "Command Data", hidden until its text needs one.
    EXPECT_EQ(labels, QStringList({"Command Data:", "", "Encoded Command:", "Description:"}));
    EXPECT_TRUE(controls.Get<QLabel>(1019)->isHidden());
    // Without a factory for its grid the main window cannot be built, and the builder says so.
    QDialog other;
    CDialogControls none;
    QString error;
    EXPECT_FALSE(BuildDialog(other, 102, none, {}, &error));
    EXPECT_TRUE(error.contains("1003"));
}

TEST(DialogBuilder, HiddenControlsAndTheButtonsThatEndADialog)
{
    QDialog builder;
    CDialogControls controls;
    ASSERT_TRUE(BuildDialog(builder, 130, controls));
    for (int id : {1025, 1026, 1027, 1028})
        EXPECT_TRUE(controls.Item(id)->isHidden()) << id;
    for (int id : {1030, 1024, 1022, 1023, 1029, 1010, 2})
        EXPECT_FALSE(controls.Item(id)->isHidden()) << id;
    EXPECT_TRUE(controls.Get<QComboBox>(1030)->isEditable());

    QDialog setup;
    CDialogControls setupControls;
    ASSERT_TRUE(BuildDialog(setup, 129, setupControls));
    QSignalSpy accepted(&setup, &QDialog::accepted);
    QSignalSpy rejected(&setup, &QDialog::rejected);
    setupControls.Get<QPushButton>(1)->click();
    setupControls.Get<QPushButton>(2)->click();
    EXPECT_EQ(accepted.count(), 1);
    EXPECT_EQ(rejected.count(), 1);
    // A modal frame keeps its size.
    EXPECT_EQ(setup.minimumSize(), setup.maximumSize());
}

TEST(Resources, StringAndIcon)
{
    EXPECT_EQ(LoadResourceString(101), "&About Vantrolix...");
    EXPECT_TRUE(LoadResourceString(9999).isEmpty());
    EXPECT_FALSE(LoadResourceIcon(IDR_MAINFRAME).isNull());
    EXPECT_TRUE(LoadResourceIcon(1).isNull());

    QDialog about;
    CDialogControls controls;
    ASSERT_TRUE(BuildDialog(about, 100, controls));
    bool hasIcon = false;
    for (const QLabel* label : about.findChildren<QLabel*>())
        hasIcon = hasIcon || !label->pixmap().isNull();
    EXPECT_TRUE(hasIcon);
}
