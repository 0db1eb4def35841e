#include "platform/ScopeGuard.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "platform/MessageBox.h"

namespace vlz {
namespace {

TEST(ScopeGuardTest, ExitGuardRunsOnEveryWayOut) {
    std::string trace;
    {
        TScopeExit guard([&] { trace += "undo;"; });
        trace += "work;";
    }
    EXPECT_EQ(trace, "work;undo;");

    trace.clear();
    EXPECT_THROW(
        {
            TScopeExit guard([&] { trace += "undo;"; });
            throw std::runtime_error("work failed");
        },
        std::runtime_error);
    EXPECT_EQ(trace, "undo;");
}

TEST(ScopeGuardTest, FailureGuardRunsOnlyWhenAnExceptionLeaves) {
    int undone = 0;
    {
        TScopeFailure guard([&] { ++undone; });
    }
    EXPECT_EQ(undone, 0);
    EXPECT_THROW(
        {
            TScopeFailure guard([&] { ++undone; });
            throw std::runtime_error("work failed");
        },
        std::runtime_error);
    EXPECT_EQ(undone, 1);

    // An exception that is caught inside the scope does not count as leaving by failure.
    {
        TScopeFailure guard([&] { ++undone; });
        try {
            throw std::runtime_error("handled");
        } catch (const std::runtime_error&) {
        }
    }
    EXPECT_EQ(undone, 1);
}

TEST(ScopeGuardTest, FailingUndoIsReportedUnlessAnEarlierFailureIsOnItsWay) {
    std::string reported;
    try {
        TScopeExit guard([] { throw std::runtime_error("undo failed"); });
    } catch (const std::runtime_error& error) {
        reported = error.what();
    }
    EXPECT_EQ(reported, "undo failed");

    try {
        TScopeExit guard([] { throw std::runtime_error("undo failed"); });
        TScopeFailure other([] { throw std::runtime_error("other undo failed"); });
        throw std::logic_error("work failed");
    } catch (const std::exception& error) {
        reported = error.what();
    }
    EXPECT_EQ(reported, "work failed");
}

// Guards made while an exception is already being handled judge only what happens after them.
TEST(ScopeGuardTest, GuardsInsideAHandlerCountFromTheirOwnStart) {
    int undone = 0;
    try {
        throw std::runtime_error("first");
    } catch (...) {
        TScopeFailure guard([&] { ++undone; });
    }
    EXPECT_EQ(undone, 0);
}

class CountingBoxes : public MessageBoxHook {
  public:
    int Shown = 0;
    int Show(std::string_view, std::string_view, unsigned, MessageBoxOwner) override {
        ++Shown;
        return IDOK;
    }
};

TEST(ScopeGuardTest, InstalledHookIsRestoredAtTheEndOfItsScope) {
    CountingBoxes outer;
    CountingBoxes inner;
    MessageBoxHook* original = InstallMessageBoxHook(&outer);
    {
        TInstalledHook<MessageBoxHook> installed(InstallMessageBoxHook, &inner);
        ShowMessageBox("inside", "", MB_OK);
    }
    ShowMessageBox("after", "", MB_OK);
    InstallMessageBoxHook(original);
    EXPECT_EQ(inner.Shown, 1);
    EXPECT_EQ(outer.Shown, 1);
}

}  // namespace
}  // namespace vlz
