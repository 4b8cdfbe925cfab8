#pragma once

#include "app/application.h"
#include "app/tfmain.h"
#include "fake_prompts.h"
#include "message_guard.h"
#include "model/command_error.h"
#include "pages/dev_config_page.h"
#include "pages/mbus_settings_page.h"
#include "pages/signalling_page.h"
#include "widgets/vertical_pager.h"

#include <QAction>
#include <QApplication>
#include <QTest>
#include <QToolButton>

// A started application with the prompts fake: the main window created (its
// FormCreate has run) but not shown.
struct AppFixture {
    FakePrompts prompts;
    TApplication app{prompts};
    TFMain* main = nullptr;

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
        main->AdvOfficePager->setActivePage(main->AdvOfficePager->page(page));
        main->AdvOfficePager->tabBar()->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
        return true;
    }

    template <typename T>
    T* find(const char* name) const
    {
        T* w = main->findChild<T*>(QLatin1String(name));
        if (!w)
            qFatal("no control named %s", name);
        return w;
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
