#pragma once

#include "RuntimeFixture.h"
#include "ScriptedShell.h"

#include "app/MainMenuBar.h"
#include "app/Pictures.h"
#include "app/Startup.h"
#include "runtime/AppFolders.h"

// The application as the early start-up leaves it (menu bar, application
// object, menu handlers), with a scripted shell and the desktop answered by
// the test. Each test starts from a clean runtime, menu bar and picture cache.
class AppTest : public RuntimeTest {
protected:
    void SetUp() override
    {
        RuntimeTest::SetUp();
        MainMenuBar::ResetForTesting();
        ResetPicturesForTesting();
        NewAppInstance();
        ApplicationAddMenuHandlers();
        shell.Install();
    }
    void TearDown() override
    {
        shell.Remove();
        RuntimeTest::TearDown();
        MainMenuBar::ResetForTesting();
        ResetPicturesForTesting();
        AppFolders::SetResourcesForTesting("");
    }

    ScriptedShell shell;
};
