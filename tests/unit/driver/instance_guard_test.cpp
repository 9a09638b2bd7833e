#include "driver/core/instance_guard.h"

#include <gtest/gtest.h>

#include <optional>
#include <string_view>

// Under the global name only an object that an administrator or the system could have made holds
// Veltrix back; a standard account's (its own owner, or an access list that keeps administrators
// out) is passed by. Where the system reports no owner, nothing is judged.
TEST(CountsAsInstance, OnlyAnObjectAStandardAccountCannotMakeHoldsVeltrixBack)
{
    const struct {
        GuardFound found;
        std::optional<std::string_view> owner;
        bool counts;
    } cases[] = {
        {GuardFound::Made, std::nullopt, true},
        {GuardFound::Owned, "S-1-5-32-544", true},                      // BUILTIN\Administrators
        {GuardFound::Owned, "S-1-5-18", true},                          // SYSTEM
        {GuardFound::Owned, "S-1-5-21-1004336348-1177238915-682003330-1001", false},  // a user
        {GuardFound::Owned, "S-1-5-32-545", false},                     // BUILTIN\Users
        {GuardFound::Owned, "S-1-5-32-5440", false},                    // not Administrators
        {GuardFound::Owned, "S-1-5-32-54", false},
        {GuardFound::Owned, "S-1-5-180", false},
        {GuardFound::Owned, "s-1-5-18 ", false},
        {GuardFound::Owned, "", false},
        {GuardFound::Owned, std::nullopt, false},
        {GuardFound::OwnerUnreported, std::nullopt, true},
        {GuardFound::NotOpenable, std::nullopt, false},
        {GuardFound::NotOpenable, "S-1-5-32-544", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CountsAsInstance(c.found, c.owner), c.counts)
            << static_cast<int>(c.found) << " " << c.owner.value_or("(none)");
}
