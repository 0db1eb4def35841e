// A desktop whose environment names no session bus: the first look for a bus (the tray's, for a
// StatusNotifierItem host) must fail at once, without the bus library forking a helper to find or
// start one. Forked while other threads of the program run, that helper could hang start-up.

#include <gtest/gtest.h>
#include <pthread.h>

#include <QDBusConnection>
#include <atomic>
#include <cstdlib>
#include <string>

#include "platform/OwnEnvironment.h"
#include "support/QtApplication.h"
#include "toolkit/Application.h"

namespace vlz {
namespace {

std::atomic<int> forks{0};

void CountFork() {
    ++forks;
}

TEST(SessionBus, WithoutAnAddressNoHelperIsForked) {
    ASSERT_EQ(pthread_atfork(nullptr, CountFork, nullptr), 0);
    unsetenv("DBUS_SESSION_BUS_ADDRESS");
    setenv("DISPLAY", ":97", 1);  // the helper looks for a bus of the display
    ASSERT_TRUE(PrepareDisplay());
    testing::TestApplication();

    EXPECT_FALSE(QDBusConnection::sessionBus().isConnected());
    EXPECT_EQ(forks.load(), 0);
    // Programs started from the notes look for a bus of their own.
    for (const std::string& variable : ChildEnvironment()) {
        EXPECT_NE(variable.rfind("DBUS_SESSION_BUS_ADDRESS=", 0), 0u) << variable;
    }
}

TEST(SessionBus, AnAddressTheSessionGivesIsKept) {
    setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/run/user/1000/bus", 1);
    ASSERT_TRUE(PrepareDisplay());
    EXPECT_STREQ(std::getenv("DBUS_SESSION_BUS_ADDRESS"), "unix:path=/run/user/1000/bus");
}

}  // namespace
}  // namespace vlz
