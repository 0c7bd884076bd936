#include <gtest/gtest.h>

#include "screens/type_ahead.h"

namespace kj {
namespace {

// Keys typed in one go, the second opening a dialog: each goes on alone,
// only to a window that may take it, and none is lost or reordered.
TEST(TypeAhead, KeysGoOnOneByOneInTheOrderTyped) {
    TypeAhead<int> t;
    for (int k : {1, 2, 3}) EXPECT_FALSE(t.Arrives(k, false, true));
    EXPECT_EQ(t.Next(false), std::nullopt);  // nobody has the keyboard
    EXPECT_EQ(t.Next(true), 1);
    EXPECT_EQ(t.Next(true), std::nullopt);  // 1 still on its way
    EXPECT_TRUE(t.Arrives(1, true, true));
    EXPECT_EQ(t.Next(true), 2);
    EXPECT_TRUE(t.Arrives(2, true, true));  // it opens a dialog
    EXPECT_EQ(t.Next(true), 3);
    EXPECT_FALSE(t.Arrives(4, false, true));  // typed meanwhile
    EXPECT_FALSE(t.Arrives(3, true, false));  // the dialog has no keyboard yet
    EXPECT_EQ(t.Next(false), std::nullopt);
    for (int k : {3, 4}) {
        EXPECT_EQ(t.Next(true), k);
        EXPECT_TRUE(t.Arrives(k, true, true));
    }
    // A key whose window went away is given up; the next one goes on.
    t.Arrives(5, false, true);
    t.Arrives(6, false, true);
    EXPECT_EQ(t.Next(true), 5);
    t.Lost();
    EXPECT_EQ(t.Next(true), 6);
}

}  // namespace
}  // namespace kj
