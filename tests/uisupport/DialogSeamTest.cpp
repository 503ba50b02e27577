#include "DialogSeam.h"

#include <gtest/gtest.h>

namespace {

TEST(DialogSeam, ScriptAnswersUntilScopeEnds) {
    EXPECT_FALSE(ui::ScriptedAnswer({"Mensaje", "Error", "x", {}, ""}).has_value());
    {
        ui::ScopedDialogScript script([](const ui::DialogRequest& r) {
            return ui::DialogAnswer{7, r.text + "!"};
        });
        auto answer = ui::ScriptedAnswer({"InputQuery", "", "clave", {}, ""});
        ASSERT_TRUE(answer.has_value());
        EXPECT_EQ(answer->result, 7);
        EXPECT_EQ(answer->value, "clave!");
    }
    EXPECT_FALSE(ui::ScriptedAnswer({"Mensaje", "", "", {}, ""}).has_value());
}

}  // namespace
