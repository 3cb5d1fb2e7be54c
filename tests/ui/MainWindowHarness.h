#pragma once
#include "engine/base/ScriptedPrompter.h"
#include "ui/CurrentFolder.h"
#include "ui/MainWindow.h"
#include "ui/QtEscapeKey.h"
#include "ui/QtTestApp.h"

#include <QAction>
#include <QMenu>
#include <QStringList>

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>

namespace tervane::test {

// A main window with scripted answers, working in a fresh temporary folder
// since it writes its working files to the current one. A fixture that must
// prepare something the window reads as it is made overrides SetUp and
// calls this one after.
class MainWindowFixture : public ::testing::Test {
protected:
    explicit MainWindowFixture(std::uint64_t seed) : random(seed) {}

    void SetUp() override
    {
        ensureQtApp();
        folder = std::make_unique<InTemporaryFolder>();
        window = std::make_unique<MainWindow>(state, random, prompter, escape);
    }
    // The window goes before the folder it works in.
    void TearDown() override
    {
        window.reset();
        folder.reset();
    }

    // A menu's entries by caption, separators as "-".
    QStringList menuCaptions(const char* menu) const
    {
        QStringList captions;
        for (const QAction* a : window->findChild<QMenu*>(QString::fromLatin1(menu))->actions())
            captions.append(a->isSeparator() ? QStringLiteral("-") : a->text());
        return captions;
    }

    SharedState state;
    Random random;
    ScriptedPrompter prompter;
    QtEscapeKey escape;
    std::unique_ptr<InTemporaryFolder> folder;
    std::unique_ptr<MainWindow> window;
};

} // namespace tervane::test
