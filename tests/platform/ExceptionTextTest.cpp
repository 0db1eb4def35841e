#include "platform/ExceptionText.h"

#include <gtest/gtest.h>

#include "platform/Exception.h"

namespace vlz {
namespace {

TEST(ExceptionTextTest, AFullStopIsAddedOnlyWhenTheTextHasNone) {
    EXPECT_EQ(WithFullStop("Bad DIB Type"), "Bad DIB Type.");
    EXPECT_EQ(WithFullStop("done."), "done.");
    EXPECT_EQ(WithFullStop("登録できません。"), "登録できません。");
    EXPECT_EQ(WithFullStop("ファイル読み込みエラー．"), "ファイル読み込みエラー．");
    EXPECT_EQ(WithFullStop("ends in a middle dot・"), "ends in a middle dot・.");
    EXPECT_EQ(WithFullStop(""), ".");
}

TEST(ExceptionTextTest, ShowsTheMessageOfAnyException) {
    EXPECT_EQ(ExceptionText(std::make_exception_ptr(Exception("Bad DIB Type"))), "Bad DIB Type.");
    EXPECT_EQ(ExceptionText(std::make_exception_ptr(std::out_of_range("登録できません。"))),
              "登録できません。");
    EXPECT_EQ(ExceptionText(std::make_exception_ptr(42)), "Unknown exception.");
}

}  // namespace
}  // namespace vlz
