// What assistive tools are told of each window: a widget that shows text is
// read by that text, as it changes; a control without text has a name a
// person reads; no name is one made for tests.
#include "app/AboutDialog.h"
#include "app/DeleteDialog.h"
#include "session/DiskFileRemover.h"
#include "app/ScanWizard.h"
#include "views/CheckFolderTree.h"
#include "document/HeadlessPrompts.h"
#include "tests/gui/MainWindowTestSupport.h"
#include "tests/scan/ScanTestSupport.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QHeaderView>
#include <QRegularExpression>
#include <QTabBar>

namespace twinseek::testing {
namespace {

// "statusPane0", "scan_counts"; not a path, which a label may show.
bool LooksLikeIdentifier(const QString& name) {
    static const QRegularExpression identifier("^[^\\s/]*([a-z][A-Z]|[A-Za-z][0-9]|_)[^\\s/]*$");
    return identifier.match(name).hasMatch();
}

// Every fault of top and the widgets shown in it, one a line.
QStringList Faults(QWidget& top) {
    QStringList faults;
    QList<QWidget*> widgets = top.findChildren<QWidget*>();
    widgets.prepend(&top);
    for (QWidget* widget : widgets) {
        if (!widget->isVisibleTo(&top) && widget != &top) continue;
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
        if (!accessible) continue;
        const QString name = accessible->text(QAccessible::Name);
        const QString where = widget->objectName().isEmpty() ? widget->metaObject()->className() : widget->objectName();
        QString shown = widget->isWindow() ? widget->windowTitle() : QString();
        if (auto* label = qobject_cast<QLabel*>(widget)) shown = label->text();
        if (auto* button = qobject_cast<QAbstractButton*>(widget)) shown = button->text().remove('&');
        if (!shown.isEmpty() && name != shown) faults << where + " shows \"" + shown + "\" but reads \"" + name + "\"";
        if (LooksLikeIdentifier(name) || (!name.isEmpty() && name == widget->objectName()))
            faults << where + " reads like an identifier: \"" + name + "\"";
        const bool control = qobject_cast<QAbstractButton*>(widget) || qobject_cast<QTabBar*>(widget) ||
                             (qobject_cast<QAbstractItemView*>(widget) && !qobject_cast<QHeaderView*>(widget));
        if (control && name.isEmpty()) faults << where + " has no name";
    }
    return faults;
}

using AccessibleNamesTest = MainWindowFixture;

TEST_F(AccessibleNamesTest, WindowsAndDialogsReadAsTheyShow) {
    ShowActive();
    StartPausedComparison(2);
    EXPECT_EQ(Faults(window), QStringList()) << "files view, status panes showing a comparison";
    window.RunCommand(kCommandResultView);
    EXPECT_EQ(Faults(window), QStringList()) << "result view";

    AboutDialog about(&window);
    about.show();
    EXPECT_EQ(Faults(about), QStringList());
    DiskFileRemover remover;
    DeleteDialog deletion(window.Session(), {}, remover, &window);
    deletion.show();
    EXPECT_EQ(Faults(deletion), QStringList());
}

TEST_F(AccessibleNamesTest, EachWizardPageReadsAsItShows) {
    FileSystemListing listing;
    FixedDrives drives;
    drives.drives = {files.Root()};
    HeadlessPrompts prompts;
    Document document{prompts};
    ScanWizardData data;
    ScanWizard wizard(data, document, listing, drives, {});
    wizard.show();
    wizard.back();
    EXPECT_EQ(Faults(wizard), QStringList()) << "welcome page";
    wizard.next();
    EXPECT_EQ(Faults(wizard), QStringList()) << "folder page";
    wizard.FolderTree().Tree().ToggleCheck(wizard.FolderTree().Tree().Root().Child(0));
    wizard.next();
    ASSERT_EQ(wizard.currentId(), kSizePageId);
    EXPECT_EQ(Faults(wizard), QStringList()) << "size page, whose Next button is the commit button";
    // The scan of an empty folder ends on the completing page.
    wizard.next();
    ASSERT_TRUE(QTest::qWaitFor([&] { return wizard.currentId() == kCompletingPageId; }, 30000));
    EXPECT_EQ(Faults(wizard), QStringList()) << "completing page";
}

}  // namespace
}  // namespace twinseek::testing
