#pragma once

#include "app/application.h"
#include "app/tfmain.h"
#include "fake_prompts.h"
#include "message_guard.h"
#include "model/command_error.h"
#include "window_parts.h"

#include <QAction>
#include <QApplication>
#include <QTest>
#include <QToolButton>

// A started application with the prompts fake: the main window created (its
// FormCreate has run) but not shown.
struct AppFixture : WindowParts {
    FakePrompts prompts;
    TApplication app{prompts};

    explicit AppFixture(bool platformSupported = true)
    {
        FailOnEditingFailed();
        app.PlatformSupported = [platformSupported] { return platformSupported; };
        app.CreateForms();
        main = app.FMain();
    }

    // As a keyboard user starts: the window shown and active, page `page`
    // current and its tab in the page column focused. False when the window
    // did not become active.
    bool ShowWithPageColumnFocused(int page)
    {
        main->show();
        main->activateWindow();
        if (!QTest::qWaitForWindowActive(main))
            return false;
        VerticalPager* pager = Pager();
        pager->setActivePage(pager->page(page));
        pager->tabBar()->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
        return true;
    }

    // The bytes of the image from `offset`, `count` of them.
    QList<int> bytes(int offset, int count) const
    {
        QList<int> out;
        for (int i = 0; i < count; ++i)
            out.append(main->State().Image[offset + i]);
        return out;
    }
};
