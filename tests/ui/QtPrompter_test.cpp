#include "ui/QtPrompter.h"
#include "ui/QtTestApp.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QTimer>

#include <gtest/gtest.h>

namespace tervane {
namespace {

TEST(QtNameFilters, OpenFilterOfTheDataFileBecomesQtForm)
{
    const QStringList filters = qtNameFilters("All Files (*.*)|*.*|Contour(*.D3D)|*.D3D");
    ASSERT_EQ(filters.size(), 2);
    EXPECT_EQ(filters[0], QStringLiteral("All Files (*)"));
    EXPECT_EQ(filters[1], QStringLiteral("Contour (*.D3D *.d3d)"));
}

TEST(QtNameFilters, TrailingSeparatorAndSeveralPatterns)
{
    const QStringList filters = qtNameFilters(
        "All Files (*.*)|*.*|bitmap Files(*.bmp)|*.bmp|JPEG Files (*.jpg)|*.jpg;*.jpeg|GIF Files (*.gif)|*.gif|");
    ASSERT_EQ(filters.size(), 4);
    EXPECT_EQ(filters[1], QStringLiteral("bitmap Files (*.bmp *.BMP)"));
    EXPECT_EQ(filters[2], QStringLiteral("JPEG Files (*.jpg *.JPG *.jpeg *.JPEG)"));
    EXPECT_EQ(filters[3], QStringLiteral("GIF Files (*.gif *.GIF)"));
}

TEST(QtNameFilters, EmptyOrIncompleteFilterGivesNothing)
{
    EXPECT_TRUE(qtNameFilters("").isEmpty());
    EXPECT_TRUE(qtNameFilters("Only a description").isEmpty());
    EXPECT_TRUE(qtNameFilters("Blank|  ").isEmpty());
}

// What the box on screen showed, and which button was pressed.
struct SeenBox {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
};

TEST(QtPrompter, MessageBoxShowsTitleIconAndButtonsAndReturnsTheAnswer)
{
    test::ensureQtApp();
    QtPrompter prompter;
    auto seen = std::make_shared<SeenBox>();
    QTimer::singleShot(0, [seen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        *seen = {box->windowTitle(), box->text(), box->icon(), box->standardButtons()};
        box->button(QMessageBox::No)->click();
    });
    const Answer answer = prompter.message("您是否退出程序？", "Question", MessageIcon::Question,
                                           MessageButtons::YesNo);
    EXPECT_EQ(answer, Answer::No);
    EXPECT_EQ(seen->title, QStringLiteral("Question"));
    EXPECT_EQ(seen->text, QStringLiteral("您是否退出程序？"));
    EXPECT_EQ(seen->icon, QMessageBox::Question);
    EXPECT_EQ(seen->buttons, QMessageBox::Yes | QMessageBox::No);
}

TEST(QtPrompter, EmptyTitleIsTheProgramTitle)
{
    test::ensureQtApp();
    QtPrompter prompter;
    auto seen = std::make_shared<SeenBox>();
    QTimer::singleShot(0, [seen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        *seen = {box->windowTitle(), box->text(), box->icon(), box->standardButtons()};
        box->button(QMessageBox::Ok)->click();
    });
    EXPECT_EQ(prompter.message("文件没打开！"), Answer::Ok);
    EXPECT_EQ(seen->title, QString::fromStdString(kProgramTitle));
    EXPECT_EQ(seen->icon, QMessageBox::NoIcon);
    EXPECT_EQ(seen->buttons, QMessageBox::Ok);
}

TEST(QtPrompter, BoxClosedWithEscapeGivesItsCancellingAnswer)
{
    test::ensureQtApp();
    QtPrompter prompter;
    QTimer::singleShot(0, [] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
            box->reject();
    });
    EXPECT_EQ(prompter.message("?", {}, MessageIcon::Question, MessageButtons::YesNo), Answer::No);
    QTimer::singleShot(0, [] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
            box->reject();
    });
    EXPECT_EQ(prompter.message("?", {}, MessageIcon::None, MessageButtons::RetryCancel), Answer::Cancel);
}

} // namespace
} // namespace tervane
