#include "driver/core/instance_guard.h"

namespace {
constexpr std::string_view kAdministratorsSid = "S-1-5-32-544";
constexpr std::string_view kSystemSid = "S-1-5-18";
}  // namespace

bool CountsAsInstance(GuardFound found, std::optional<std::string_view> ownerSid)
{
    switch (found) {
    case GuardFound::Made:
    case GuardFound::OwnerUnreported:
        return true;
    case GuardFound::Owned:
        return ownerSid && (*ownerSid == kAdministratorsSid || *ownerSid == kSystemSid);
    case GuardFound::NotOpenable:
        return false;
    }
    return false;
}
