// What the program sets in its environment for itself never reaches the programs it starts.

#include "platform/OwnEnvironment.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>

#include "platform/Process.h"

namespace vlz {
namespace {

// The exit status of a shell running `script`.
int ShellStatus(const char* script) {
    const ProcessOutcome outcome = RunProcess({"/bin/sh", "-c", script}, std::chrono::seconds(20));
    EXPECT_TRUE(outcome.Exited);
    return outcome.ExitCode;
}

TEST(OwnEnvironment, StartedProgramsGetTheEnvironmentTheProgramWasGiven) {
    ::setenv("VLZ_GIVEN", "given", 1);
    ::unsetenv("VLZ_ABSENT");
    ::setenv("VLZ_USERS", "the user's", 1);

    SetOwnEnvironment("VLZ_GIVEN", "own");
    SetOwnEnvironment("VLZ_GIVEN", "own again");  // what it was given is still "given"
    SetOwnEnvironment("VLZ_ABSENT", "own");
    SetOwnEnvironment("VLZ_USERS", "own", false);  // only where the user set nothing

    EXPECT_STREQ(std::getenv("VLZ_GIVEN"), "own again");
    EXPECT_STREQ(std::getenv("VLZ_ABSENT"), "own");
    EXPECT_STREQ(std::getenv("VLZ_USERS"), "the user's");
    EXPECT_EQ(ShellStatus("test \"$VLZ_GIVEN\" = given && test -z \"${VLZ_ABSENT+set}\" && "
                          "test \"$VLZ_USERS\" = \"the user's\" && test -n \"$PATH\""),
              0);
}

}  // namespace
}  // namespace vlz
