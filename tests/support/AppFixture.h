#pragma once

#include "RuntimeFixture.h"
#include "ScriptedShell.h"
#include "TraceRecord.h"

#include "app/Startup.h"
#include "core/AppFolders.h"
#include "kit/MainMenuBar.h"
#include "kit/Pictures.h"

#include <string>
#include <vector>

// The command lines of a scan, in the order the main window runs them.
inline constexpr const char* kNamesQuery = "diskutil info -all | grep 'Volume Name:' | awk '{print $3 $4 $5}'";
inline constexpr const char* kNodesQuery = "diskutil info -all | grep 'Device Node:' | awk '{print $3 $4 $5}'";
inline constexpr const char* kMountedQuery = "diskutil info -all | grep 'Mounted:' | awk '{print $2}'";
inline constexpr const char* kBootQuery = "bless --getBoot";
inline const std::vector<std::string> kScanQueries = {kNamesQuery, kNodesQuery, kMountedQuery, kBootQuery};

// The application as the early start-up leaves it (menu bar, application
// object, menu handlers), with a scripted shell and the desktop answered by
// the test. Each test starts from a clean runtime, and from the system's
// static initialisers as a fresh process runs them (no menu bar built yet,
// empty picture caches).
class AppTest : public RuntimeTest {
protected:
    void SetUp() override
    {
        RuntimeTest::SetUp();
        RuntimePerformInitializers(SystemInitializers());
        NewAppInstance();
        ApplicationAddMenuHandlers();
        shell.Install();
    }
    void TearDown() override
    {
        shell.Remove();
        RuntimeTest::TearDown();
        // What the test built goes before the next test, not at process exit.
        RuntimePerformInitializers(SystemInitializers());
        AppFolders::OverrideResources("");
    }

    // Answers a scan's three queries and the boot query.
    void AnswerScan(const std::string& names, const std::string& nodes, const std::string& mounted,
                    const std::string& boot = "/dev/disk0s1\n")
    {
        shell.Answer(kNamesQuery, names);
        shell.Answer(kNodesQuery, nodes);
        shell.Answer(kMountedQuery, mounted);
        shell.Answer(kBootQuery, boot);
    }

    ScriptedShell shell{*desktop};
};
